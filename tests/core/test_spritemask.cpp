// Masks from alpha: fitting, paletted transparency, pictures without any (the
// half-alpha threshold is checked through the loader).
#include "imaging/qtimage.h"
#include "imaging/spritemask.h"

#include <gtest/gtest.h>

using namespace bitvane;

namespace {

QImage Transparent(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 0));
    return image;
}

} // namespace

TEST(SpriteMask, PaddedColumnsAreNeverDrawn)
{
    QImage image(5, 2, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 255));
    const SpriteMask mask = MaskFromAlpha(image);
    EXPECT_EQ(mask.width, 8);
    EXPECT_EQ(mask.rows, (std::vector<std::uint32_t>{0xF8, 0xF8}));

    QImage wide(20, 1, QImage::Format_ARGB32);
    wide.fill(qRgba(0, 0, 0, 255));
    EXPECT_EQ(MaskFromAlpha(wide), (SpriteMask{32, {0xFFFFF000u}}));
}

TEST(SpriteMask, CutAtThirtyTwoColumnsAndTwoHundredFortyRows)
{
    QImage image = Transparent(40, 300);
    for (int y = 0; y < 300; ++y)
        image.setPixel(31, y, qRgba(0, 0, 0, 255));
    image.setPixel(32, 0, qRgba(0, 0, 0, 255)); // cut away with its column
    const SpriteMask mask = MaskFromAlpha(image);
    EXPECT_EQ(mask.width, 32);
    EXPECT_EQ(mask.height(), 240);
    for (int y = 0; y < 240; ++y)
        ASSERT_EQ(mask.rows[std::size_t(y)], 1u) << y;
}

TEST(SpriteMask, PictureWithoutTransparencyGetsItsOwnWidth)
{
    QImage rgb(12, 3, QImage::Format_RGB32);
    rgb.fill(Qt::white);
    EXPECT_EQ(MaskFromAlpha(rgb), (SpriteMask{16, {0xFFF0, 0xFFF0, 0xFFF0}}));
    EXPECT_EQ(OpaqueMask(12, 3), MaskFromAlpha(rgb));
    EXPECT_EQ(OpaqueMask(32, 1), (SpriteMask{32, {0xFFFFFFFFu}}));
    EXPECT_EQ(OpaqueMask(0, 5), SpriteMask{});
}

TEST(SpriteMask, PalettedTransparencyCounts)
{
    // A GIF's transparent colour arrives as an indexed image.
    QImage indexed(8, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgba(0, 0, 0, 0), qRgba(0, 0, 0, 255)});
    indexed.fill(1);
    indexed.setPixel(3, 0, 0);
    EXPECT_EQ(MaskFromAlpha(indexed), (SpriteMask{8, {0xEF}}));
}
