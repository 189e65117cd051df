// Reading headers back into pictures, and writing those pictures as PNGs.
#include "compiler/extractpictures.h"
#include "compiler/headerreader.h"
#include "compiler/headerstyle.h"
#include "compiler/spritearray.h"
#include "error.h"
#include "imaging/pictureloader.h"
#include "imaging/qtimage.h"
#include "imaging/spritemask.h"
#include "testsupport.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace bitvane;
using namespace bitvane::testing;

namespace bitvane {
void PrintTo(const HeaderWarning &w, std::ostream *os)
{
    *os << w.line << ": " << w.text.toStdString();
}
} // namespace bitvane

namespace {

HeaderContents Read(const QByteArray &text)
{
    return ReadHeader(text, QStringLiteral("in.h"));
}

// The message of the Error reading text throws, or "no error".
QString ReadError(const QByteArray &text, int *line = nullptr)
{
    try {
        Read(text);
    } catch (const Error &e) {
        if (line)
            *line = e.line();
        return e.message();
    }
    return QStringLiteral("no error");
}

} // namespace

// Every style, notation and width, with and without masks, written by the
// writers and read back; heights odd and even, so a mask's count is too.
class RoundTrip : public ::testing::TestWithParam<std::tuple<HeaderStyle, bool, bool, int>> {};

