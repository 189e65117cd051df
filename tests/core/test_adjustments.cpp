// Brightness and contrast: the shade tables, the rules per component, overflow, order.
#include "testsupport.h"

#include "error.h"
#include "imaging/adjustments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

// Four pixels, one per shade, black to white.
PictureSurface FourShades()
{
    PictureSurface s(4, 1);
    const ColorValue shades[] = {ShadeBlack, ShadeDark, ShadeLight, ShadeWhite};
    for (int x = 0; x < 4; ++x)
        s.setPixel(x, 0, shades[x]);
    return s;
}

std::array<int, 4> GreysOf(const PictureSurface &s)
{
    std::array<int, 4> out{};
    for (int x = 0; x < 4; ++x) {
        const ColorTriple t = SplitColor(s.pixel(x, 0));
        EXPECT_TRUE(t.red == t.green && t.green == t.blue) << "pixel " << x << " is not grey";
        out[std::size_t(x)] = t.red;
    }
    return out;
}

std::array<int, 4> Brightened(int brightness)
{
    PictureSurface s = FourShades();
    ApplyBrightness(s, s, std::int16_t(brightness));
    return GreysOf(s);
}

std::array<int, 4> Contrasted(int contrast)
{
    PictureSurface s = FourShades();
    ApplyContrast(s, s, std::int16_t(contrast));
    return GreysOf(s);
}

// The rules as written, one component at a time; no value when the 16-bit
// arithmetic overflows.
std::optional<std::uint8_t> ReferenceBrightness(int c, int brightness)
{
    const int s = c + brightness;
    if (s < -32768 || s > 32767)
        return std::nullopt;
    return SnapToShade(ClampToByte(std::int16_t(s)));
}

std::optional<std::uint8_t> ReferenceContrast(int c, int contrast)
{
    const double base = (contrast + 100) / 100.0;
    const double factor = base * base;
    const double t = ((c / 255.0 - 0.5) * factor + 0.5) * 255.0;
    const double n = std::nearbyint(t);
    if (n < -32768 || n > 32767)
        return std::nullopt;
    return SnapToShade(ClampToByte(std::int16_t(n)));
}

// 273 pixels whose red, green and blue each run through all 256 values, in
// different orders so that a mixed-up component shows. 13 x 21 leaves odd
// pixels at the end of a row and of the whole run.
PictureSurface EveryComponent()
{
    PictureSurface s(13, 21);
    for (int i = 0; i < 13 * 21; ++i)
        s.setPixel(i % 13, i / 13,
                   PackColor({std::uint8_t(i * 7 + 3), std::uint8_t(255 - i), std::uint8_t(i)}));
    return s;
}

// Into a surface of the same size, into a larger one (whose rest must stay
// as it was) and in place.
template <class Pass, class Reference>
void CheckAgainstReference(Pass pass, Reference reference, int setting)
{
    const PictureSurface src = EveryComponent();
    PictureSurface expected(16, 22, Grey(1));
    bool overflows = false;
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) {
            const ColorTriple t = SplitColor(src.pixel(x, y));
            const auto b = reference(t.blue, setting), g = reference(t.green, setting),
                       r = reference(t.red, setting);
            if (!b || !g || !r)
                overflows = true;
            else
                expected.setPixel(x, y, PackColor({*b, *g, *r}));
        }
    PictureSurface larger(16, 22, Grey(1));
    if (overflows) {
        EXPECT_THROW(pass(larger, src, std::int16_t(setting)), Error) << "setting " << setting;
        EXPECT_EQ(larger, PictureSurface(16, 22, Grey(1))) << "setting " << setting;
        return;
    }
    pass(larger, src, std::int16_t(setting));
    EXPECT_EQ(larger, expected) << "setting " << setting;

    expected.resize(src.width(), src.height());
    PictureSurface same(src.width(), src.height(), Grey(1));
    pass(same, src, std::int16_t(setting));
    EXPECT_EQ(same, expected) << "setting " << setting;
    PictureSurface inPlace = src;
    pass(inPlace, inPlace, std::int16_t(setting));
    EXPECT_EQ(inPlace, expected) << "in place, setting " << setting;
}

} // namespace

