// Headers compiled by the system's C compiler and drawn back by a C program.
#include "compiler/headerstyle.h"
#include "imaging/pictureloader.h"
#include "imaging/shadereduction.h"
#include "testsupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

struct Sprite {
    QString name;
    PictureSurface picture;
    std::optional<SpriteMask> mask;
};

// A 5 x 3 picture with alpha, loaded as the loader will: mask first, then
// composited, fitted to 8 and reduced.
Sprite PaddedFromFive()
{
    QImage image(5, 3, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 255));
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    image.setPixel(4, 2, qRgba(90, 90, 90, 60));
    Sprite s{QStringLiteral("padded"), PictureSurface::fromImage(image), MaskFromAlpha(image)};
    FitToSprite(s.picture);
    ReduceToShades(s.picture, s.picture);
    return s;
}

std::vector<Sprite> Sprites(bool masks)
{
    std::vector<Sprite> sprites{{QStringLiteral("s8"), RandomShades(8, 5, 1), {}},
                                {QStringLiteral("s16"), RandomShades(16, 7, 2), {}},
                                {QStringLiteral("s32"), RandomShades(32, 240, 3), {}}};
    if (masks) {
        for (Sprite &s : sprites)
            s.mask = RandomMask(s.picture.width(), s.picture.height(), 7);
        sprites.push_back(PaddedFromFive());
    }
    return sprites;
}

QByteArray Header(HeaderStyle style, bool hex, const std::vector<Sprite> &sprites)
{
    const bool modern = style == HeaderStyle::Modern;
    QByteArray text = modern ? ModernPreamble("sprites.h", "game.bvp") : QByteArray();
    for (const Sprite &s : sprites)
        text += SpriteBlock(style, s.picture, s.name, hex, s.mask ? &*s.mask : nullptr);
    if (modern)
        text += ModernEnding("sprites.h");
    return text;
}

// Copies each array into unsigned longs and draws it: one character per
// pixel by its two plane bits, ' ' where the mask leaves it out. The modern
// header also answers its element size and NAME_WIDTH/NAME_HEIGHT; each mask
// its declared element count.
QByteArray Program(HeaderStyle style, const std::vector<Sprite> &sprites)
{
    const bool modern = style == HeaderStyle::Modern;
    QByteArray c = "#include <stdio.h>\n#include \"sprites.h\"\n\n"
                   "static void draw(int w, int h, const unsigned long *p, const unsigned long "
                   "*m)\n{\n"
                   "    int x, y;\n"
                   "    for (y = 0; y < h; ++y) {\n"
                   "        for (x = 0; x < w; ++x) {\n"
                   "            const int bit = w - 1 - x;\n"
                   "            const int code = (int)((((p[h + y] >> bit) & 1UL) << 1) | ((p[y] "
                   ">> bit) & 1UL));\n"
                   "            putchar(m && !((m[y] >> bit) & 1UL) ? ' ' : \".-+#\"[code]);\n"
                   "        }\n"
                   "        putchar('\\n');\n"
                   "    }\n}\n\n"
                   "int main(void)\n{\n"
                   "    static unsigned long p[480];\n"
                   "    int i;\n";
    if (sprites.back().mask)
        c += "    static unsigned long m[240];\n";
    for (const Sprite &s : sprites) {
        const QByteArray n = s.name.toLatin1();
        const QByteArray w = modern ? n + "_WIDTH" : QByteArray::number(s.picture.width());
        const QByteArray h = modern ? n + "_HEIGHT" : QByteArray::number(s.picture.height());
        c += "    for (i = 0; i < (int)(sizeof " + n + " / sizeof " + n + "[0]); ++i)\n" +
             "        p[i] = " + n + "[i];\n";
        if (s.mask)
            c += "    for (i = 0; i < (int)(sizeof " + n + "_mask / sizeof " + n +
                 "_mask[0]); ++i)\n        m[i] = " + n + "_mask[i];\n";
        c += "    printf(\"" + n + " %d %d %d\\n\", (int)(sizeof " + n + " / sizeof " + n +
             "[0]), " + w + ", " + h + ");\n";
        if (modern)
            c += "    printf(\"%d bits\\n\", (int)(sizeof " + n + "[0] * 8));\n";
        if (s.mask)
            c += "    printf(\"" + n + "_mask %d\\n\", (int)(sizeof " + n + "_mask / sizeof " + n +
                 "_mask[0]));\n";
        c += "    draw(" + w + ", " + h + ", p, " + (s.mask ? "m" : "0") + ");\n";
    }
    return c + "    return 0;\n}\n";
}

