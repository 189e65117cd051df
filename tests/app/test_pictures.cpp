// The picture pages driven through the real window: loading, the preview
// and its sliders, and "Finish" with scripted dialogs. Expected headers are
// built here from the pictures' known shades, independently of the writer.

#include "testsupport.h"
#include "windowfixture.h"

#include "app/frmformat.h"
#include "compiler/spritearray.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QProgressBar>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <array>
#include <functional>
#include <random>

namespace bitvane::testing {
namespace {

const int Shades[4] = {0, 85, 170, 255};

// Source greys that reduce to each shade, away from the thresholds.
const int NearShade[4][3] = {{0, 20, 35}, {60, 85, 110}, {150, 170, 190}, {230, 245, 255}};

// A picture and the shades its sprite must hold once fitted and reduced.
struct TestPicture {
    QImage image;
    int width = 0; // fitted
    int height = 0;
    std::vector<int> greys; // fitted, row by row
};

TestPicture makePicture(int w, int h, std::uint32_t seed)
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
int brightened(int grey, int brightness)
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

int contrasted(int grey, int contrast)
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
std::vector<int> adjusted(std::vector<int> greys, int brightness, int contrast)
{
    for (int &g : greys)
        g = brightened(contrasted(g, contrast), brightness);
    return greys;
}

// A grid of shades, row by row, as a sprite.
PictureSurface spriteOf(const std::vector<int> &greys, int w, int h)
{
    PictureSurface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.setPixel(x, y, Grey(greys[std::size_t(y) * w + x]));
    return s;
}

// The sprite a picture must load as.
PictureSurface expectedSprite(const TestPicture &p)
{
    return spriteOf(p.greys, p.width, p.height);
}

// Runs action in the first round of event processing in which ready()
// holds: the long steps process events between pictures, so this is how a
// user's click lands in the middle of one.
void when(QObject *context, std::function<bool()> ready, std::function<void()> action)
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

    void select(int row) { ui().lstPictures->setCurrentRow(row); }

