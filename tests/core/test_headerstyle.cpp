// Modern sprite blocks, the classic block without an array, and the modern preamble and guard.
#include "compiler/headerstyle.h"
#include "compiler/spritearray.h"
#include "error.h"

#include <gtest/gtest.h>

#include <string>

using namespace bitvane;

namespace {

constexpr ColorValue B = ShadeBlack, D = ShadeDark, L = ShadeLight, W = ShadeWhite;

PictureSurface Rows(int width, const std::vector<std::vector<ColorValue>> &rows)
{
    PictureSurface s(width, int(rows.size()));
    for (int y = 0; y < int(rows.size()); ++y)
        for (std::size_t x = 0; x < rows[std::size_t(y)].size(); ++x)
            s.setPixel(int(x), y, rows[std::size_t(y)][x]);
    return s;
}

// The worked example: B D L W W W W B over a white row.
PictureSurface EightByTwo()
{
    return Rows(8, {{B, D, L, W, W, W, W, B}, {W, W, W, W, W, W, W, W}});
}

SpriteMask Mask(int width, std::vector<std::uint32_t> rows)
{
    return SpriteMask{width, std::move(rows)};
}

std::string Block(const PictureSurface &p, const char *name, bool hex,
                  const SpriteMask *mask = nullptr, HeaderStyle style = HeaderStyle::Modern)
{
    return SpriteBlock(style, p, QString::fromLatin1(name), hex, mask).toStdString();
}

} // namespace

TEST(ModernBlock, TheWorkedExample)
{
    EXPECT_EQ(Block(EightByTwo(), "sprite", true),
              "#define sprite_WIDTH 8\r\n"
              "#define sprite_HEIGHT 2\r\n"
              "static const uint8_t sprite[4] BITVANE_DATA = {\r\n"
              "    0xA1, /* #+-....# */\r\n"
              "    0x00, /* ........ */\r\n"
              "    0xC1,\r\n"
              "    0x00\r\n"
              "};\r\n"
              "\r\n");
}

TEST(ModernBlock, NoShadePixelKeepsItsPlaceAndIsDrawnAsQuestionMark)
{
    // The classic line closes the row up; the modern one must not, or the
    // row would no longer be NAME_WIDTH pixels.
    const PictureSurface p = Rows(8, {{B, B, B, ColorValue(0x123456), W, W, W, W}});
    EXPECT_EQ(MakeSpriteArray(p, "q", true), "static unsigned char q[2] = {0x70, 0x70};");
    const std::string block = Block(p, "q", true);
    EXPECT_NE(block.find("    0xE0, /* ###?.... */\r\n"), std::string::npos);
    EXPECT_NE(block.find("    0xE0\r\n"), std::string::npos);
}

TEST(ModernBlock, WritesNamesAsTheyStandAndRefusesWhatGivesNoArray)
{
    // Both styles write a name as it stands: the user chose to compile it.
    const PictureSurface p = EightByTwo();
    for (const char *name : {"my ship", "9lives", "sch\xc3\xb6n"}) {
        const QByteArray block = SpriteBlock(HeaderStyle::Modern, p, QString::fromUtf8(name), true);
        EXPECT_TRUE(block.startsWith(QByteArray("#define ") + name + "_WIDTH 8\r\n")) << name;
        EXPECT_TRUE(block.contains(QByteArray("uint8_t ") + name + "[4] BITVANE_DATA")) << name;
    }
    EXPECT_THROW(Block(PictureSurface(10, 2), "ten", true), Error);
    EXPECT_THROW(Block(PictureSurface(8, 0), "none", true), Error);
    const SpriteMask shortMask = Mask(8, {0xFF});
    EXPECT_THROW(Block(p, "sprite", true, &shortMask), Error);
    EXPECT_THROW(Block(p, "sprite", true, &shortMask, HeaderStyle::Classic), Error);
}

// The golden classic cases hold the array and mask lines; a width that
// gives no array gives no mask line either.
TEST(ClassicBlock, NoArrayMeansNoMaskLine)
{
    const SpriteMask ten = Mask(10, {0, 0});
    EXPECT_EQ(Block(PictureSurface(10, 2), "ten", true, &ten, HeaderStyle::Classic), "\r\n\r\n");
}

TEST(ModernFrame, GuardFromTheHeaderFileName)
{
    EXPECT_EQ(IncludeGuard("/home/u/game/sprites.h"), "SPRITES_H");
    EXPECT_EQ(IncludeGuard("my-tiles.v2.h"), "MY_TILES_V2_H");
    EXPECT_EQ(IncludeGuard("8bit.h"), "H_8BIT_H");
    EXPECT_EQ(IncludeGuard("_x.h"), "H__X_H");
    EXPECT_EQ(IncludeGuard(QString::fromUtf8("b\xc3\xa4ume.h")), "B_UME_H");
}

TEST(ModernFrame, PreambleNamesTheProjectOnlyAndEndingClosesTheGuard)
{
    // The full text is held by the golden modern cases; here: the project's
    // file name only, the guard from the header's, none for no project.
    const QByteArray text = ModernPreamble("/a/b/sprites.h", "/somewhere/tiles.bvp");
    EXPECT_TRUE(text.startsWith("/* Sprite header file made with Bitvane 2.0 from tiles.bvp */\r\n"
                                "#ifndef SPRITES_H\r\n"
                                "#define SPRITES_H\r\n"));
    EXPECT_EQ(ModernPreamble("/elsewhere/sprites.h", "tiles.bvp"), text);
    EXPECT_TRUE(
        ModernPreamble("s.h", "").startsWith("/* Sprite header file made with Bitvane 2.0 */\r\n"));
    EXPECT_EQ(ModernEnding("/a/b/sprites.h"), "#endif /* SPRITES_H */\r\n");
}
