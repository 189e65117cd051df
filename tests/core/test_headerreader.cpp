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

#include <cstring>
#include <map>
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
        {"static unsigned char a[2] = {0x1ff, 0x0};", 1,
         "0x1ff does not fit unsigned char (8 bits)"},
        {"static const uint32_t a[2] BITVANE_DATA = {\n0x0,\n0x1000000000000000000000000000000\n};",
         3, "does not fit uint32_t (32 bits)"},
        {"static unsigned char a[2] = {0x1g, 0x0};", 1, "0x1g is no hexadecimal number"},
        {"static unsigned char a[4] = {0x1, 0x2, 0x3", 1,
         "array a is cut short: the header ends before its closing \"};\""},
        {"static unsigned char a[4] = {0x1, 0x2};\r\n", 1,
         "array a is cut short: 4 elements declared, 2 given"},
        {"static unsigned char a[2] = {0x1, 0x2, 0x3, 0x4};", 1, "gives 4 elements but declares 2"},
        {"static unsigned char a[2] = {0x1 0x2};", 1, "',' or '}' expected after element 1"},
        {"static unsigned char a[2] = {0x1, 7};", 1, "element 2, \"7\", is neither"},
        {"static unsigned char a[2] = {0x1, 0x2}\nint b;", 2, "';' expected after its closing '}'"},
        {"static const uint8_t f[2][2] BITVANE_DATA = {{0x1, 0x2}, {0x1}};", 1,
         "array f frame 1 is cut short: 2 elements declared, 1 given"},
        {"static const uint8_t f[2][2] BITVANE_DATA = {\n{0x1, 0x2}\n};", 1,
         "array f is cut short: 2 frames declared, 1 given"},
        {"static const uint8_t f[1][2] BITVANE_DATA = {{0x1, 0x2}, {0x1, 0x2}};", 1,
         "array f gives more than the 1 frames it declares"},
        // Refused while reading, before any picture is named or encoded.
        {QByteArray("static unsigned char s[2] = {0x1, 0x0};\n").repeated(32768), 32768,
         "array s is one sprite array more than the 32767 a project can list"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.left(200).toStdString());
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
                            "static unsigned char lut[3] = {0x1, 0x2, 0x3};\r\n"
                            "static unsigned char a[2] = {0x1, 0x2};\r\n"
                            "#ifdef __cplusplus\r\n"
                            "}\r\n"
                            "#endif\r\n";
    const HeaderContents got = Read(text);
    ASSERT_EQ(got.sprites.size(), 1u);
    EXPECT_EQ(got.sprites[0].name, QStringLiteral("a"));
    EXPECT_EQ(got.sprites[0].line, 13);
    const std::vector<HeaderWarning> expected = {
        {7, QStringLiteral("skipped, not sprite arrays: 2 declarations from here to line 8, the "
                           "first: int answer = 42; /* { */")},
        {12, QStringLiteral("skipped array lut: no sprite has 3 elements, an odd number, as a "
                            "sprite's two planes have the same rows")},
    };
    EXPECT_EQ(got.warnings, expected);
}

// A table no sprite can be, by its element count, is skipped with a warning
// of its own; the arrays after it are still read.
TEST(HeaderReader, TablesNoSpriteCanBeAreSkippedWithAWarningNamingTheirLine)
{
    const struct {
        QByteArray text;
        int line;
        const char *warning;
    } cases[] = {
        {"static unsigned short crc[512] = {" + QByteArray("0x1021, ").repeated(511) + "0x0};\n", 1,
         "skipped array crc: no sprite has 512 elements, more than the 480 of 240 rows"},
        {"// lut\nstatic unsigned char lut[3] = {0x1, 0x2, 0x3};\n", 2,
         "skipped array lut: no sprite has 3 elements, an odd number, as a sprite's two planes "
         "have the same rows"},
        {"static unsigned char a[0] = {};\n", 1, "skipped array a: it declares no elements"},
        {"static unsigned char big[99999999999999999999] = {0x1};\n", 1,
         "skipped array big: no sprite has 99999999999999999999 elements, more than the 480 of "
         "240 rows"},
        // Not its sprite's mask (that would have one element a row): a table.
        {"static unsigned char s[2] = {0x1, 0x0};\nstatic unsigned char s_mask[3] = {0x1, 0x1, "
         "0x1};\n",
         2,
         "skipped array s_mask: no sprite has 3 elements, an odd number, as a sprite's two "
         "planes have the same rows"},
        {"static const uint8_t z[0][2] BITVANE_DATA = {};\n", 1,
         "skipped array z: it declares no frames"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.warning);
        const HeaderContents got = Read(c.text + "static unsigned char after[2] = {0x80, 0x0};\n");
        ASSERT_FALSE(got.sprites.empty());
        EXPECT_EQ(got.sprites.back().name, QStringLiteral("after"));
        EXPECT_EQ(got.warnings,
                  (std::vector<HeaderWarning>{{c.line, QString::fromUtf8(c.warning)}}));
    }
}

