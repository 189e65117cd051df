// PicturePages: the widget tests' fixture for the picture pages, with pictures of known shades.
#pragma once

#include "testsupport.h"
#include "windowfixture.h"

#include <QLabel>
#include <QListView>
#include <QProcess>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include <array>
#include <functional>
#include <map>
#include <random>

namespace bitvane::testing {

inline const int Shades[4] = {0, 85, 170, 255};

// Source greys that reduce to each shade, away from the thresholds.
inline const int NearShade[4][3] = {{0, 20, 35}, {60, 85, 110}, {150, 170, 190}, {230, 245, 255}};

// A picture and the shades its sprite must hold once fitted and reduced.
struct TestPicture {
    QImage image;
    int width = 0; // fitted
    int height = 0;
    std::vector<int> greys; // fitted, row by row
};

inline TestPicture makePicture(int w, int h, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    TestPicture p;
    p.image = QImage(w, h, QImage::Format_RGB32);
    p.width = w <= 8 ? 8 : w <= 16 ? 16 : 32;
    p.height = std::min(h, 240);
    p.greys.assign(std::size_t(p.width) * p.height, 255);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int s = int(rng() % 4);
            const int g = NearShade[s][rng() % 3];
            p.image.setPixel(x, y, qRgb(g, g, g));
            if (x < p.width && y < p.height)
                p.greys[std::size_t(y) * p.width + x] = Shades[s];
        }
    }
    return p;
}

// The shade tables of the adjustments, per input shade 0, 85, 170, 255.
inline int brightened(int grey, int brightness)
{
    const int i = grey / 85;
    switch (brightness) {
    case -255:
        return 0;
    case -170:
        return std::array{0, 0, 0, 85}[i];
    case -85:
        return std::array{0, 0, 85, 170}[i];
    case 85:
        return std::array{85, 170, 255, 255}[i];
    case 170:
        return std::array{170, 255, 255, 255}[i];
    case 255:
        return 255;
    default:
        EXPECT_TRUE(brightness >= -42 && brightness <= 42) << brightness;
        return grey;
    }
}

inline int contrasted(int grey, int contrast)
{
    const int i = grey / 85;
    switch (contrast) {
    case -100:
        return 170;
    case -50:
        return std::array{85, 85, 170, 170}[i];
    case 0:
    case 25:
        return grey;
    case 50:
    case 100:
        return std::array{0, 0, 255, 255}[i];
    default:
        ADD_FAILURE() << "no table row for contrast " << contrast;
        return grey;
    }
}

// Contrast first, then brightness: what the header holds.
inline std::vector<int> adjusted(std::vector<int> greys, int brightness, int contrast)
{
    for (int &g : greys)
        g = brightened(contrasted(g, contrast), brightness);
    return greys;
}

// A grid of shades, row by row, as a sprite.
inline PictureSurface spriteOf(const std::vector<int> &greys, int w, int h)
{
    PictureSurface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.setPixel(x, y, Grey(greys[std::size_t(y) * w + x]));
    return s;
}

// The sprite a picture must load as.
inline PictureSurface expectedSprite(const TestPicture &p)
{
    return spriteOf(p.greys, p.width, p.height);
}

// The sprite a preview has drawn, read back from its pixels. What any
// drawing must be, whatever colours the preview picks: every sprite pixel a
// square of zoom x device pixel ratio device pixels in the pixel's own
// colour, inside a frame one pixel thick of one colour that no four-shade
// sprite holds (no grey); from 4x up a grid line of one device pixel along
// the left and top edge of each square after the first, a colour that is no
// grey, the same over every square of one colour. Below 4x no grid. A pixel
// that breaks this fails the test.
inline PictureSurface drawnSprite(SpritePreview &preview)
{
    const QImage image = preview.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int dpr = int(image.devicePixelRatio());
    EXPECT_EQ(dpr, image.devicePixelRatio()) << "a whole device pixel ratio";
    const int s = preview.zoom() * dpr, f = dpr;
    const bool grid = preview.zoom() >= 4;
    const int w = preview.surface().width(), h = preview.surface().height();
    EXPECT_GE(image.width(), w * s + 2 * f);
    EXPECT_GE(image.height(), h * s + 2 * f);
    auto isGrey = [](QRgb c) { return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c); };
    const QRgb frame = image.pixel(0, 0);
    EXPECT_FALSE(isGrey(frame)) << std::hex << frame;
    std::map<QRgb, QRgb> gridOver; // a square's colour -> its grid line's
    PictureSurface drawn(w, h);
    for (int y = 0; y < h * s + 2 * f; ++y) {
        for (int x = 0; x < w * s + 2 * f; ++x) {
            const QRgb got = image.pixel(x, y);
            const int ix = x - f, iy = y - f;
            if (ix < 0 || iy < 0 || ix >= w * s || iy >= h * s) {
                if (got != frame) {
                    ADD_FAILURE() << "frame at device pixel " << x << "," << y;
                    return {};
                }
                continue;
            }
            const int sx = ix / s, sy = iy / s;
            const bool line = grid && ((ix % s == 0 && sx > 0) || (iy % s == 0 && sy > 0));
            // The square's colour is read at its bottom-right corner, where
            // no grid line runs.
            const QRgb colour = image.pixel(f + sx * s + s - 1, f + sy * s + s - 1);
            bool right = got == colour;
            if (line) {
                const QRgb lineColour = gridOver.try_emplace(colour, got).first->second;
                right = got == lineColour && got != colour && !isGrey(got);
            }
            if (!right) {
                ADD_FAILURE() << (line ? "grid line over" : "") << " sprite pixel " << sx << ","
                              << sy << " at device pixel " << x << "," << y;
                return {};
            }
            drawn.setPixel(sx, sy,
                           PackColor({std::uint8_t(qBlue(colour)), std::uint8_t(qGreen(colour)),
                                      std::uint8_t(qRed(colour))}));
        }
    }
    return drawn;
}