    // Page 3 to page 4, then "Finish" with the given answers.
    void finish(bool hex, const QString &project, const QString &header)
    {
        if (w->Tab() == frmMain::PageEditPictures)
            next();
        ASSERT_EQ(w->Tab(), frmMain::PageCompile);
        ASSERT_EQ(ui().cmdNext->text(), "Finish");
        seam.formatAnswers.push_back(hex);
        seam.saveAnswers.push_back(path(project));
        seam.saveAnswers.push_back(path(header));
        next();
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
struct Road {
    QStringList names{"narrow.bmp", "middle.bmp", "wide.bmp"};
    std::vector<TestPicture> pictures{makePicture(5, 241, 11), makePicture(9, 241, 22),
                                      makePicture(33, 241, 33)};
};

TEST_F(PicturePages, NewProjectLoadsAdjustsAndCompilesInBinaryThenReopensInHex)
{
    const Road road;
    for (std::size_t i = 0; i < road.pictures.size(); ++i)
        writePicture(road.names[int(i)], road.pictures[i].image);
    newProjectWith(road.names);
    // A name edited in the list is the array's name.
    rename(1, "ship");
    loadPictures();

    ASSERT_EQ(w->entries().size(), 3u);
    EXPECT_EQ(ui().prbLoadFiles->maximum(), 3);
    EXPECT_EQ(ui().prbLoadFiles->value(), 3);
    EXPECT_TRUE(ui().picLoad->isHidden());
    for (int i = 0; i < 3; ++i) {
        const PictureEntry &e = w->entries()[std::size_t(i)];
        const TestPicture &p = road.pictures[std::size_t(i)];
        EXPECT_EQ(e.Image.width(), p.width);
        EXPECT_EQ(e.Image.height(), 240);
        EXPECT_TRUE(e.Image == expectedSprite(p)) << i;
        EXPECT_EQ(e.Brightness, 0);
        EXPECT_EQ(e.Contrast, 0);
    }
    ASSERT_EQ(ui().lstPictures->count(), 3);
    EXPECT_EQ(ui().lstPictures->item(1)->text(), "ship");
    EXPECT_EQ(ui().lstPictures->currentRow(), 0);

    // The user's moves: arrow keys on one slider, a drag's value on the other.
    select(1);
    ui().sldBrightness->setFocus();
    QTest::keyClick(ui().sldBrightness, Qt::Key_Right);
    ui().sldContrast->setValue(50);
    select(2);
    ui().sldBrightness->setValue(-170);
    ui().sldContrast->setValue(-50);
    EXPECT_EQ(w->entries()[1].Brightness, 85);
    EXPECT_EQ(w->entries()[1].Contrast, 50);
    EXPECT_EQ(w->entries()[2].Brightness, -170);
    EXPECT_EQ(w->entries()[2].Contrast, -50);

    int compileMax = -1, compileValue = -1;
    bool compileBoxHidden = false;
    seam.onMessage = [&](const ScriptedSeam::Message &) {
        compileMax = ui().prbCompile->maximum();
        compileValue = ui().prbCompile->value();
        compileBoxHidden = ui().picCompile->isHidden();
    };
    finish(false, "first.bvp", "first.h");
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "Compilation complete!");
    EXPECT_EQ(compileMax, 3);
    EXPECT_EQ(compileValue, 3);
    EXPECT_TRUE(compileBoxHidden);
    EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
    ASSERT_EQ(seam.saves.size(), 2u);
    EXPECT_EQ(seam.saves[0].fileName, "Untitled");
    EXPECT_EQ(seam.saves[0].filter, "Bitvane Projects (*.bvp)|*.bvp");
    EXPECT_EQ(seam.saves[1].fileName, "Untitled");
    EXPECT_EQ(seam.saves[1].filter, "C header (*.h)|*.h");

    const int settings[3][2] = {{0, 0}, {85, 50}, {-170, -50}};
    auto expectedHeader = [&](bool hex, const QStringList &arrayNames) {
        QByteArray text = Preamble;
        for (int i = 0; i < 3; ++i) {
            const TestPicture &p = road.pictures[std::size_t(i)];
            text += ReferenceArray(spriteOf(adjusted(p.greys, settings[i][0], settings[i][1]),
                                            p.width, p.height),
                                   arrayNames[i], hex) +
                    "\r\n\r\n";
        }
        return text;
    };
    QByteArray expectedProject;
    for (int i = 0; i < 3; ++i)
        expectedProject += '"' + path(road.names[i]).toUtf8() + "\"," +
                           QByteArray::number(settings[i][0]) + ',' +
                           QByteArray::number(settings[i][1]) + "\r\n";
    EXPECT_EQ(readAll(path("first.h")), expectedHeader(false, {"narrow", "ship", "wide"}));
    EXPECT_EQ(readAll(path("first.bvp")), expectedProject);

    // Open the written project and compile it again, in hexadecimal: the
    // settings come back from the file, the names from the locations.
    seam.messages.clear();
    seam.saves.clear();
    openProject(path("first.bvp"));
    ASSERT_EQ(w->Tab(), frmMain::PageEditFiles) << lastMessage().toStdString();
    loadPictures();
    select(2);
    EXPECT_EQ(sliderBrightness(), -170);
    EXPECT_EQ(sliderContrast(), -50);
    finish(true, "second.bvp", "second.h");
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "Compilation complete!");
    EXPECT_EQ(seam.saves[0].fileName, "first");
    EXPECT_EQ(seam.saves[1].fileName, "first");
    EXPECT_EQ(readAll(path("second.h")), expectedHeader(true, {"narrow", "middle", "wide"}));
    EXPECT_EQ(readAll(path("second.bvp")), expectedProject);
}

TEST_F(PicturePages, SelectingShowsStoredSettingsWithoutStoringAndCentresThePreview)
{
    writePicture("a.bmp", makePicture(8, 20, 1).image);
    writePicture("b.bmp", makePicture(30, 100, 2).image);
    newProjectWith({"a.bmp", "b.bmp"});
    loadPictures();
    select(0);
    ui().sldBrightness->setValue(85);
    ui().sldContrast->setValue(-50);
    select(1);
    EXPECT_EQ(sliderBrightness(), 0);
    EXPECT_EQ(sliderContrast(), 0);
    ui().sldContrast->setValue(100);
    // The brightness slider still shows 0; moving contrast stores it too.
    EXPECT_EQ(w->entries()[1].Brightness, 0);
    EXPECT_EQ(w->entries()[1].Contrast, 100);
    select(0);
    EXPECT_EQ(sliderBrightness(), 85);
    EXPECT_EQ(sliderContrast(), -50);

    // Nothing stored by selecting, neither in the entries nor in the rows.
    const int expected[2][2] = {{85, -50}, {0, 100}};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(w->entries()[std::size_t(i)].Brightness, expected[i][0]) << i;
        EXPECT_EQ(w->entries()[std::size_t(i)].Contrast, expected[i][1]) << i;
        EXPECT_EQ(w->entries()[std::size_t(i)].Brightness, expected[i][0]) << i;
        EXPECT_EQ(w->entries()[std::size_t(i)].Contrast, expected[i][1]) << i;
    }