// Declarations skipped one after another are one warning: a header of
// stray code costs one line, not one per ';'.
TEST(HeaderReader, SkippedDeclarationsInARowAreOneWarning)
{
    const struct {
        QByteArray text;
        std::vector<HeaderWarning> warnings;
    } cases[] = {
        {";;;;\n",
         {{1, "skipped, not sprite arrays: 4 declarations on this line, the first: ;;;;"}}},
        {QByteArray(20000, ';'),
         {{1, "skipped, not sprite arrays: 20,000 declarations on this line, the first: " +
                  QString(40, u';') + "..."}}},
        // Comments and preprocessor lines do not end a run; an array does.
        {"int a;\n/* note */\n#define X 1\nint b;\r\nint c;\n"
         "static unsigned char s[2] = {0x1, 0x0};\nint d;\n",
         {{1, "skipped, not sprite arrays: 3 declarations from here to line 5, the first: int a;"},
          {7, "skipped, not a sprite array: int d;"}}},
        // So does a warning of another kind, which keeps the order of lines.
        {"int a;\nstatic unsigned char t[5] = {0x1, 0x2, 0x3, 0x4, 0x5};\nint b;\nint c;\n/* open",
         {{1, "skipped, not a sprite array: int a;"},
          {2, "skipped array t: no sprite has 5 elements, an odd number, as a sprite's two "
              "planes have the same rows"},
          {3, "skipped, not sprite arrays: 2 declarations from here to line 4, the first: int b;"},
          {5, "a comment that is never closed"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.left(80).toStdString());
        const HeaderContents got = Read(c.text);
        EXPECT_EQ(got.warnings, c.warnings);
        EXPECT_EQ(got.warningsLeftOut, 0u);
    }
}

// Only the first hundred warnings are kept, by line whichever kind they
// are, and the rest counted.
TEST(HeaderReader, WarningsBeyondTheFirstHundredAreOnlyCounted)
{
    // Line 1 a hex array; then from line 2 on a stray declaration and a
    // binary array (warned as unlike the first) in turn: 240 warnings, one
    // on every line from 2 to 241.
    const QByteArray text =
        "static unsigned char a[2] = {0x1, 0x0};\n" +
        QByteArray("int x;\nstatic unsigned char b[2] = {0b1, 0b0};\n").repeated(120);
    const HeaderContents got = Read(text);
    ASSERT_EQ(got.sprites.size(), 121u);
    ASSERT_EQ(got.warnings.size(), 100u);
    for (std::size_t i = 0; i < got.warnings.size(); ++i)
        EXPECT_EQ(got.warnings[i].line, int(i) + 2) << got.warnings[i].text.toStdString();
    EXPECT_EQ(got.warnings[0].text, QStringLiteral("skipped, not a sprite array: int x;"));
    EXPECT_TRUE(got.warnings[1].text.startsWith(QStringLiteral("array b is written in binary")));
    EXPECT_EQ(got.warningsLeftOut, 140u);

    const struct {
        std::size_t leftOut;
        const char *text;
    } counts[] = {
        {1, "... and 1 more"}, {99900, "... and 99,900 more"}, {1234567, "... and 1,234,567 more"}};
    for (const auto &c : counts)
        EXPECT_EQ(LeftOutText(c.leftOut), QLatin1String(c.text));
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

// Hand-written headers with what a reader must make of them: each sprite as
// rows of shades (W white, L light, D dark, B black) and its mask rows, if
// any ('#' drawn), or the one error. Everything expected was worked out by
// hand from the digits.
struct HandSprite {
    const char *name;
    std::vector<const char *> rows;
    std::vector<const char *> mask;
};
struct HandHeader {
    const char *what;
    QByteArray text;
    std::vector<HandSprite> sprites;
    std::vector<HeaderWarning> warnings; // texts are the start of each warning
    int errorLine = 0;                   // 0: no error
    const char *error = "";
};

PictureSurface ShadeRows(const std::vector<const char *> &rows)
{
    PictureSurface s(int(std::strlen(rows.front())), int(rows.size()));
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            s.setPixel(
                x, y,
                std::map<char, ColorValue>{
                    {'W', ShadeWhite}, {'L', ShadeLight}, {'D', ShadeDark}, {'B', ShadeBlack}}
                    .at(rows[std::size_t(y)][x]));
    return s;
}

std::optional<SpriteMask> MaskRows(const std::vector<const char *> &rows)
{
    if (rows.empty())
        return std::nullopt;
    SpriteMask mask{int(std::strlen(rows.front())), {}};
    for (const char *row : rows) {
        std::uint32_t bits = 0;
        for (const char *c = row; *c; ++c)
            bits = bits << 1 | (*c == '#');
        mask.rows.push_back(bits);
    }
    return mask;
}

const HandHeader HandHeaders[] = {
    {"upper-case prefixes",
     "static unsigned char up[2] = {0X1F, 0B11110000};\n",
     {{"up", {"DDDBLLLL"}, {}}},
     {}},
    {"the largest values fit",
     "static unsigned short top[2] = {0xFFFF, 0b0};\nstatic unsigned char all[2] = {0xff, 0xFF};\n",
     {{"top", {"LLLLLLLLLLLLLLLL"}, {}}, {"all", {"BBBBBBBB"}, {}}},
     {}},
    {"one above an unsigned char",
     "static unsigned char a[2] = {0x0, 0x100};\n",
     {},
     {},
     1,
     "array a: 0x100 does not fit unsigned char (8 bits)"},
    {"one above a uint16_t, on its own line",
     "static const uint16_t w[2] BITVANE_DATA = {\n    0xFFFF,\n    0b10000000000000000\n};\n",
     {},
     {},
     3,
     "array w: 0b10000000000000000 does not fit uint16_t (16 bits)"},
    {"one above an unsigned long",
     "static unsigned long l[2] = {0x100000000, 0x0};\n",
     {},
     {},
     1,
     "array l: 0x100000000 does not fit unsigned long (32 bits)"},
    {"a NAME_mask of the wrong count is a sprite of its own",
     "static unsigned char a[4] = {0x80, 0x01, 0x00, 0x01};\n"
     "static unsigned char a_mask[4] = {0xFF, 0xFF, 0xFF, 0xFF};\n"
     "static unsigned char b[2] = {0x0F, 0x00};\n"
     "static unsigned char b_mask[1] = {0xF0};\n",
     {{"a", {"LWWWWWWW", "WWWWWWWB"}, {}},
      {"a_mask", {"BBBBBBBB", "BBBBBBBB"}, {}},
      {"b", {"WWWWLLLL"}, {"####...."}}},
     {{3, QStringLiteral("array b is written with a mask, unlike the first")}}},
    {"a sheet's frames side by side, its mask one frame wide",
     "static const uint8_t s[2][2] BITVANE_DATA = {\n"
     "    { /* frame 0 */ 0x80, 0x01 },\n"
     "    { /* frame 1 */ 0x0F, 0x00 }\n"
     "};\n"
     "static const uint8_t s_mask[2][1] BITVANE_DATA = {{0xFF}, {0xF0}};\n",
     {{"s", {"LWWWWWWDWWWWLLLL"}, {"########", "####...."}}},
     {}},
    {"a sheet's NAME_mask of the wrong shape: of other frames a sheet of its own, of an odd "
     "count skipped",
     "static const uint8_t s[2][2] BITVANE_DATA = {{0x80, 0x01}, {0x0F, 0x00}};\n"
     "static const uint8_t s_mask[1][2] BITVANE_DATA = {{0xFF, 0xFF}};\n"
     "static const uint8_t t[1][2] BITVANE_DATA = {{0x01, 0x00}};\n"
     "static const uint8_t t_mask[1][3] BITVANE_DATA = {{0xFF, 0xFF, 0xFF}};\n",
     {{"s", {"LWWWWWWDWWWWLLLL"}, {}}, {"s_mask", {"BBBBBBBB"}, {}}, {"t", {"WWWWWWWL"}, {}}},
     {{4, QStringLiteral("skipped array t_mask: no sprite has 3 elements, an odd number")}}},
    {"a classic two-dimensional array is no sprite array",
     "static unsigned char c[1][2] = {{0x01, 0x00}};\n",
     {},
     {{1, QStringLiteral("skipped, not a sprite array")}}},
    {"an escaped quote inside a string before an array",
     "static const char *note = \"say \\\"}; static unsigned char fake[2] = {0x1, 0x2};\";\n"
     "static unsigned char b[2] = {0x01, 0x80};\n",
     {{"b", {"DWWWWWWL"}, {}}},
     {{1, QStringLiteral("skipped, not a sprite array: static const char *note")}}},
    {"a comment that is never closed",
     "static unsigned char c[2] = {0x01, 0x00};\n"
     "/* cut off here\n"
     "static unsigned char d[2] = {0x01, 0x00};\n",
     {{"c", {"WWWWWWWL"}, {}}},
     {{2, QStringLiteral("a comment that is never closed")}}},
    {"a suffix after the digits",
     "static unsigned char s[2] = {0x1Fu, 0x0};\n",
     {},
     {},
     1,
     "array s: 0x1Fu is no hexadecimal number"},
};

TEST(HeaderReader, HandWrittenHeaders)
{
    for (const HandHeader &c : HandHeaders) {
        SCOPED_TRACE(c.what);
        if (c.errorLine != 0) {
            int line = 0;
            EXPECT_EQ(ReadError(c.text, &line),
                      QStringLiteral("in.h:%1: %2").arg(c.errorLine).arg(QLatin1String(c.error)));
            EXPECT_EQ(line, c.errorLine);
            continue;
        }
        const HeaderContents got = Read(c.text);
        ASSERT_EQ(got.sprites.size(), c.sprites.size());
        for (std::size_t i = 0; i < got.sprites.size(); ++i) {
            EXPECT_EQ(got.sprites[i].name, QLatin1String(c.sprites[i].name));
            EXPECT_EQ(got.sprites[i].picture, ShadeRows(c.sprites[i].rows)) << c.sprites[i].name;
            EXPECT_EQ(got.sprites[i].mask, MaskRows(c.sprites[i].mask)) << c.sprites[i].name;
        }
        ASSERT_EQ(got.warnings.size(), c.warnings.size());
        for (std::size_t i = 0; i < got.warnings.size(); ++i) {
            EXPECT_EQ(got.warnings[i].line, c.warnings[i].line);
            EXPECT_TRUE(got.warnings[i].text.startsWith(c.warnings[i].text))
                << got.warnings[i].text.toStdString();
        }
    }
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
                                               Sprite(QStringLiteral("schiff ä, 1"), p),
                                               Sprite(QStringLiteral("grey_2"), p),
                                               Sprite(QStringLiteral("GREY"), p),
                                               Sprite(QStringLiteral("sprite"), p)};
    EXPECT_EQ(PictureFileNames(sprites),
              (std::vector<QString>{QStringLiteral("grey.png"), QStringLiteral("Grey_2.png"),
                                    QStringLiteral("grey_3.png"), QStringLiteral("_._up_x.png"),
                                    QStringLiteral("sprite.png"), QStringLiteral("schiff ä, 1.png"),
                                    QStringLiteral("grey_2_2.png"), QStringLiteral("GREY_4.png"),
                                    QStringLiteral("sprite_2.png")}));
}

// Long names are cut to 200 bytes of UTF-8, never inside a character (a
// pair of UTF-16 halves included).
TEST_F(Extract, LongNamesAreCutAtWholeCharacters)
{
    const QString face = QStringLiteral("\U0001F600"); // 4 bytes, two UTF-16 halves
    const struct {
        QString name;
        QString file;
    } cases[] = {
        {QString(200, u'x'), QString(200, u'x') + QStringLiteral(".png")},
        {QString(201, u'x'), QString(200, u'x') + QStringLiteral(".png")},
        {QStringLiteral("a") + face.repeated(50),
         QStringLiteral("a") + face.repeated(49) + QStringLiteral(".png")},
        {QString(198, u'x') + face, QString(198, u'x') + QStringLiteral(".png")},
        {QStringLiteral("é").repeated(101), QStringLiteral("é").repeated(100) + ".png"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(PictureFileNames({Sprite(c.name, PictureSurface(8, 1))}),
                  std::vector<QString>{c.file});
    }
}

// A masked sheet: one PNG of its frames in a row, each frame's pixels as
// its own mask rows say, and its record naming the cell and frame count.
TEST_F(Extract, SheetIsOnePictureOfItsFramesInARow)
{
    HeaderSprite sheet =
        Sprite(QStringLiteral("s"), PictureSurface(16, 2), SpriteMask{8, {0xFF, 0x00, 0xF0, 0x0F}});
    sheet.frames = 2;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 16; ++x)
            sheet.picture.setPixel(x, y, ShadeWhite);
    const std::vector<ExtractedPicture> written = WritePictures({sheet}, path("out"), false);
    const QImage png(written.at(0).path);
    ASSERT_EQ(png.size(), QSize(16, 2));
    const char *drawn[] = {"############....", "............####"};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(qAlpha(png.pixel(x, y)), drawn[y][x] == '#' ? 255 : 0) << x << "," << y;
    EXPECT_TRUE(ExtractionProject({sheet}, QStringLiteral("s.h")).contains("cell=8x2;frames=2"));
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
