// Grey bytes, levels and the four shadings: known answers worked out by hand from the rules.
#include "testsupport.h"

#include "error.h"
#include "imaging/shading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

ByteGrid Grid(int width, std::vector<std::uint8_t> values)
{
    const int height = int(values.size()) / width;
    return {width, height, std::move(values)};
}

ByteGrid Uniform(int width, int height, std::uint8_t grey)
{
    return {width, height, std::vector<std::uint8_t>(std::size_t(width) * height, grey)};
}

std::vector<std::uint8_t> LevelsOf(const PictureSurface &shaded)
{
    std::vector<std::uint8_t> levels;
    for (int y = 0; y < shaded.height(); ++y)
        for (int x = 0; x < shaded.width(); ++x)
            levels.push_back(std::uint8_t(SplitColor(shaded.pixel(x, y)).green / 85));
    return levels;
}

// Four greens with greys 39, 77 or 78, 145 and 159,
// so the threshold gives the two light ones the same shade.
const ColorValue Greens[] = {Rgb(15, 56, 15), Rgb(48, 98, 48), Rgb(139, 172, 15),
                             Rgb(155, 188, 15)};

PictureSurface Drawn(int width, std::initializer_list<std::initializer_list<ColorValue>> rows)
{
    PictureSurface p(width, int(rows.size()));
    int y = 0;
    for (const auto &row : rows) {
        int x = 0;
        for (const ColorValue c : row)
            p.setPixel(x++, y, c);
        ++y;
    }
    return p;
}

} // namespace