    // Centred in the part of the page right of the list.
    select(1);
    const QWidget *disp = ui().picDisp;
    EXPECT_TRUE(disp->isVisible());
    EXPECT_EQ(disp->size(), QSize(32, 100));
    EXPECT_EQ(disp->pos(), QPoint((648 - 32 + 137) / 2, (377 - 100) / 2));
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
}

// Settings belong to their rows: through Back and Next, and through a
// removal above them.
TEST_F(PicturePages, SettingsFollowTheirRowsThroughBackAndNext)
{
    for (const char *name : {"a.bmp", "b.bmp", "c.bmp"})
        writePicture(name, makePicture(16, 16, 7).image);
    newProjectWith({"a.bmp", "b.bmp", "c.bmp"});
    loadPictures();
    select(1);
    ui().sldBrightness->setValue(170);
    select(2);
    ui().sldContrast->setValue(25);

    back();
    ASSERT_EQ(w->Tab(), frmMain::PageEditFiles);
    loadPictures();
    select(1);
    EXPECT_EQ(sliderBrightness(), 170);
    EXPECT_EQ(sliderContrast(), 0);
    select(2);
    EXPECT_EQ(sliderBrightness(), 0);
    EXPECT_EQ(sliderContrast(), 25);

    back();
    selectRows({0});
    ui().cmdRemove->click();
    ASSERT_EQ(rows(), 2);
    loadPictures();
    ASSERT_EQ(w->entries().size(), 2u);
    EXPECT_EQ(w->entries()[0].Name, "b");
    EXPECT_EQ(w->entries()[0].Brightness, 170);
    EXPECT_EQ(w->entries()[1].Name, "c");
    EXPECT_EQ(w->entries()[1].Contrast, 25);
}

// For every setting of the shade tables the preview shows exactly what the
// header holds. One row per combination, compiled at once.
TEST_F(PicturePages, PreviewEqualsTheCompiledPictureForEveryTableSetting)
{
    // Every shade in every column position, so each table cell is exercised.
    TestPicture p;
    p.image = QImage(8, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const int g = Shades[(x + y) % 4];
            p.image.setPixel(x, y, qRgb(g, g, g));
        }
    writePicture("all.bmp", p.image);

    const std::vector<int> brightness{-255, -170, -85, -42, 0, 42, 85, 170, 255};
    const std::vector<int> contrast{-100, -50, 0, 25, 50, 100};
    const int count = int(brightness.size() * contrast.size());
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << "all.bmp";
    newProjectWith(names);
    for (int i = 0; i < count; ++i)
        rename(i, QStringLiteral("s%1").arg(i));
    loadPictures();

    std::vector<QByteArray> previewLines;
    for (int i = 0; i < count; ++i) {
        const int b = brightness[std::size_t(i) / contrast.size()];
        const int c = contrast[std::size_t(i) % contrast.size()];
        select(i);
        ui().sldBrightness->setValue(b);
        ui().sldContrast->setValue(c);
        const PictureSurface &shown = ui().picDisp->surface();
        // What the box paints is what the surface holds.
        EXPECT_EQ(ui().picDisp->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                  shown.toImage());
        std::vector<int> greys(32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                greys[std::size_t(y) * 8 + x] = Shades[(x + y) % 4];
        const std::vector<int> want = adjusted(greys, b, c);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x) {
                const int g = want[std::size_t(y) * 8 + x];
                ASSERT_EQ(shown.pixel(x, y), g | g << 8 | g << 16)
                    << "brightness " << b << " contrast " << c << " at " << x << "," << y;
            }
        previewLines.push_back(MakeSpriteArray(shown, w->entries()[std::size_t(i)].Name, true));
    }

    finish(true, "all.bvp", "all.h");
    ASSERT_EQ(lastMessage(), "Compilation complete!");
    const QList<QByteArray> lines = readAll(path("all.h")).split('\n');
    ASSERT_EQ(lines.size(), 3 + 2 * count + 1);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(lines[3 + 2 * i], previewLines[std::size_t(i)] + '\r') << "row " << i;
}