TEST_P(RoundTrip, GivesThePicturesMasksAndFormBack)
{
    const auto [style, hex, masked, width] = GetParam();
    const PictureSurface first = RandomShades(width, 5, 1), second = RandomShades(width, 240, 2);
    const SpriteMask firstMask = RandomMask(width, 5, 3), secondMask = RandomMask(width, 240, 4);
    const bool modern = style == HeaderStyle::Modern;
    QByteArray text =
        modern ? ModernPreamble(QStringLiteral("sprites.h"), QStringLiteral("p.bvp")) : Preamble;
    text += SpriteBlock(style, first, QStringLiteral("first"), hex, masked ? &firstMask : nullptr);
    text += SpriteBlock(style, second, QStringLiteral("second_one"), hex,
                        masked ? &secondMask : nullptr);
    if (modern)
        text += ModernEnding(QStringLiteral("sprites.h"));

    for (const QByteArray &lineEnds : {text, QByteArray(text).replace("\r\n", "\n")}) {
        const HeaderContents got = Read(lineEnds);
        ASSERT_EQ(got.sprites.size(), 2u);
        EXPECT_TRUE(got.warnings.empty());
        EXPECT_EQ(got.style, style);
        EXPECT_EQ(got.hex, hex);
        EXPECT_EQ(got.masks, masked);
        EXPECT_EQ(got.sprites[0].name, QStringLiteral("first"));
        EXPECT_EQ(got.sprites[1].name, QStringLiteral("second_one"));
        EXPECT_TRUE(got.sprites[0].picture == first);
        EXPECT_TRUE(got.sprites[1].picture == second);
        EXPECT_EQ(got.sprites[0].mask, masked ? std::optional(firstMask) : std::nullopt);
        EXPECT_EQ(got.sprites[1].mask, masked ? std::optional(secondMask) : std::nullopt);
        // Written again in the form found, the arrays come back byte for byte.
        QByteArray again = text.left(text.indexOf(modern ? "#define first" : "static"));
        for (const HeaderSprite &s : got.sprites)
            again +=
                SpriteBlock(got.style, s.picture, s.name, got.hex, s.mask ? &*s.mask : nullptr);
        if (modern)
            again += ModernEnding(QStringLiteral("sprites.h"));
        EXPECT_EQ(again, text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllForms, RoundTrip,
    ::testing::Combine(::testing::Values(HeaderStyle::Classic, HeaderStyle::Modern),
                       ::testing::Bool(), ::testing::Bool(), ::testing::Values(8, 16, 32)));

// Each fault of an array is an Error naming the header, the line and why.
TEST(HeaderReader, FaultyArraysAreErrorsWithLineAndReason)
{
    const struct {
        QByteArray text;
        int line;
        const char *reason;
    } cases[] = {
        {"// x\nstatic unsigned char a[3] = {0x1, 0x2, 0x3};\n", 2,
         "array a has 3 elements, an odd number"},
        {"static unsigned char a[2] = {0x1ff, 0x0};", 1,
         "0x1ff does not fit unsigned char (8 bits)"},
        {"static unsigned short a[2] = {0b11111111111111111, 0b0};", 1,
         "does not fit unsigned short (16 bits)"},
        {"static const uint32_t a[2] BITVANE_DATA = {\n0x0,\n0x1000000000000000000000000000000\n};",
         3, "does not fit uint32_t (32 bits)"},
        {"static unsigned char a[2] = {0x1g, 0x0};", 1, "0x1g is no hexadecimal number"},
        {"static unsigned char a[2] = {0b, 0x0};", 1, "0b is no binary number"},
        {"static unsigned char a[4] = {0x1, 0x2, 0x3", 1,
         "array a is cut short: the header ends before its closing \"};\""},
        {"static unsigned char a[4] = {0x1, 0x2};\r\n", 1,
         "array a is cut short: 4 elements declared, 2 given"},
        {"static unsigned char a[2] = {0x1, 0x2, 0x3, 0x4};", 1, "gives 4 elements but declares 2"},
        {"static unsigned char a[99999999999999999999] = {0x1};", 1, "more than 480 elements"},
        {"static unsigned char a[0] = {};", 1, "array a has no elements"},
        {"static unsigned char a[2] = {0x1 0x2};", 1, "',' or '}' expected after element 1"},
        {"static unsigned char a[2] = {0x1, 7};", 1, "element 2, \"7\", is neither"},
        {"static unsigned char a[2] = {0x1, 0x2}\nint b;", 2, "';' expected after its closing '}'"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        int line = 0;
        const QString message = ReadError(c.text, &line);
        EXPECT_TRUE(message.startsWith(QStringLiteral("in.h:%1: ").arg(c.line)))
            << message.toStdString();
        EXPECT_TRUE(message.contains(QLatin1String(c.reason))) << message.toStdString();
        EXPECT_EQ(line, c.line);
    }
}

TEST(HeaderReader, OtherCodeIsSkippedWithAWarningNamingItsLine)
{
    const QByteArray text = "#ifndef X_H\r\n"
                            "#define LONG \\\r\n"
                            "    static int no;\r\n"
                            "#ifdef __cplusplus\r\n"
                            "extern \"C\" {\r\n"
                            "#endif\r\n"
                            "int answer = 42; /* { */\r\n"
                            "static int f(void)\r\n"
                            "{\r\n"
                            "    return \"};\"[0];\r\n"
                            "}\r\n"
                            "static unsigned char lut[3] = {1, 2, 3};\r\n"
                            "static unsigned char a[2] = {0x1, 0x2};\r\n"
                            "#ifdef __cplusplus\r\n"
                            "}\r\n"
                            "#endif\r\n";
    const HeaderContents got = Read(text);
    ASSERT_EQ(got.sprites.size(), 1u);
    EXPECT_EQ(got.sprites[0].name, QStringLiteral("a"));
    EXPECT_EQ(got.sprites[0].line, 13);
    const std::vector<HeaderWarning> expected = {
        {7, QStringLiteral("skipped, not a sprite array: int answer = 42; /* { */")},
        {8, QStringLiteral("skipped, not a sprite array: static int f(void)")},
        {12,
         QStringLiteral("skipped, not a sprite array: static unsigned char lut[3] = {1, 2, 3};")},
    };
    EXPECT_EQ(got.warnings, expected);
}

TEST(HeaderReader, NamesVerbatimMasksOnlyRightAfterTheirSpriteAndMixedFormsWarned)
{
    const QByteArray text = "\xEF\xBB\xBF"
                            "static unsigned char odd[x], 1[2] = {0x80, 0x0};\n"
                            "static unsigned char odd[x], 1_mask[1] = {0x80};\n"
                            "static const uint8_t b[2] BITVANE_DATA = {\n    0b1,\n    0b0\n};\n"
                            "int gap;\n"
                            "static unsigned char b_mask[2] = {0x1, 0x2};\n";
    const HeaderContents got = Read(text);
    ASSERT_EQ(got.sprites.size(), 3u);
    EXPECT_EQ(got.sprites[0].name, QStringLiteral("odd[x], 1"));
    EXPECT_EQ(got.sprites[0].mask, std::optional(SpriteMask{8, {0x80}}));
    EXPECT_EQ(got.sprites[0].picture.pixel(0, 0), ShadeLight);
    // After other code, b_mask is a sprite of its own.
    EXPECT_EQ(got.sprites[2].name, QStringLiteral("b_mask"));
    EXPECT_FALSE(got.sprites[1].mask);
    ASSERT_EQ(got.warnings.size(), 3u);
    EXPECT_EQ(got.warnings[0].line, 3);
    EXPECT_TRUE(got.warnings[0].text.contains(
        QStringLiteral("in the modern style, in binary, without a mask, unlike the first")));
    EXPECT_EQ(got.warnings[1].line, 7);
    EXPECT_EQ(got.warnings[2].line, 8);
}

class Extract : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString path(const QString &name) const { return tmp.filePath(name); }

    static HeaderSprite Sprite(const QString &name, PictureSurface picture,
                               std::optional<SpriteMask> mask = std::nullopt)
    {
        HeaderSprite s;
        s.name = name;
        s.picture = std::move(picture);
        s.mask = std::move(mask);
        return s;
    }
};

// The PNGs load back, through the picture loader and the mask reader, as
// the sprites they came from.
TEST_F(Extract, PicturesLoadBackAsTheSprites)
{
    PictureSurface masked = RandomShades(16, 7, 5);
    SpriteMask mask = RandomMask(16, 7, 6);
    // Undrawn pixels reach the loader over white: only white and light come back.
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 16; ++x)
            if (!mask.drawn(x, y) &&
                (masked.pixel(x, y) == ShadeBlack || masked.pixel(x, y) == ShadeDark))
                masked.setPixel(x, y, x % 2 ? ShadeWhite : ShadeLight);
    const std::vector<HeaderSprite> sprites = {
        Sprite(QStringLiteral("plain"), RandomShades(32, 240, 7)),
        Sprite(QStringLiteral("masked"), masked, mask)};
    const QString folder = path(QStringLiteral("new/deeper"));
    const std::vector<ExtractedPicture> written = WritePictures(sprites, folder, false);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0],
              (ExtractedPicture{QStringLiteral("plain"), folder + QStringLiteral("/plain.png")}));
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral("masked.png"), QStringLiteral("plain.png")}));
    for (std::size_t i = 0; i < 2; ++i)
        EXPECT_TRUE(LoadPicture(written[i].path) == sprites[i].picture) << i;
    const QImage plain(written[0].path), withAlpha(written[1].path);
    EXPECT_EQ(plain.format(), QImage::Format_Grayscale8);
    EXPECT_TRUE(withAlpha.hasAlphaChannel());
    EXPECT_EQ(MaskFromAlpha(withAlpha), mask);
}

