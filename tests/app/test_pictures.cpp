// The picture pages driven through the real window: loading, the preview
// and its sliders, and "Finish" with scripted dialogs. Expected headers are
// built here from the pictures' known shades, independently of the writer.
#include "picturepages.h"

#include "compiler/spritearray.h"

#include <QApplication>
#include <QDir>
#include <QProgressBar>
#include <QTest>

namespace bitvane::testing {
namespace {

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
        EXPECT_EQ(e.Sprite.Image.width(), p.width);
        EXPECT_EQ(e.Sprite.Image.height(), 240);
        EXPECT_TRUE(e.Sprite.Image == expectedSprite(p)) << i;
        EXPECT_EQ(e.Brightness, 0);
        EXPECT_EQ(e.Contrast, 0);
    }
    EXPECT_EQ(pictureNames(), (QStringList{"narrow", "ship", "wide"}));
    EXPECT_EQ(selectedPicture(), 0);

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
    // The message names where both files went.
    EXPECT_EQ(
        seam.messages[0].text,
        "Compilation complete!\r\n\r\nProject: " + QDir::toNativeSeparators(path("first.bvp")) +
            "\r\nHeader: " + QDir::toNativeSeparators(path("first.h")));
    EXPECT_EQ(compileMax, 3);
    EXPECT_EQ(compileValue, 3);
    EXPECT_TRUE(compileBoxHidden);
    EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
    ASSERT_EQ(seam.saves.size(), 2u);
    EXPECT_EQ(seam.saves[0].title, "Save project as");
    EXPECT_EQ(seam.saves[0].fileName, "Untitled");
    EXPECT_EQ(seam.saves[0].filter, "Bitvane Projects (*.bvp)|*.bvp");
    EXPECT_EQ(seam.saves[1].title, "Save header as");
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
    // Only the renamed picture's record carries its name.
    QByteArray expectedProject;
    for (int i = 0; i < 3; ++i)
        expectedProject +=
            '"' + path(road.names[i]).toUtf8() + "\"," + QByteArray::number(settings[i][0]) + ',' +
            QByteArray::number(settings[i][1]) + (i == 1 ? ",\"ship\"" : "") + "\r\n";
    EXPECT_EQ(readAll(path("first.h")), expectedHeader(false, {"narrow", "ship", "wide"}));
    // The project remembers the binary notation; in hexadecimal (below) it
    // has nothing to remember.
    EXPECT_EQ(readAll(path("first.bvp")), "#bitvane notation=binary\r\n" + expectedProject);

    // Open the written project and compile it again, in hexadecimal: the
    // settings and the name come back from the file.
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
    EXPECT_TRUE(seam.messages[0].text.startsWith("Compilation complete!"));
    EXPECT_EQ(seam.saves[0].fileName, "first");
    EXPECT_EQ(seam.saves[1].fileName, "first");
    EXPECT_EQ(readAll(path("second.h")), expectedHeader(true, {"narrow", "ship", "wide"}));
    EXPECT_EQ(readAll(path("second.bvp")), expectedProject);

    // bitvane-compile reads the same names from the same file.
    ASSERT_NO_FATAL_FAILURE(expectCommandLineWritesTheSame("second.bvp", "second.h"));
}

TEST_F(PicturePages, SelectingShowsStoredSettingsWithoutStoringAndFitsThePreview)
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
    EXPECT_EQ(ui().spnBrightness->value(), 85);
    EXPECT_EQ(ui().spnContrast->value(), -50);

    // Nothing stored by selecting, neither in the entries nor in the rows.
    const int expected[2][2] = {{85, -50}, {0, 100}};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(w->entries()[std::size_t(i)].Brightness, expected[i][0]) << i;
        EXPECT_EQ(w->entries()[std::size_t(i)].Contrast, expected[i][1]) << i;
        EXPECT_EQ(w->entries()[std::size_t(i)].Brightness, expected[i][0]) << i;
        EXPECT_EQ(w->entries()[std::size_t(i)].Contrast, expected[i][1]) << i;
    }

    // At the largest whole zoom at which both previews fit without
    // scrolling: 2 for a 32 x 100 sprite, framed.
    select(1);
    const SpritePreview *disp = ui().picDisp;
    EXPECT_TRUE(disp->isVisible());
    EXPECT_EQ(disp->zoom(), 2);
    EXPECT_EQ(ui().picBefore->zoom(), 2);
    EXPECT_EQ(disp->size(), QSize(2 * 32 + 2, 2 * 100 + 2));
    const QRect shown = ui().scrPreview->viewport()->rect();
    for (const SpritePreview *view : {const_cast<const SpritePreview *>(ui().picBefore), disp})
        EXPECT_TRUE(shown.contains(
            QRect(view->mapTo(ui().scrPreview->viewport(), QPoint()), view->size())));
    EXPECT_EQ(ui().lblInfo->text(), "32 x 100 -> unsigned long[200]\npadded from 30 px wide");
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
        // What the preview paints is what the surface holds.
        EXPECT_EQ(drawnSprite(*ui().picDisp), shown);
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
    ASSERT_TRUE(lastMessage().startsWith("Compilation complete!"));
    const QList<QByteArray> lines = readAll(path("all.h")).split('\n');
    ASSERT_EQ(lines.size(), 3 + 2 * count + 1);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(lines[3 + 2 * i], previewLines[std::size_t(i)] + '\r') << "row " << i;
}

} // namespace
} // namespace bitvane::testing