TEST(Brightness, ShadeTable)
{
    using Row = std::array<int, 4>;
    EXPECT_EQ(Brightened(-255), (Row{0, 0, 0, 0}));
    EXPECT_EQ(Brightened(-170), (Row{0, 0, 0, 85}));
    EXPECT_EQ(Brightened(-85), (Row{0, 0, 85, 170}));
    for (int b = -42; b <= 42; ++b)
        EXPECT_EQ(Brightened(b), (Row{0, 85, 170, 255})) << "brightness " << b;
    EXPECT_EQ(Brightened(85), (Row{85, 170, 255, 255}));
    EXPECT_EQ(Brightened(170), (Row{170, 255, 255, 255}));
    EXPECT_EQ(Brightened(255), (Row{255, 255, 255, 255}));
}

TEST(Brightness, StepBoundaries)
{
    using Row = std::array<int, 4>;
    EXPECT_EQ(Brightened(43), (Row{85, 170, 255, 255}));
    EXPECT_EQ(Brightened(-43), (Row{0, 0, 85, 170}));
    EXPECT_EQ(Brightened(-127)[3], 170);
    EXPECT_EQ(Brightened(-128)[3], 85);
}

TEST(Contrast, ShadeTable)
{
    using Row = std::array<int, 4>;
    EXPECT_EQ(Contrasted(-100), (Row{170, 170, 170, 170}));
    EXPECT_EQ(Contrasted(-50), (Row{85, 85, 170, 170}));
    EXPECT_EQ(Contrasted(0), (Row{0, 85, 170, 255}));
    EXPECT_EQ(Contrasted(25), (Row{0, 85, 170, 255}));
    EXPECT_EQ(Contrasted(50), (Row{0, 0, 255, 255}));
    EXPECT_EQ(Contrasted(100), (Row{0, 0, 255, 255}));
}

TEST(Contrast, MinusHundredIsLightGreyWhateverCameBefore)
{
    for (int b : {-255, -85, 0, 85, 255}) {
        PictureSurface s = FourShades();
        ApplyBrightness(s, s, std::int16_t(b));
        ApplyContrast(s, s, -100);
        EXPECT_EQ(GreysOf(s), (std::array<int, 4>{170, 170, 170, 170})) << "brightness " << b;
    }
}

TEST(Adjustments, OrderMatters)
{
    struct Case {
        int grey, brightness, contrast, brightnessFirst, contrastFirst;
    };
    const Case cases[] = {{85, 85, 100, 255, 85}, {170, -85, 50, 0, 170}};
    for (const Case &c : cases) {
        PictureSurface stored(1, 1, Grey(c.grey));
        PictureSurface preview(1, 1);
        ApplyBrightness(preview, stored, std::int16_t(c.brightness));
        ApplyContrast(preview, preview, std::int16_t(c.contrast));
        EXPECT_EQ(preview.pixel(0, 0), Grey(c.brightnessFirst)) << "grey " << c.grey;

        PictureSurface compiled = stored;
        ApplyContrast(compiled, compiled, std::int16_t(c.contrast));
        ApplyBrightness(compiled, compiled, std::int16_t(c.brightness));
        EXPECT_EQ(compiled.pixel(0, 0), Grey(c.contrastFirst)) << "grey " << c.grey;
    }
}