// The integer shortcuts (one colour, and runs of them) against the
// rule as written, on every colour.
TEST(GreyByte, IsTheDoubleSumRoundedHalfToEvenForEveryColour)
{
    // 32 * 128 + 16 + 4 + 3: each run ends in every width of step the
    // processor may take, down to one colour at a time.
    constexpr int Run = 4119;
    std::vector<ColorValue> colours(Run);
    std::vector<std::uint8_t> greys(Run);
    int mismatches = 0;
    for (int start = 0; start < (1 << 24); start += Run) {
        const int n = std::min(Run, (1 << 24) - start);
        for (int k = 0; k < n; ++k)
            colours[std::size_t(k)] = start + k;
        GreyBytes(colours.data(), greys.data(), std::size_t(n));
        for (int k = 0; k < n; ++k) {
            const int v = start + k;
            const double u =
                ((v >> 8) & 0xFF) * 0.59 + (v & 0xFF) * 0.30 + ((v >> 16) & 0xFF) * 0.11;
            const int rule = int(std::nearbyint(u));
            mismatches += (GreyByte(v) != rule) + (greys[std::size_t(k)] != rule);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(Levels, KnownAnswers)
{
    struct Case {
        int grey, black, white, expected;
    } const cases[] = {
        {0, 0, 255, 0},      {100, 0, 255, 100}, {255, 0, 255, 255},  {50, 50, 200, 0},
        {49, 50, 200, 0},    {51, 50, 200, 2},   {125, 50, 200, 128}, {200, 50, 200, 255},
        {230, 50, 200, 255}, {100, 0, 200, 128}, {0, 0, 1, 0},        {1, 0, 1, 255},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ApplyLevels(std::uint8_t(c.grey), c.black, c.white), c.expected)
            << c.grey << " in " << c.black << ".." << c.white;
}

TEST(Ordered, KnownAnswers)
{
    struct Case {
        ByteGrid greys;
        std::vector<std::uint8_t> levels;
    } const cases[] = {
        // The pure shades stay as they are.
        {Uniform(4, 4, 0), std::vector<std::uint8_t>(16, 0)},
        {Uniform(4, 4, 85), std::vector<std::uint8_t>(16, 1)},
        {Uniform(4, 4, 170), std::vector<std::uint8_t>(16, 2)},
        {Uniform(4, 4, 255), std::vector<std::uint8_t>(16, 3)},
        // 64: level 1 where the matrix holds 4 or more.
        {Uniform(4, 4, 64), {0, 1, 0, 1, 1, 1, 1, 1, 0, 1, 0, 1, 1, 1, 1, 1}},
        // 128: level 2 where it holds 8 or more, a checkerboard.
        {Uniform(4, 4, 128), {1, 2, 1, 2, 2, 1, 2, 1, 1, 2, 1, 2, 2, 1, 2, 1}},
        // 200: level 3 where it holds 10 or more.
        {Uniform(4, 4, 200), {2, 2, 2, 3, 3, 2, 3, 2, 2, 3, 2, 2, 3, 2, 3, 2}},
        // The pattern repeats every four columns and rows.
        {Uniform(5, 1, 128), {1, 2, 1, 2, 1}},
        {Grid(1, {128, 128, 128, 128, 128}), {1, 2, 1, 2, 1}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(OrderedLevels(c.greys).values, c.levels) << int(c.greys.values[0]);
}

TEST(Diffuse, KnownAnswers)
{
    struct Case {
        const char *what;
        ByteGrid greys;
        std::vector<std::uint8_t> levels;
    } const cases[] = {
        {"pure shades carry no error",
         Grid(4, {0, 85, 170, 255, 255, 170, 85, 0}),
         {0, 1, 2, 3, 3, 2, 1, 0}},
        {"128 alternates", Uniform(3, 2, 128), {2, 1, 2, 1, 2, 1}},
        // The second row runs right to left: left to right, its second
        // pixel would be 0.
        {"serpentine", Grid(4, {64, 64, 64, 64, 0, 64, 64, 255}), {1, 1, 1, 1, 0, 1, 0, 3}},
        {"one pixel", Grid(1, {42}), {0}},
        {"one pixel above the half", Grid(1, {43}), {1}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DiffusedLevels(c.greys).values, c.levels) << c.what;
}

// The rule worked out plainly, an error grid with a dropped column either
// side, on a random grid of odd width: both scan directions, the edges and
// sums across the whole range, against the one-pass scan.
TEST(Diffuse, MatchesThePlainRuleOnARandomGrid)
{
    constexpr int W = 37, H = 29;
    std::mt19937 rng(2026);
    ByteGrid greys{W, H, {}};
    for (int i = 0; i < W * H; ++i)
        greys.values.push_back(std::uint8_t(rng()));
    std::vector<int> error(std::size_t(W + 2) * (H + 1), 0);
    std::vector<std::uint8_t> expected(std::size_t(W) * H);
    for (int y = 0; y < H; ++y) {
        const int step = y % 2 == 0 ? 1 : -1;
        int carry = 0;
        for (int i = 0; i < W; ++i) {
            const int x = step > 0 ? i : W - 1 - i;
            const int u = 16 * greys.at(x, y) + error[std::size_t(y * (W + 2) + x + 1)] + carry;
            const int level = (u >= 680) + (u >= 2040) + (u >= 3400);
            const int e = u - 1360 * level;
            expected[std::size_t(y * W + x)] = std::uint8_t(level);
            carry = int(std::floor(7 * e / 16.0));
            const int behind = int(std::floor(3 * e / 16.0)), under = int(std::floor(5 * e / 16.0));
            int *below = &error[std::size_t((y + 1) * (W + 2) + x + 1)];
            below[-step] += behind;
            below[0] += under;
            below[step] += e - carry - behind - under;
        }
    }
    EXPECT_EQ(DiffusedLevels(greys).values, expected);
}

TEST(Palette, KnownAnswers)
{
    const ColorValue a = Greens[0], b = Greens[1], c = Greens[2], d = Greens[3];
    const ColorValue black = Rgb(0, 0, 0), blue = Rgb(0, 0, 255), white = Rgb(255, 255, 255);
    struct Case {
        const char *what;
        PictureSurface picture;
        int columns;
        std::vector<std::uint8_t> levels;
    } const cases[] = {
        {"four greens, one level each",
         Drawn(4, {{d, c, b, a}, {a, a, d, d}}),
         4,
         {3, 2, 1, 0, 0, 0, 3, 3}},
        // Three colours: ranks 0, 1, 2 give levels 0, round(1.5) = 2, 3.
        {"three colours", Drawn(3, {{white, blue, black}}), 3, {3, 2, 0}},
        // Both grey 59: the lower green ranks first.
        {"a tie goes by red, green, blue", Drawn(2, {{Rgb(0, 100, 0), Rgb(0, 89, 59)}}), 2, {3, 0}},
        {"one colour is thresholded",
         Drawn(2, {{Rgb(100, 100, 100), Rgb(100, 100, 100)}}),
         2,
         {1, 1}},
        // Padding is white and not counted: four colours and white are fine.
        {"padding stays white", Drawn(6, {{a, b, c, d, white, white}}), 4, {0, 1, 2, 3, 3, 3}},
    };
    for (const Case &k : cases)
        EXPECT_EQ(PaletteLevels(k.picture, k.columns, QStringLiteral("p.png")).values, k.levels)
            << k.what;
}

// The step as loading runs it: greens in threshold give three shades, in
// palette order four; the padding beyond the picture's columns stays white.
TEST(ShadePicture, ChoosesTheShadingAndKeepsPaddingWhite)
{
    const PictureSurface greens = Drawn(8, {{Greens[0], Greens[1], Greens[2], Greens[3]}});
    struct Case {
        ShadeMode shade;
        int black, white;
        std::vector<std::uint8_t> levels;
    } const cases[] = {
        {ShadeMode::Threshold, 0, 255, {0, 1, 2, 2, 3, 3, 3, 3}},
        {ShadeMode::Palette, 0, 255, {0, 1, 2, 3, 3, 3, 3, 3}},
        // Levels 40..160 stretch 145 to 223 and 159 to 253: both white.
        {ShadeMode::Threshold, 40, 160, {0, 1, 3, 3, 3, 3, 3, 3}},
        {ShadeMode::Ordered, 0, 255, {0, 1, 1, 2, 3, 3, 3, 3}},
    };
    for (const Case &c : cases) {
        PictureSurface p = greens;
        PictureOptions options;
        options.shade = c.shade;
        options.black = c.black;
        options.white = c.white;
        ShadePicture(p, 4, options, QStringLiteral("g.png"));
        EXPECT_EQ(LevelsOf(p), c.levels) << int(c.shade) << " " << c.black;
    }
}
