// PictureSurface: pixels, QImage conversion and stretching.
#include "imaging/qtimage.h"
#include "imaging/surface.h"

#include <gtest/gtest.h>

#include <random>

using namespace bitvane;

TEST(Surface, ReadsBackEveryWrittenValueExactly)
{
    PictureSurface s(7, 5);
    std::mt19937 rng(1);
    std::vector<ColorValue> written;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const ColorValue v = ColorValue(rng() & 0xFFFFFF);
            s.setPixel(x, y, v);
            written.push_back(v);
        }
    int i = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(s.pixel(x, y), written[i++]);
}

TEST(Surface, OutsideReadsAnswerMinusOneAndWritesAreIgnored)
{
    PictureSurface s(2, 2, ShadeDark);
    s.setPixel(2, 0, ShadeBlack);
    s.setPixel(-1, 1, ShadeBlack);
    EXPECT_EQ(s.pixel(2, 0), -1);
    EXPECT_EQ(s.pixel(0, -1), -1);
    EXPECT_EQ(s, PictureSurface(2, 2, ShadeDark));
}

TEST(Surface, GrowFillsWithBackgroundAndShrinkCutsRightAndBottom)
{
    PictureSurface s(3, 2, ShadeBlack);
    s.setPixel(2, 1, ShadeDark);
    s.resize(5, 3, ShadeWhite);
    EXPECT_EQ(s.pixel(2, 1), ShadeDark);
    EXPECT_EQ(s.pixel(3, 0), ShadeWhite);
    EXPECT_EQ(s.pixel(4, 2), ShadeWhite);
    EXPECT_EQ(s.pixel(0, 2), ShadeWhite);
    s.resize(2, 1);
    EXPECT_EQ(s.width(), 2);
    EXPECT_EQ(s.height(), 1);
    EXPECT_EQ(s.pixel(1, 0), ShadeBlack);
}

TEST(Surface, StretchCopyAtEqualSizeIsPixelForPixel)
{
    PictureSurface src(4, 3);
    for (int i = 0; i < 12; ++i)
        src.setPixel(i % 4, i / 4, i * 99991);
    PictureSurface dst(4, 3, ShadeBlack);
    StretchCopy(dst, src);
    EXPECT_EQ(dst, src);
}

TEST(Surface, ImageRoundTripKeepsExactColours)
{
    PictureSurface s(3, 1);
    s.setPixel(0, 0, 0x123456);
    s.setPixel(1, 0, 0x010203);
    s.setPixel(2, 0, 0xFEDCBA);
    EXPECT_EQ(SurfaceFromImage(ImageFromSurface(s)), s);
}

TEST(Surface, TransparencyIsCompositedOverWhite)
{
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));     // fully transparent
    image.setPixel(1, 0, qRgba(0, 0, 0, 255));   // opaque black
    image.setPixel(2, 0, qRgba(0, 0, 255, 128)); // half-transparent blue
    const PictureSurface s = SurfaceFromImage(image);
    EXPECT_EQ(s.pixel(0, 0), ShadeWhite);
    EXPECT_EQ(s.pixel(1, 0), ShadeBlack);
    EXPECT_EQ(SplitColor(s.pixel(2, 0)), (ColorTriple{255, 127, 127}));
}
