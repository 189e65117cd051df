// The colour model: packing, clamping and snapping.
#include "error.h"
#include "imaging/colormodel.h"

#include <gtest/gtest.h>

using namespace bitvane;

TEST(ColorModel, PaletteValues)
{
    EXPECT_EQ(ShadeBlack, 0);
    EXPECT_EQ(ShadeDark, 5592405);
    EXPECT_EQ(ShadeLight, 11184810);
    EXPECT_EQ(ShadeWhite, 16777215);
}

TEST(ColorModel, PackAndSplitAreInverse)
{
    EXPECT_EQ(PackColor({18, 52, 86}), 1193046);
    EXPECT_EQ(SplitColor(1193046), (ColorTriple{18, 52, 86}));
    for (ColorValue v = 0; v <= 0xFFFFFF; v += 4093)
        EXPECT_EQ(PackColor(SplitColor(v)), v);
    EXPECT_EQ(PackColor(SplitColor(0xFFFFFF)), 0xFFFFFF);
}

TEST(ColorModel, SplitOfNegativeValueIsAnError)
{
    EXPECT_THROW(SplitColor(-1), Error);
}

TEST(ColorModel, ClampToByte)
{
    EXPECT_EQ(ClampToByte(-1), 0);
    EXPECT_EQ(ClampToByte(0), 0);
    EXPECT_EQ(ClampToByte(255), 255);
    EXPECT_EQ(ClampToByte(256), 255);
    EXPECT_EQ(ClampToByte(-32768), 0);
    EXPECT_EQ(ClampToByte(32767), 255);
}

TEST(ColorModel, SnapToShadeThresholds)
{
    const std::pair<int, int> cases[] = {{0, 0},     {42, 0},    {43, 85},   {127, 85},
                                         {128, 170}, {212, 170}, {213, 255}, {255, 255}};
    for (auto [in, out] : cases)
        EXPECT_EQ(SnapToShade(std::uint8_t(in)), out) << "byte " << in;
}
