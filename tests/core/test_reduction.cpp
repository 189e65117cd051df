// Shade reduction: thresholds, colours and the whole-surface pass.
#include "testsupport.h"

#include "error.h"
#include "imaging/shadereduction.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

ColorValue ReduceOne(ColorValue v)
{
    PictureSurface s(1, 1);
    s.setPixel(0, 0, v);
    ReduceToShades(s, s);
    return s.pixel(0, 0);
}

// The rule as written: weighted sum, round half to even, snap.
ColorValue ReferenceReduce(ColorValue v)
{
    const ColorTriple t = SplitColor(v);
    const double u = t.green * 0.59 + t.red * 0.30 + t.blue * 0.11;
    const std::uint8_t g = SnapToShade(static_cast<std::uint8_t>(std::nearbyint(u)));
    return PackColor({g, g, g});
}

} // namespace

TEST(Reduction, ThresholdGreys)
{
    const std::pair<int, ColorValue> cases[] = {
        {0, ShadeBlack},   {42, ShadeBlack},  {43, ShadeDark},   {85, ShadeDark},
        {127, ShadeDark},  {128, ShadeLight}, {170, ShadeLight}, {212, ShadeLight},
        {213, ShadeWhite}, {255, ShadeWhite},
    };
    for (auto [grey, shade] : cases)
        EXPECT_EQ(ReduceOne(Grey(grey)), shade) << "grey " << grey;
}

TEST(Reduction, Colours)
{
    const std::pair<ColorValue, ColorValue> cases[] = {
        {Rgb(255, 0, 0), ShadeDark},    // u = 76.5
        {Rgb(0, 255, 0), ShadeLight},   // u = 150.45
        {Rgb(0, 0, 255), ShadeBlack},   // u = 28.05
        {Rgb(255, 255, 0), ShadeWhite}, // yellow
        {Rgb(0, 255, 255), ShadeLight}, // cyan
        {Rgb(255, 0, 255), ShadeDark},  // magenta
        {Rgb(0, 72, 0), ShadeBlack},    // u = 42.48
        {Rgb(0, 73, 0), ShadeDark},     // u = 43.07
        {Rgb(255, 107, 0), ShadeLight}, // u = 139.63
    };
    for (auto [colour, shade] : cases)
        EXPECT_EQ(ReduceOne(colour), shade) << std::hex << colour;
}

// The pass compares the grey level with the midpoints between the levels
// instead of rounding it; every one of the 2^24 colours must agree.
TEST(Reduction, EqualsRoundingRuleForEveryColour)
{
    PictureSurface s(4096, 4096);
    for (int y = 0; y < 4096; ++y)
        for (int x = 0; x < 4096; ++x)
            s.row(y)[x] = y * 4096 + x;
    PictureSurface out(4096, 4096);
    ReduceToShades(out, s);
    int wrong = 0;
    for (int y = 0; y < 4096; ++y)
        for (int x = 0; x < 4096; ++x)
            wrong += out.row(y)[x] != ReferenceReduce(y * 4096 + x);
    EXPECT_EQ(wrong, 0);
}

TEST(Reduction, OddSizesAndLargerDestination)
{
    // 13 x 21: rows and the whole run end between groups of pixels.
    PictureSurface src(13, 21);
    std::uint32_t x = 99;
    for (int y = 0; y < 21; ++y)
        for (int c = 0; c < 13; ++c) {
            x = x * 1664525u + 1013904223u;
            src.setPixel(c, y, ColorValue(x >> 8));
        }
    PictureSurface same(13, 21), larger(16, 22, Grey(3));
    ReduceToShades(same, src);
    ReduceToShades(larger, src);
    for (int y = 0; y < 22; ++y)
        for (int c = 0; c < 16; ++c) {
            const bool inside = c < 13 && y < 21;
            const ColorValue expected = inside ? ReferenceReduce(src.pixel(c, y)) : Grey(3);
            ASSERT_EQ(larger.pixel(c, y), expected) << c << "," << y;
            if (inside) {
                ASSERT_EQ(same.pixel(c, y), expected) << c << "," << y;
            }
        }
    ReduceToShades(src, src);
    EXPECT_EQ(src, same);
}

TEST(Reduction, ShadesAreFixedPointsSoTwiceEqualsOnce)
{
    PictureSurface s(32, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x)
            s.setPixel(x, y, (x * 2654435761u + y * 40503u) & 0xFFFFFF);
    ReduceToShades(s, s);
    const PictureSurface once = s;
    ReduceToShades(s, s);
    EXPECT_EQ(s, once);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x) {
            const ColorValue v = s.pixel(x, y);
            EXPECT_TRUE(v == ShadeBlack || v == ShadeDark || v == ShadeLight || v == ShadeWhite);
        }
}

TEST(Reduction, ExtentComesFromSource)
{
    PictureSurface src(2, 2, Grey(30));
    PictureSurface dst(4, 3, Grey(200));
    ReduceToShades(dst, src);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dst.pixel(x, y), x < 2 && y < 2 ? ShadeBlack : Grey(200)) << x << "," << y;

    // A smaller destination takes what fits and keeps its size.
    PictureSurface small(1, 1, Grey(200));
    ReduceToShades(small, src);
    EXPECT_EQ(small.width(), 1);
    EXPECT_EQ(small.pixel(0, 0), ShadeBlack);
}

TEST(Reduction, NegativeValueFailsBeforeAnyWrite)
{
    PictureSurface src(3, 1, Grey(200));
    src.row(0)[2] = -1;
    PictureSurface dst(3, 1, Grey(7));
    EXPECT_THROW(ReduceToShades(dst, src), Error);
    EXPECT_EQ(dst, PictureSurface(3, 1, Grey(7)));
}
