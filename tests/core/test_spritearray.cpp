// The header writer against worked examples and the reference array writer.
#include "testsupport.h"

#include "compiler/spritearray.h"
#include "error.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

PictureSurface Rows(int width, const std::vector<std::vector<ColorValue>> &rows)
{
    PictureSurface s(width, int(rows.size()));
    for (int y = 0; y < int(rows.size()); ++y)
        for (int x = 0; x < width; ++x)
            s.setPixel(x, y, rows[std::size_t(y)][std::size_t(x)]);
    return s;
}

constexpr ColorValue B = ShadeBlack, D = ShadeDark, L = ShadeLight, W = ShadeWhite;

} // namespace

TEST(SpriteArray, WorkedExampleEightByTwo)
{
    const PictureSurface p = Rows(8, {{B, D, L, W, W, W, W, B}, {W, W, W, W, W, W, W, W}});
    EXPECT_EQ(MakeSpriteArray(p, "sprite", true),
              "static unsigned char sprite[4] = {0xa1, 0x0, 0xc1, 0x0};");
    EXPECT_EQ(MakeSpriteArray(p, "sprite", false),
              "static unsigned char sprite[4] = {0b10100001, 0b00000000, 0b11000001, 0b00000000};");
}

TEST(SpriteArray, SixteenByOne)
{
    PictureSurface p(16, 1, W);
    for (int x = 0; x < 8; ++x)
        p.setPixel(x, 0, B);
    EXPECT_EQ(MakeSpriteArray(p, "s", true), "static unsigned short s[2] = {0xff00, 0xff00};");
    EXPECT_EQ(MakeSpriteArray(p, "s", false),
              "static unsigned short s[2] = {0b1111111100000000, 0b1111111100000000};");
}

TEST(SpriteArray, ThirtyTwoWideAllBlackFillsUnsignedLong)
{
    const PictureSurface p(32, 1, B);
    EXPECT_EQ(MakeSpriteArray(p, "big", true),
              "static unsigned long big[2] = {0xffffffff, 0xffffffff};");
    const std::string ones(32, '1');
    EXPECT_EQ(MakeSpriteArray(p, "big", false).toStdString(),
              "static unsigned long big[2] = {0b" + ones + ", 0b" + ones + "};");
}

TEST(SpriteArray, NoLeadingZeroDigitsInHex)
{
    // Row digits 00001111 in both planes: four white, then four black.
    const PictureSurface p = Rows(8, {{W, W, W, W, B, B, B, B}});
    EXPECT_EQ(MakeSpriteArray(p, "n", true), "static unsigned char n[2] = {0xf, 0xf};");
}

TEST(SpriteArray, NonShadePixelDropsItsDigit)
{
    const ColorValue other = PackColor({1, 2, 3});
    const PictureSurface p = Rows(8, {{B, B, B, other, W, W, W, W}});
    EXPECT_EQ(MakeSpriteArray(p, "x", true), "static unsigned char x[2] = {0x70, 0x70};");
    EXPECT_EQ(MakeSpriteArray(p, "x", false),
              "static unsigned char x[2] = {0b1110000, 0b1110000};");
}

TEST(SpriteArray, NearShadesAreNotShades)
{
    // One off in a single component, or a shade's level in one component
    // only: neither is a palette value.
    for (ColorValue other : {ShadeDark + 1, ShadeLight - 256, 0x000055, 0x550000, 0x00FFFF}) {
        const PictureSurface p = Rows(8, {{other, W, W, W, W, W, W, B}});
        EXPECT_EQ(MakeSpriteArray(p, "x", false),
                  "static unsigned char x[2] = {0b0000001, 0b0000001};")
            << std::hex << other;
    }
}

TEST(SpriteArray, OtherWidthsGiveEmptyText)
{
    for (int width : {0, 1, 7, 9, 10, 15, 17, 24, 31, 33, 64}) {
        const PictureSurface p(width, 3, B);
        EXPECT_TRUE(MakeSpriteArray(p, "w", true).isEmpty()) << width;
        EXPECT_TRUE(MakeSpriteArray(p, "w", false).isEmpty()) << width;
    }
}

TEST(SpriteArray, NameIsWrittenVerbatim)
{
    const PictureSurface p(8, 1, W);
    EXPECT_EQ(MakeSpriteArray(p, "", true), "static unsigned char [2] = {0x0, 0x0};");
    EXPECT_EQ(MakeSpriteArray(p, "my ship-2!", true),
              "static unsigned char my ship-2![2] = {0x0, 0x0};");
    EXPECT_EQ(MakeSpriteArray(p, QStringLiteral("r\u00e4tsel \u5f71"), true),
              QByteArray("static unsigned char r\xc3\xa4tsel \xe5\xbd\xb1[2] = {0x0, 0x0};"));
}

TEST(SpriteArray, TallestSpriteCountsAllRows)
{
    const PictureSurface p(16, 240, L);
    const QByteArray line = MakeSpriteArray(p, "t", true);
    EXPECT_TRUE(line.startsWith("static unsigned short t[480] = {0xffff, 0xffff"));
    EXPECT_EQ(line.count("0x0"), 240);
    EXPECT_EQ(line.count("0xffff"), 240);
    EXPECT_TRUE(line.endsWith(", 0x0};"));
}

TEST(SpriteArray, MatchesDigitStringReferenceOnRandomPictures)
{
    std::mt19937 rng(20261207);
    const ColorValue palette[] = {B, D, L, W, B, D, L, W, 0x123456, 0x555554};
    for (int width : {8, 16, 32}) {
        for (int round = 0; round < 20; ++round) {
            const int height = 1 + int(rng() % 12);
            PictureSurface p(width, height);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    p.setPixel(x, y, palette[rng() % std::size(palette)]);
            for (bool hex : {true, false})
                ASSERT_EQ(MakeSpriteArray(p, "r", hex), ReferenceArray(p, "r", hex))
                    << "width " << width << " round " << round << " hex " << hex;
        }
    }
}

TEST(BinToHex, Examples)
{
    const std::pair<const char *, const char *> cases[] = {
        {"", "0"},
        {"0", "0"},
        {"0000", "0"},
        {"1", "1"},
        {"1010", "a"},
        {"11111111", "ff"},
        {"00001111", "f"},
        {"10000", "10"},
        {"1111111100000000", "ff00"},
        {"11111111111111111111111111111111", "ffffffff"},
        {"100000000000000000000000000000000", "100000000"},
    };
    for (auto [bin, hex] : cases)
        EXPECT_EQ(BinToHex(bin), QByteArray(hex)) << '"' << bin << '"';
}

TEST(BinToHex, ExactBeyondDoublePrecision)
{
    // 2^64 + 1: 65 digits, more than a double holds exactly.
    const QByteArray digits = "1" + QByteArray(63, '0') + "1";
    EXPECT_EQ(BinToHex(digits), "1" + QByteArray(15, '0') + "1");
    EXPECT_EQ(BinToHex(QByteArray(400, '1')), QByteArray(100, 'f'));
}

TEST(BinToHex, RejectsOtherCharacters)
{
    EXPECT_THROW(BinToHex("102"), Error);
    EXPECT_THROW(BinToHex("1 0"), Error);
}