QByteArray Expected(HeaderStyle style, const std::vector<Sprite> &sprites)
{
    QByteArray out;
    for (const Sprite &s : sprites) {
        const int w = s.picture.width(), h = s.picture.height();
        out += s.name.toLatin1() + ' ' + QByteArray::number(2 * h) + ' ' + QByteArray::number(w) +
               ' ' + QByteArray::number(h) + '\n';
        if (style == HeaderStyle::Modern)
            out += QByteArray::number(w) + " bits\n";
        // A mask holds one element per row, whatever its element type.
        if (s.mask)
            out += s.name.toLatin1() + "_mask " + QByteArray::number(h) + '\n';
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const ColorValue v = s.picture.pixel(x, y);
                const char shade = v == ShadeBlack   ? '#'
                                   : v == ShadeDark  ? '+'
                                   : v == ShadeLight ? '-'
                                                     : '.';
                out += s.mask && !s.mask->drawn(x, y) ? ' ' : shade;
            }
            out += '\n';
        }
    }
    return out;
}

// Compiles the header with a C program and returns what the program prints;
// the compiler's complaints fail the test.
void CompileAndDraw(HeaderStyle style, bool hex, bool masks, const QStringList &flags)
{
    const QString cc = QStandardPaths::findExecutable(QStringLiteral("cc"));
    if (cc.isEmpty())
        GTEST_SKIP() << "no C compiler (cc) on the PATH: the header is not compiled";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::vector<Sprite> sprites = Sprites(masks);
    writeFile(dir.filePath("sprites.h"), Header(style, hex, sprites));
    writeFile(dir.filePath("main.c"), Program(style, sprites));

    QProcess compiler;
    compiler.setProcessChannelMode(QProcess::MergedChannels);
    compiler.start(cc, flags + QStringList{"-o", dir.filePath("draw"), dir.filePath("main.c")});
    ASSERT_TRUE(compiler.waitForFinished(60000));
    ASSERT_EQ(compiler.exitCode(), 0) << compiler.readAll().toStdString();

    QProcess program;
    program.start(dir.filePath("draw"));
    ASSERT_TRUE(program.waitForFinished(30000));
    ASSERT_EQ(program.exitCode(), 0);
    EXPECT_EQ(program.readAllStandardOutput().toStdString(),
              Expected(style, sprites).toStdString());
}

const QStringList Strict{"-std=c99", "-Wall", "-Wextra", "-pedantic", "-Werror"};
// Binary literals are a GNU extension before C23.
const QStringList Gnu{"-std=gnu99", "-Wall", "-Wextra", "-Werror"};

} // namespace

TEST(HeaderInC, ModernHexIsStrictC99)
{
    CompileAndDraw(HeaderStyle::Modern, true, false, Strict);
}

TEST(HeaderInC, ModernHexWithMasksIsStrictC99)
{
    CompileAndDraw(HeaderStyle::Modern, true, true, Strict);
}

TEST(HeaderInC, ModernBinaryWithMasksIsGnu99)
{
    CompileAndDraw(HeaderStyle::Modern, false, true, Gnu);
}

TEST(HeaderInC, ClassicBinaryWithMasksIsGnu99)
{
    CompileAndDraw(HeaderStyle::Classic, false, true, Gnu);
}