TEST_F(Extract, FileNamesAreSafeAndUnique)
{
    const PictureSurface p(8, 1);
    const std::vector<HeaderSprite> sprites = {Sprite(QStringLiteral("grey"), p),
                                               Sprite(QStringLiteral("Grey"), p),
                                               Sprite(QStringLiteral("grey"), p),
                                               Sprite(QStringLiteral("../up/x"), p),
                                               Sprite(QString(), p),
                                               Sprite(QStringLiteral("schiff ä, 1"), p)};
    EXPECT_EQ(
        PictureFileNames(sprites),
        (std::vector<QString>{QStringLiteral("grey.png"), QStringLiteral("Grey_2.png"),
                              QStringLiteral("grey_3.png"), QStringLiteral("_._up_x.png"),
                              QStringLiteral("sprite.png"), QStringLiteral("schiff ä, 1.png")}));
}

// Nothing half-written: a failed run leaves the folder as it was (existing
// files and --force are checked end to end with the command line).
TEST_F(Extract, FailuresLeaveTheFolderAsItWas)
{
    const std::vector<HeaderSprite> sprites = {Sprite(QStringLiteral("a"), PictureSurface(8, 2)),
                                               Sprite(QStringLiteral("b"), PictureSurface(8, 2))};
    // A picture that cannot be encoded stops the run before the folder is made.
    const QString fresh = path(QStringLiteral("fresh/sub"));
    const std::vector<HeaderSprite> bad = {Sprite(QStringLiteral("ok"), PictureSurface(8, 1)),
                                           Sprite(QStringLiteral("empty"), PictureSurface())};
    EXPECT_THROW(WritePictures(bad, fresh, false), Error);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("fresh"))));

    // A folder that cannot be made (a file is in the way) is not half made.
    writeFile(path(QStringLiteral("file")), "x");
    EXPECT_THROW(WritePictures(sprites, path(QStringLiteral("file/sub")), false), Error);
}

// The project written beside the pictures: its name from the header's, and
// a name it could not hold refused with the array's line before anything is
// written.
TEST_F(Extract, ProjectFileNamedAfterTheHeaderHoldsEveryName)
{
    EXPECT_EQ(ProjectFileNameFor(QStringLiteral("/a/sprites.h")), QStringLiteral("sprites.bvp"));
    EXPECT_EQ(ProjectFileNameFor(QStringLiteral("tiles.v2.h")), QStringLiteral("tiles.v2.bvp"));
    EXPECT_EQ(ProjectFileNameFor(QStringLiteral("noext")), QStringLiteral("noext.bvp"));
    EXPECT_EQ(ProjectFileNameFor(QStringLiteral("dir/.h")), QStringLiteral("project.bvp"));

    std::vector<HeaderSprite> sprites = {Sprite(QStringLiteral("ok"), PictureSurface(8, 1)),
                                         Sprite(QStringLiteral("a\"b"), PictureSurface(8, 1))};
    sprites[1].line = 9;
    HeaderContents contents;
    contents.sprites = sprites;
    try {
        WriteExtraction(contents, QStringLiteral("q.h"), path(QStringLiteral("out")), false);
        ADD_FAILURE() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.message(), QStringLiteral("q.h:9: array name a\"b cannot be kept in a project "
                                              "file: it holds a double quote"));
    }
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("out"))));

    sprites[1].name = QStringLiteral("../x");
    EXPECT_EQ(ExtractionProject(sprites, QStringLiteral("q.h")),
              "\"ok.png\",0,0\r\n\"_._x.png\",0,0,\"../x\"\r\n");
}