// Runs action in the first round of event processing in which ready()
// holds: the long steps process events between pictures, so this is how a
// user's click lands in the middle of one.
inline void when(QObject *context, std::function<bool()> ready, std::function<void()> action)
{
    auto *timer = new QTimer(context);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, context, [=] {
        if (!ready())
            return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start();
}

class PicturePages : public WindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        showWindow();
    }

    void TearDown() override
    {
        w.reset();
        EXPECT_TRUE(seam.openAnswers.empty());
        EXPECT_TRUE(seam.saveAnswers.empty());
        EXPECT_TRUE(seam.formatAnswers.empty());
    }

    // Page 0 "Next >" for a new project, then "Add" with these names.
    void newProjectWith(const QStringList &names)
    {
        ASSERT_NO_FATAL_FAILURE(newProject());
        addFiles(names);
    }

    void addFiles(const QStringList &names)
    {
        add(dir.path() + QChar(0) + names.join(QChar(0)));
        ASSERT_GE(rows(), names.size());
    }

    // Page 1 "Next >": loads every picture and arrives on page 3.
    void loadPictures()
    {
        ASSERT_EQ(w->Tab(), frmMain::PageEditFiles);
        next();
        ASSERT_EQ(w->Tab(), frmMain::PageEditPictures) << lastMessage().toStdString();
    }

    void select(int row)
    {
        ui().lstPictures->setCurrentIndex(ui().lstPictures->model()->index(row, 0));
    }
    // Page 3's list as the user sees it: the names, and the selected row.
    QStringList pictureNames() const
    {
        QStringList names;
        const QAbstractItemModel *model = ui().lstPictures->model();
        for (int i = 0; i < model->rowCount(); ++i)
            names << model->index(i, ui().lstPictures->modelColumn()).data().toString();
        return names;
    }
    int selectedPicture() const { return ui().lstPictures->currentIndex().row(); }

    // Page 3 to page 4, then "Finish" with the given answers.
    void finish(bool hex, const QString &project, const QString &header)
    {
        if (w->Tab() == frmMain::PageEditPictures)
            next();
        ASSERT_EQ(w->Tab(), frmMain::PageCompile);
        ASSERT_EQ(ui().cmdNext->text(), "&Finish");
        seam.formatAnswers.push_back(hex);
        seam.saveAnswers.push_back(path(project));
        seam.saveAnswers.push_back(path(header));
        next();
    }

    // bitvane-compile given the project the window saved writes the header
    // the window wrote, byte for byte.
    void expectCommandLineWritesTheSame(const QString &project, const QString &header)
    {
        QProcess cli;
        cli.start(QStringLiteral(BITVANE_COMPILE_EXE), {"-o", path("cli.h"), path(project)});
        ASSERT_TRUE(cli.waitForFinished(60000));
        EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        EXPECT_EQ(readAll(path("cli.h")), readAll(path(header)));
    }

    QString lastMessage() const
    {
        return seam.messages.empty() ? QString() : seam.messages.back().text;
    }

    int sliderBrightness() const { return ui().sldBrightness->value(); }
    int sliderContrast() const { return ui().sldContrast->value(); }
};

// The same three pictures throughout: widths that are padded (5, 9) and cut
// (33), all one row too high.

} // namespace bitvane::testing
