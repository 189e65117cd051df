// Page 3's preview read back from its pixels: the compiled sprite exactly, at every zoom and pixel
// ratio.
#include "picturepages.h"

#include "compiler/headerreader.h"

#include <QComboBox>
#include <QLayout>
#include <QScrollBar>

namespace bitvane::testing {
namespace {

class Preview : public PicturePages {
protected:
    void chooseZoom(const QString &caption)
    {
        const int index = ui().cboZoom->findText(caption);
        ASSERT_GE(index, 0) << caption.toStdString();
        ui().cboZoom->setCurrentIndex(index);
    }

    // Three adjusted sprites (8, 16 and 32 wide), compiled; what each preview
    // draws at the zoom given must be the header's array, pixel for pixel.
    void expectPreviewsEqualTheHeader(const QString &zoom)
    {
        const QStringList names{"small.bmp", "middle.bmp", "tall.bmp"};
        writePicture("small.bmp", makePicture(7, 8, 11).image);
        writePicture("middle.bmp", makePicture(16, 16, 12).image);
        writePicture("tall.bmp", makePicture(40, 250, 13).image);
        newProjectWith(names);
        loadPictures();
        ASSERT_NO_FATAL_FAILURE(chooseZoom(zoom));
        const int settings[3][2] = {{85, 0}, {0, 50}, {-85, -50}};
        std::vector<PictureSurface> drawn;
        for (int i = 0; i < 3; ++i) {
            select(i);
            ui().sldBrightness->setValue(settings[i][0]);
            ui().sldContrast->setValue(settings[i][1]);
            QApplication::processEvents();
            drawn.push_back(drawnSprite(*ui().picDisp));
        }
        finish(true, "p.bvp", "p.h");
        ASSERT_TRUE(lastMessage().startsWith("Compilation complete!"));
        const HeaderContents header = ReadHeaderFile(path("p.h"));
        ASSERT_EQ(header.sprites.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_EQ(drawn[i], header.sprites[i].picture) << names[int(i)].toStdString();
    }
};

TEST_F(Preview, DrawsTheCompiledSpriteAtOneToOne)
{
    expectPreviewsEqualTheHeader("1x");
}

TEST_F(Preview, DrawsTheCompiledSpriteAtFourTimesWithItsGrid)
{
    expectPreviewsEqualTheHeader("4x");
}

// Run by CTest apart, with QT_SCALE_FACTOR=2: every sprite pixel is then a
// square of whole device pixels, no smoothing between them.
using PreviewDoubleDensity = Preview;

TEST_F(PreviewDoubleDensity, DrawsTheCompiledSpriteAtOneToOne)
{
    if (w->devicePixelRatioF() != 2.0)
        GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
    expectPreviewsEqualTheHeader("1x");
    EXPECT_EQ(ui().picDisp->deviceScale(2.0), 2);
}

TEST_F(PreviewDoubleDensity, DrawsTheCompiledSpriteAtEightTimes)
{
    if (w->devicePixelRatioF() != 2.0)
        GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
    expectPreviewsEqualTheHeader("8x");
}

// Fit, for every sprite size: both previews with their captions show whole
// at the zoom chosen (or it is 1x), and would not at one step more, as laid
// out by the page itself.
TEST_F(Preview, FitIsTheLargestZoomAtWhichBothPreviewsShowWhole)
{
    writePicture("a.bmp", makePicture(8, 8, 1).image);
    newProjectWith({"a.bmp"});
    loadPictures();
    QScrollArea *area = ui().scrPreview;
    auto fitsAt = [&](int zoom) {
        ui().picBefore->setZoom(zoom);
        ui().picDisp->setZoom(zoom);
        area->widget()->layout()->activate();
        const QSize pane = area->widget()->size(), view = area->maximumViewportSize();
        return pane.width() <= view.width() && pane.height() <= view.height();
    };
    for (const int width : {8, 16, 32}) {
        for (int height = 1; height <= 240; ++height) {
            ui().picBefore->setSurface(PictureSurface(width, height));
            ui().picDisp->setSurface(PictureSurface(width, height));
            WindowProbe::cboZoom_Change(*w);
            const int zoom = ui().picDisp->zoom();
            ASSERT_EQ(ui().picBefore->zoom(), zoom);
            EXPECT_TRUE(zoom == 1 || fitsAt(zoom)) << width << " x " << height << " at " << zoom;
            EXPECT_FALSE(fitsAt(zoom + 1)) << width << " x " << height << " at " << zoom + 1;
        }
    }
}

// A zoom chosen larger than Fit scrolls, and stays for the next picture; the
// before view follows it.
TEST_F(Preview, LargerZoomsScrollAndStay)
{
    writePicture("a.bmp", makePicture(8, 8, 1).image);
    writePicture("c.bmp", makePicture(32, 240, 3).image);
    newProjectWith({"a.bmp", "c.bmp"});
    loadPictures();
    select(1);
    chooseZoom("16x");
    QApplication::processEvents();
    EXPECT_EQ(ui().picDisp->size(), QSize(32 * 16 + 2, 240 * 16 + 2));
    EXPECT_TRUE(ui().scrPreview->verticalScrollBar()->isVisible());
    select(0);
    EXPECT_EQ(ui().picDisp->zoom(), 16);
    EXPECT_EQ(ui().picBefore->zoom(), 16);
}

// Beside the sprite: the fitted picture before the reduction, in its own
// colours, padding white; under them what will be written.
TEST_F(Preview, BeforeShowsTheFittedPictureAndTheInfoLineSaysWhatIsWritten)
{
    QImage photo(160, 120, QImage::Format_RGB32);
    photo.fill(qRgb(200, 30, 40));
    writePicture("photo.bmp", photo);
    QImage thin(5, 16, QImage::Format_RGB32);
    thin.fill(qRgb(10, 120, 250));
    writePicture("thin.bmp", thin);
    newProjectWith({"photo.bmp", "thin.bmp", "photo.bmp"});
    loadPictures();
    ASSERT_NO_FATAL_FAILURE(chooseZoom("2x"));
    select(0);
    EXPECT_EQ(ui().lblInfo->text(), "32 x 120 -> unsigned long[240]\ncut from 160 x 120");
    EXPECT_EQ(drawnSprite(*ui().picBefore), PictureSurface(32, 120, PackColor({40, 30, 200})));
    select(1);
    EXPECT_EQ(ui().lblInfo->text(), "8 x 16 -> unsigned char[32]\npadded from 5 px wide");
    const PictureSurface before = drawnSprite(*ui().picBefore);
    EXPECT_EQ(before.pixel(4, 15), PackColor({250, 120, 10}));
    EXPECT_EQ(before.pixel(5, 0), ShadeWhite);
    EXPECT_EQ(drawnSprite(*ui().picDisp), w->entries()[1].Image);
}

// The number boxes show the slider's value and take a typed one, snapped to
// the slider's steps; each picture keeps its own.
TEST_F(Preview, NumberBoxesFollowTheSlidersAndTypedValuesSnapToTheirSteps)
{
    writePicture("a.bmp", makePicture(8, 8, 1).image);
    newProjectWith({"a.bmp", "a.bmp"});
    loadPictures();
    select(0);
    auto type = [](QSpinBox *box, const char *text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QLatin1String(text));
        QTest::keyClick(box, Qt::Key_Return);
    };
    type(ui().spnBrightness, "100");
    EXPECT_EQ(sliderBrightness(), 85);
    EXPECT_EQ(ui().spnBrightness->value(), 85);
    type(ui().spnContrast, "-37");
    EXPECT_EQ(sliderContrast(), -40);
    EXPECT_EQ(ui().spnContrast->value(), -40);
    EXPECT_EQ(w->entries()[0].Brightness, 85);
    EXPECT_EQ(w->entries()[0].Contrast, -40);
    // Return in a number box takes the number; it does not leave the page.
    EXPECT_EQ(w->Tab(), frmMain::PageEditPictures);

    ui().sldBrightness->setValue(-170);
    EXPECT_EQ(ui().spnBrightness->value(), -170);
    select(1);
    EXPECT_EQ(ui().spnBrightness->value(), 0);
    EXPECT_EQ(ui().spnContrast->value(), 0);
    select(0);
    EXPECT_EQ(ui().spnBrightness->value(), -170);
    EXPECT_EQ(ui().spnContrast->value(), -40);
}

} // namespace
} // namespace bitvane::testing