TEST_F(PicturePages, CancellingEitherSaveDialogTouchesNoFile)
{
    writePicture("a.bmp", makePicture(8, 8, 3).image);
    newProjectWith({"a.bmp"});
    loadPictures();
    next();
    writeFile("old.h", "old");
    const QStringList before = QDir(dir.path()).entryList(QDir::Files);

    struct Case {
        const char *what;
        std::vector<std::optional<QString>> answers;
    };
    const Case cases[] = {{"project dialog cancelled", {std::nullopt}},
                          {"header dialog cancelled", {path("p.bvp"), std::nullopt}}};
    for (const Case &c : cases) {
        seam.saves.clear();
        seam.formatAnswers.push_back(true);
        seam.saveAnswers.assign(c.answers.begin(), c.answers.end());
        next();
        EXPECT_EQ(seam.saves.size(), c.answers.size()) << c.what;
        EXPECT_TRUE(seam.messages.empty()) << c.what << ": " << lastMessage().toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), before) << c.what;
        EXPECT_EQ(readAll(path("old.h")), "old") << c.what;
        // Page 4 comes back as it was.
        EXPECT_EQ(w->Tab(), frmMain::PageCompile) << c.what;
        EXPECT_EQ(ui().cmdNext->text(), "Finish") << c.what;
        EXPECT_TRUE(ui().cmdNext->isEnabled()) << c.what;
        EXPECT_TRUE(ui().cmdBack->isEnabled()) << c.what;
        EXPECT_TRUE(ui().cmdCancel->isEnabled()) << c.what;
        EXPECT_TRUE(ui().prbCompile->isHidden()) << c.what;
        EXPECT_TRUE(ui().picCompile->isHidden()) << c.what;
    }
}

