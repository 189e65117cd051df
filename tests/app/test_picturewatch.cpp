// The open project's pictures followed on disk: saved again, saved by rename, gone and back.
#include "picturepages.h"

#include "app/picturewatcher.h"

#include <QFile>
#include <QListView>

namespace bitvane::testing {
namespace {

class PictureWatch : public PicturePages {
protected:
    // A uniform picture of one source grey, w x 4.
    QImage uniform(int grey, int width) const
    {
        QImage image(width, 4, QImage::Format_RGB32);
        image.fill(qRgb(grey, grey, grey));
        return image;
    }

    // A row of page 3's list with a sign carries its reason as its tip.
    bool marked(int row) const { return !tipOf(row).isEmpty(); }
    QString tipOf(int row) const
    {
        return ui().lstPictures->model()->index(row, 0).data(Qt::ToolTipRole).toString();
    }

    // The preview's sprite is all of one grey.
    bool previewIs(int grey, int width) const
    {
        return ui().picDisp->surface() ==
               spriteOf(std::vector<int>(std::size_t(width) * 4, grey), width, 4);
    }
};

// Watched pictures are loaded again with their settings kept whichever way
// they are saved; a picture that goes is signed and kept until it returns.
TEST_F(PictureWatch, SavedAgainReloadsGoneIsSignedAndBackReloads)
{
    const QString a = writePicture("a.bmp", uniform(NearShade[0][1], 8));
    writePicture("b.bmp", uniform(NearShade[3][1], 8));
    newProjectWith({"a.bmp", "b.bmp"});
    loadPictures();
    ui().sldBrightness->setValue(85);
    ASSERT_TRUE(previewIs(85, 8)); // black, one step lighter

    // Written in place, now light grey and 16 wide: 170 lightened to 255.
    ASSERT_TRUE(uniform(NearShade[2][1], 16).save(a, "BMP"));
    QTRY_VERIFY_WITH_TIMEOUT(previewIs(255, 16), 5000);
    EXPECT_EQ(w->entries()[0].Brightness, 85);
    EXPECT_EQ(sliderBrightness(), 85);
    EXPECT_EQ(ui().lblInfo->text(), "16 x 4 -> unsigned short[8]");
    EXPECT_FALSE(marked(0));

    // Gone: the sign with the reason; the last picture stays.
    ASSERT_TRUE(QFile::remove(a));
    QTRY_VERIFY_WITH_TIMEOUT(marked(0), 5000);
    EXPECT_TRUE(tipOf(0).contains("a.bmp")) << tipOf(0).toStdString();
    EXPECT_TRUE(previewIs(255, 16));
    EXPECT_FALSE(marked(1));

    // Back, as an editor saving by rename writes it: a new file moved over.
    const QString scratch = path("a.bmp.tmp");
    ASSERT_TRUE(uniform(NearShade[1][1], 8).save(scratch, "BMP"));
    ASSERT_TRUE(QFile::rename(scratch, a));
    QTRY_VERIFY_WITH_TIMEOUT(previewIs(170, 8), 5000);
    EXPECT_FALSE(marked(0));

    // Replaced by rename while present, then written in place: the watch
    // follows the new file each time.
    ASSERT_TRUE(uniform(NearShade[0][1], 8).save(scratch, "BMP"));
    ASSERT_TRUE(QFile::remove(a) && QFile::rename(scratch, a));
    QTRY_VERIFY_WITH_TIMEOUT(previewIs(85, 8), 5000);
    ASSERT_TRUE(uniform(NearShade[3][1], 8).save(a, "BMP"));
    QTRY_VERIFY_WITH_TIMEOUT(previewIs(255, 8), 5000);
    EXPECT_EQ(w->entries()[0].Brightness, 85);
}

// Back on page 1 the pictures are not watched, and their signs are gone.
TEST_F(PictureWatch, LeavingThePicturePagesStopsTheWatch)
{
    const QString a = writePicture("a.bmp", uniform(NearShade[0][1], 8));
    newProjectWith({"a.bmp"});
    loadPictures();
    ASSERT_TRUE(QFile::remove(a));
    QTRY_VERIFY_WITH_TIMEOUT(marked(0), 5000);
    back();
    EXPECT_FALSE(marked(0));
    writePicture("a.bmp", uniform(NearShade[3][1], 8));
    QTest::qWait(3 * PictureWatcher::SettleMs);
    EXPECT_TRUE(w->entries()[0].Sprite.Image == spriteOf(std::vector<int>(32, 0), 8, 4));
}

} // namespace
} // namespace bitvane::testing