// The one function the compile and the preview share: contrast, then
// brightness, into a surface of another size or in place.
TEST(Adjustments, ApplyAdjustmentsIsContrastThenBrightness)
{
    struct Case {
        int grey, brightness, contrast, expected;
    };
    const Case cases[] = {{85, 85, 100, 85},
                          {170, -85, 50, 170},
                          {85, 85, 0, 170},
                          {170, 0, 50, 255},
                          {85, 0, 0, 85}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.grey);
        const PictureSurface stored(2, 3, Grey(c.grey));
        PictureSurface preview(7, 1, Grey(0));
        ApplyAdjustments(preview, stored, std::int16_t(c.contrast), std::int16_t(c.brightness));
        EXPECT_EQ(preview, PictureSurface(2, 3, Grey(c.expected)));
        PictureSurface inPlace = stored;
        ApplyAdjustments(inPlace, inPlace, std::int16_t(c.contrast), std::int16_t(c.brightness));
        EXPECT_EQ(inPlace, preview);
    }
    PictureSurface s = FourShades();
    EXPECT_THROW(ApplyAdjustments(s, s, 32000, 0), Error);
}

TEST(Adjustments, ZeroLeavesFourShadesUnchanged)
{
    PictureSurface s = FourShades();
    ApplyBrightness(s, s, 0);
    ApplyContrast(s, s, 0);
    EXPECT_EQ(s, FourShades());
}

TEST(Adjustments, BrightnessPassEqualsRuleForEveryComponent)
{
    for (int b : {-32768, -1000, -256, -255, -170, -128, -127,  -86,   -85,   -43,
                  -42,    -1,    0,    1,    42,   43,   84,    85,    86,    127,
                  128,    212,   213,  255,  256,  1000, 32512, 32513, 32600, 32767})
        CheckAgainstReference(ApplyBrightness, ReferenceBrightness, b);
}

TEST(Adjustments, ContrastPassEqualsRuleForEveryComponent)
{
    for (int c : {-32768, -5000, -1000, -300, -200, -101, -100, -99,  -75,  -50, -49,
                  -25,    -1,    0,     1,    10,   25,   26,   49,   50,   51,  75,
                  99,     100,   101,   300,  1000, 1500, 1501, 1507, 32767})
        CheckAgainstReference(ApplyContrast, ReferenceContrast, c);
}

TEST(Adjustments, OverflowNamesSettingAndWritesNothing)
{
    PictureSurface s = FourShades();
    try {
        ApplyBrightness(s, s, 32767);
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().startsWith("brightness 32767 is out of range"))
            << qPrintable(e.message());
    }
    EXPECT_EQ(s, FourShades());
    try {
        ApplyContrast(s, s, -32768);
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().startsWith("contrast -32768 is out of range"))
            << qPrintable(e.message());
    }
    EXPECT_EQ(s, FourShades());
}

TEST(Adjustments, OverflowDependsOnThePicture)
{
    // 0 + 32767 fits in 16 bits; only a lighter component overflows.
    PictureSurface black(2, 2, ShadeBlack);
    ApplyBrightness(black, black, 32767);
    EXPECT_EQ(black, PictureSurface(2, 2, ShadeWhite));
    PictureSurface withWhite(2, 2, ShadeBlack);
    withWhite.setPixel(1, 1, PackColor({0, 0, 255}));
    EXPECT_THROW(ApplyBrightness(withWhite, withWhite, 32767), Error);
}

TEST(Adjustments, ExtentComesFromSource)
{
    const PictureSurface src(2, 1, ShadeDark);
    PictureSurface dst(3, 2, Grey(9));
    ApplyBrightness(dst, src, 85);
    EXPECT_EQ(dst.pixel(0, 0), ShadeLight);
    EXPECT_EQ(dst.pixel(1, 0), ShadeLight);
    EXPECT_EQ(dst.pixel(2, 0), Grey(9));
    EXPECT_EQ(dst.pixel(0, 1), Grey(9));
    ApplyContrast(dst, src, 100);
    EXPECT_EQ(dst.pixel(0, 0), ShadeBlack);
    EXPECT_EQ(dst.pixel(2, 1), Grey(9));
}