TEST_F(PicturePages, AFailedCompileSaysWhyAndKeepsThePage)
{
    writePicture("a.bmp", makePicture(8, 8, 3).image);
    newProjectWith({"a.bmp"});
    loadPictures();
    finish(true, "p.bvp", "missing-folder/p.h");
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].title, "Bitvane");
    EXPECT_EQ(seam.messages[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(seam.messages[0].text.contains("p.h")) << lastMessage().toStdString();
    EXPECT_FALSE(QFile::exists(path("p.bvp")));
    EXPECT_EQ(w->Tab(), frmMain::PageCompile);
    EXPECT_TRUE(ui().picCompile->isHidden());

    // Finish again works like the first time.
    seam.messages.clear();
    finish(true, "p.bvp", "p.h");
    EXPECT_EQ(lastMessage(), "Compilation complete!");
    EXPECT_TRUE(QFile::exists(path("p.h")));
}

TEST_F(PicturePages, APictureThatFailsToLoadIsNamedAndNothingIsHalfLoaded)
{
    writePicture("good.bmp", makePicture(8, 8, 4).image);
    writePicture("later.bmp", makePicture(16, 8, 5).image);
    writeFile("bad.bmp", "this is no picture");

    newProjectWith({"good.bmp", "later.bmp"});
    loadPictures();
    ui().sldBrightness->setValue(85);
    const std::vector<PictureEntry> before = w->entries();
    back();

    struct Case {
        const char *what;
        QString added;
    };
    const Case cases[] = {{"not a picture", "bad.bmp"}, {"removed after adding", "gone.bmp"}};
    for (const Case &c : cases) {
        seam.messages.clear();
        if (c.added == "gone.bmp")
            writePicture("gone.bmp", makePicture(8, 8, 6).image);
        addFiles({c.added});
        QFile::remove(path("gone.bmp"));
        // Behind the failing picture, one that would load.
        addFiles({"later.bmp"});
        next();
        ASSERT_EQ(seam.messages.size(), 1u) << c.what;
        EXPECT_EQ(seam.messages[0].title, "Bitvane") << c.what;
        EXPECT_TRUE(seam.messages[0].text.contains(c.added)) << lastMessage().toStdString();
        EXPECT_EQ(w->Tab(), frmMain::PageEditFiles) << c.what;
        EXPECT_TRUE(ui().cmdBack->isEnabled()) << c.what;
        EXPECT_TRUE(ui().cmdNext->isEnabled()) << c.what;
        EXPECT_TRUE(ui().picLoad->isHidden()) << c.what;
        // The two rows added stay listed, with no picture loaded.
        ASSERT_EQ(w->entries().size(), before.size() + 2) << c.what;
        EXPECT_TRUE(w->entries()[before.size()].Image.isEmpty()) << c.what;
        EXPECT_TRUE(w->entries()[before.size() + 1].Image.isEmpty()) << c.what;
        for (std::size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(w->entries()[i].Name, before[i].Name) << c.what;
            EXPECT_EQ(w->entries()[i].Brightness, before[i].Brightness) << c.what;
            EXPECT_TRUE(w->entries()[i].Image == before[i].Image) << c.what;
        }
        // Take the two rows out again.
        selectRows({rows() - 1, rows() - 2});
        ui().cmdRemove->click();
    }

    seam.messages.clear();
    loadPictures();
    ASSERT_EQ(w->entries().size(), 2u);
    EXPECT_EQ(w->entries()[0].Brightness, 85);
}

// Cancel or the close box while loading: the loading stops at once, nothing
// is loaded, and the window is gone.
TEST_F(PicturePages, ClosingWhileLoadingStopsAtOnce)
{
    for (int i = 0; i < 10; ++i)
        writePicture(QStringLiteral("p%1.bmp").arg(i), makePicture(8, 8, std::uint32_t(i)).image);
    QStringList names;
    for (int i = 0; i < 10; ++i)
        names << QStringLiteral("p%1.bmp").arg(i);

    // The program ends when its last window closes; here the test goes on.
    QApplication::setQuitOnLastWindowClosed(false);
    for (bool viaCancel : {true, false}) {
        w = std::make_unique<frmMain>(&seam);
        ASSERT_NO_FATAL_FAILURE(showWindow());
        newProjectWith(names);
        int progressAtClose = -1;
        when(
            w.get(), [&] { return ui().prbLoadFiles->value() >= 3; },
            [&] {
                progressAtClose = ui().prbLoadFiles->value();
                if (viaCancel)
                    ui().cmdCancel->click();
                else
                    w->close();
            });
        next();
        EXPECT_EQ(progressAtClose, 3) << viaCancel;
        EXPECT_FALSE(w->isVisible()) << viaCancel;
        EXPECT_EQ(ui().prbLoadFiles->value(), 3) << viaCancel;
        ASSERT_EQ(w->entries().size(), 10u) << viaCancel;
        for (const PictureEntry &entry : w->entries())
            EXPECT_TRUE(entry.Image.isEmpty()) << viaCancel;
        EXPECT_TRUE(seam.messages.empty()) << viaCancel;
    }
    QApplication::setQuitOnLastWindowClosed(true);
}

TEST_F(PicturePages, ACloseWhileCompilingIsRefusedUntilItEnds)
{
    for (int i = 0; i < 5; ++i)
        writePicture(QStringLiteral("p%1.bmp").arg(i), makePicture(8, 8, std::uint32_t(i)).image);
    newProjectWith({"p0.bmp", "p1.bmp", "p2.bmp", "p3.bmp", "p4.bmp"});
    loadPictures();
    next();
    bool tried = false, boxShown = false;
    when(
        w.get(), [&] { return ui().prbCompile->value() >= 2; },
        [&] {
            tried = true;
            boxShown = ui().picCompile->isVisible();
            w->close();
        });
    seam.formatAnswers.push_back(true);
    seam.saveAnswers = {path("p.bvp"), path("p.h")};
    next();
    EXPECT_TRUE(tried);
    EXPECT_TRUE(boxShown);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(lastMessage(), "Compilation complete!");
    EXPECT_EQ(readAll(path("p.h")).count("static unsigned char"), 5);
}

// The real number-format dialog behind the seam: its answer at each call
// reaches the header.
TEST_F(PicturePages, TheFormatDialogsAnswerAtEachCallReachesTheHeader)
{
    writePicture("a.bmp", makePicture(8, 2, 9).image);
    newProjectWith({"a.bmp"});
    loadPictures();
    next();

    bool chooseBinary = true;
    QPoint dialogCentre, windowCentre;
    seam.answerFormat = [&](QWidget *parent) {
        QTimer::singleShot(0, [&] {
            auto *d = qobject_cast<frmFormat *>(QApplication::activeModalWidget());
            if (!d) {
                ADD_FAILURE() << "no format dialog";
                return;
            }
            EXPECT_TRUE(d->optHex->isChecked());
            dialogCentre = d->frameGeometry().center();
            windowCentre = w->frameGeometry().center();
            if (chooseBinary)
                d->optBin->click();
            d->cmdOK->click();
        });
        QtDialogSeam real;
        return real.hexOrBin(parent);
    };
    for (bool binary : {true, false, true}) {
        chooseBinary = binary;
        seam.saveAnswers = {path("p.bvp"), path("p.h")};
        next();
        ASSERT_EQ(lastMessage(), "Compilation complete!");
        const QByteArray header = readAll(path("p.h"));
        EXPECT_EQ(header.contains("{0b"), binary);
        EXPECT_EQ(header.contains("{0x"), !binary);
        EXPECT_LE((dialogCentre - windowCentre).manhattanLength(), 2);
        // Back to page 4 for the next call: an opened project this time.
        openProject(path("p.bvp"));
        loadPictures();
        next();
    }
    EXPECT_EQ(seam.formatCalls, 3);
}

} // namespace
} // namespace bitvane::testing
