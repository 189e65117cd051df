// Decoding each picture format to exact colours, and fitting pictures to
// sprites.
#include "imaging/pictureloader.h"
#include "imaging/qtimage.h"
#include "imaging/shadereduction.h"
#include "loaderfixture.h"

#include <QColorSpace>
#include <QImageReader>

#include <gtest/gtest.h>

#include <random>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

// An uncompressed 24-bit BMP written by hand, to vary what a writer may
// vary: row order, a gap before the pixel data, an offset that points into
// the header.
QByteArray Bmp24(const QImage &image, bool topDown, int gap, bool offsetIntoHeader)
{
    const int stride = (image.width() * 3 + 3) / 4 * 4;
    QByteArray b("BM");
    auto le = [&](quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    le(quint32(54 + gap + stride * image.height()), 4);
    le(0, 4);
    le(offsetIntoHeader ? 20 : quint32(54 + gap), 4);
    le(40, 4);
    le(quint32(image.width()), 4);
    le(quint32(topDown ? -image.height() : image.height()), 4);
    le(1, 2);
    le(24, 2);
    le(0, 4);
    le(quint32(stride * image.height()), 4);
    le(2835, 4);
    le(2835, 4);
    le(0, 4);
    le(0, 4);
    if (!offsetIntoHeader)
        b.append(QByteArray(gap, '\x7F'));
    for (int i = 0; i < image.height(); ++i) {
        const int y = topDown ? i : image.height() - 1 - i;
        QByteArray row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            row.append(char(qBlue(c)));
            row.append(char(qGreen(c)));
            row.append(char(qRed(c)));
        }
        row.append(QByteArray(stride - row.size(), '\x5A'));
        b.append(row);
    }
    return b;
}

} // namespace

TEST_F(Loader, Bmp24KeepsExactColours)
{
    const QImage image = RandomImage(37, 19, 1);
    ExpectSameColours(DecodePicture(save("a.bmp", image, "bmp")), image);
}

TEST_F(Loader, PlainBmpReadsAsTheGenericReaderDoes)
{
    std::uint32_t seed = 100;
    for (int width : {1, 2, 3, 4, 5, 7, 8, 31, 32, 33, 40})
        for (int height : {1, 2, 5, 241})
            for (bool topDown : {false, true})
                for (int variant = 0; variant < 3; ++variant) {
                    const QImage image = RandomImage(width, height, ++seed);
                    const QByteArray bytes =
                        Bmp24(image, topDown, variant == 1 ? 6 : 0, variant == 2);
                    QBuffer buffer;
                    buffer.setData(bytes);
                    buffer.open(QIODevice::ReadOnly);
                    const QImage generic = QImageReader(&buffer, "bmp").read();
                    ASSERT_FALSE(generic.isNull());
                    ASSERT_EQ(DecodePicture(bytes, "b.bmp"), SurfaceFromImage(generic))
                        << width << "x" << height << " top-down " << topDown << " variant "
                        << variant;
                    ExpectSameColours(DecodePicture(bytes, "b.bmp"), image);
                }
}

TEST_F(Loader, PalettedBmpKeepsExactColours)
{
    std::mt19937 rng(2);
    for (int colours : {2, 16, 256}) {
        QImage image(13, 7, colours == 2 ? QImage::Format_Mono : QImage::Format_Indexed8);
        QList<QRgb> table;
        for (int i = 0; i < colours; ++i)
            table << (0xFF000000u | (rng() & 0xFFFFFF));
        image.setColorTable(table);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x)
                image.setPixel(x, y, uint(rng() % colours));
        ExpectSameColours(DecodePicture(save(QStringLiteral("p%1.bmp").arg(colours), image, "bmp")),
                          image);
    }
}

TEST_F(Loader, RunLengthBmp)
{
    const PictureSurface s = DecodePicture(write("rle.bmp", SmallRle8Bmp()));
    ASSERT_EQ(s.width(), 4);
    ASSERT_EQ(s.height(), 2);
    const ColorValue zero = Rgb(0x60, 0x40, 0x20), one = Rgb(0xD0, 0xE0, 0xF0);
    EXPECT_EQ(s.pixel(0, 0), zero);
    EXPECT_EQ(s.pixel(1, 0), zero);
    EXPECT_EQ(s.pixel(2, 0), one);
    EXPECT_EQ(s.pixel(3, 0), one);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(s.pixel(x, 1), one);
}

TEST_F(Loader, PngGreyAndSixteenBitKeepExactColours)
{
    QImage grey(256, 1, QImage::Format_Grayscale8);
    QImage grey16(256, 1, QImage::Format_Grayscale16);
    QImage rgba64(256, 1, QImage::Format_RGBA64);
    for (int x = 0; x < 256; ++x) {
        grey.scanLine(0)[x] = uchar(x);
        reinterpret_cast<quint16 *>(grey16.scanLine(0))[x] = quint16(x * 257);
        rgba64.setPixelColor(x, 0,
                             QColor::fromRgba64(quint16(x * 257), quint16((255 - x) * 257),
                                                quint16((x * 7 % 256) * 257), 65535));
    }
    const PictureSurface g = DecodePicture(save("g.png", grey, "png"));
    const PictureSurface g16 = DecodePicture(save("g16.png", grey16, "png"));
    const PictureSurface c16 = DecodePicture(save("c16.png", rgba64, "png"));
    for (int x = 0; x < 256; ++x) {
        EXPECT_EQ(g.pixel(x, 0), Grey(x));
        EXPECT_EQ(g16.pixel(x, 0), Grey(x));
        EXPECT_EQ(c16.pixel(x, 0), Rgb(x, 255 - x, x * 7 % 256));
    }
}

TEST_F(Loader, NoColourManagement)
{
    QImage image = RandomImage(16, 16, 3);
    image.setColorSpace(QColorSpace(QColorSpace::DisplayP3));
    const QByteArray png = Encode(image, "png");
    ASSERT_TRUE(QImage::fromData(png).colorSpace().isValid()) << "the file carries no profile";
    image.setColorSpace(QColorSpace());
    ExpectSameColours(DecodePicture(write("p3.png", png)), image);
}

TEST_F(Loader, PngAlphaIsCompositedOverWhite)
{
    QImage image(4, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(10, 20, 30, 255));
    image.setPixel(1, 0, qRgba(10, 20, 30, 0));
    image.setPixel(2, 0, qRgba(0, 0, 0, 128));
    image.setPixel(3, 0, qRgba(255, 255, 255, 40));
    const PictureSurface s = DecodePicture(save("alpha.png", image, "png"));
    EXPECT_EQ(s.pixel(0, 0), Rgb(10, 20, 30));
    EXPECT_EQ(s.pixel(1, 0), ShadeWhite);
    const ColorTriple half = SplitColor(s.pixel(2, 0));
    EXPECT_TRUE(half.red >= 126 && half.red <= 128 && half.red == half.green &&
                half.green == half.blue);
    EXPECT_EQ(s.pixel(3, 0), ShadeWhite);
}

TEST_F(Loader, GifColoursAndTransparency)
{
    const PictureSurface s = DecodePicture(write("a.gif", SmallGif()));
    const ColorValue palette[] = {Rgb(0, 0, 0), Rgb(200, 30, 10), Rgb(5, 250, 9), Rgb(1, 2, 3)};
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(s.pixel(i % 6, i / 6), palette[i % 4]) << i;

    const PictureSurface t = DecodePicture(write("t.gif", SmallGif(3)));
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(t.pixel(i % 6, i / 6), i % 4 == 3 ? ShadeWhite : palette[i % 4]) << i;
}

TEST_F(Loader, AnimatedGifGivesFirstFrame)
{
    const QList<QRgb> palette{qRgb(0, 0, 0), qRgb(255, 255, 255)};
    giftest::Frame first, second;
    first.indices = {0, 1, 1, 0};
    second.indices = {1, 1, 1, 1};
    const PictureSurface s =
        DecodePicture(write("anim.gif", giftest::makeGif(QSize(2, 2), palette, {first, second})));
    EXPECT_EQ(s.pixel(0, 0), ShadeBlack);
    EXPECT_EQ(s.pixel(1, 0), ShadeWhite);
    EXPECT_EQ(s.pixel(0, 1), ShadeWhite);
    EXPECT_EQ(s.pixel(1, 1), ShadeBlack);
}

TEST_F(Loader, JpegColourAndGrey)
{
    // Flat 8 x 8 blocks survive the compression close enough for the shades.
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            image.setPixel(x, y, qRgb(0, 0, 0));
            image.setPixel(x + 8, y + 8, qRgb(85, 85, 85));
        }
    for (const QImage &written : {image, image.convertToFormat(QImage::Format_Grayscale8)}) {
        const PictureSurface s = LoadPicture(save("j.jpg", written, "jpeg", 100));
        ASSERT_EQ(s.width(), 16);
        ASSERT_EQ(s.height(), 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const ColorValue expected = x < 8 && y < 8     ? ShadeBlack
                                            : x >= 8 && y >= 8 ? ShadeDark
                                                               : ShadeWhite;
                ASSERT_EQ(s.pixel(x, y), expected) << x << "," << y;
            }
    }
}

TEST_F(Loader, FormatComesFromContentNotName)
{
    const QImage image = RandomImage(5, 5, 4);
    ExpectSameColours(DecodePicture(save("really-a-png.bmp", image, "png")), image);
    ExpectSameColours(DecodePicture(save("no-extension", image, "bmp")), image);
}

TEST_F(Loader, WidthAndHeightClasses)
{
    struct Case {
        int width, height, spriteWidth, spriteHeight;
    };
    const Case cases[] = {{5, 3, 8, 3},     {8, 3, 8, 3},     {9, 3, 16, 3},     {16, 3, 16, 3},
                          {17, 3, 32, 3},   {32, 3, 32, 3},   {33, 3, 32, 3},    {1, 1, 8, 1},
                          {8, 240, 8, 240}, {8, 241, 8, 240}, {40, 300, 32, 240}};
    for (const Case &c : cases) {
        // Black, with the last column and the last row light grey, so that
        // what is cut and what is padded both show.
        QImage image(c.width, c.height, QImage::Format_RGB32);
        image.fill(qRgb(0, 0, 0));
        for (int y = 0; y < c.height; ++y)
            image.setPixel(c.width - 1, y, qRgb(160, 160, 160));
        for (int x = 0; x < c.width; ++x)
            image.setPixel(x, c.height - 1, qRgb(160, 160, 160));
        const QString path =
            save(QStringLiteral("w%1h%2.bmp").arg(c.width).arg(c.height), image, "bmp");

        const PictureSurface decoded = DecodePicture(path);
        EXPECT_EQ(decoded.width(), c.width);
        EXPECT_EQ(decoded.height(), c.height);

        const PictureSurface s = LoadPicture(path);
        ASSERT_EQ(s.width(), c.spriteWidth) << c.width;
        ASSERT_EQ(s.height(), c.spriteHeight) << c.height;
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x) {
                const ColorValue expected = x >= c.width                            ? ShadeWhite
                                            : x == c.width - 1 || y == c.height - 1 ? ShadeLight
                                                                                    : ShadeBlack;
                ASSERT_EQ(s.pixel(x, y), expected)
                    << c.width << "x" << c.height << " at " << x << "," << y;
            }
    }
}

TEST_F(Loader, LoadEqualsDecodeFitReduce)
{
    for (QSize size : {QSize(7, 9), QSize(20, 250), QSize(64, 64)}) {
        const QString path = save("r.bmp", RandomImage(size.width(), size.height(), 5), "bmp");
        PictureSurface expected = DecodePicture(path);
        FitToSprite(expected);
        ReduceToShades(expected, expected);
        EXPECT_EQ(LoadPicture(path), expected) << size.width() << "x" << size.height();
    }
}

TEST(FitToSprite, PadsWhiteAndCuts)
{
    PictureSurface s(5, 300, ShadeBlack);
    FitToSprite(s);
    EXPECT_EQ(s.width(), 8);
    EXPECT_EQ(s.height(), 240);
    EXPECT_EQ(s.pixel(4, 239), ShadeBlack);
    EXPECT_EQ(s.pixel(5, 0), ShadeWhite);
    EXPECT_EQ(s.pixel(7, 239), ShadeWhite);
}

// What fitting did and which pixels the source draws travel with the sprite:
// through the generic decoders (alpha kept, big pictures read by their
// corner) and through the direct BMP reader (no alpha).
TEST_F(Loader, SpritesKeepTheirSourceSizeAndMask)
{
    QImage halfSeen(5, 2, QImage::Format_ARGB32);
    halfSeen.fill(qRgba(0, 0, 0, 255));
    halfSeen.setPixel(1, 0, qRgba(0, 0, 0, 127));
    halfSeen.setPixel(2, 1, qRgba(0, 0, 0, 128));
    const LoadedSprite png = LoadSprite(save("alpha.png", halfSeen, "png"));
    EXPECT_EQ(png.SourceSize, QSize(5, 2));
    ASSERT_EQ(png.Mask.width, 8);
    EXPECT_EQ(png.Mask.rows, (std::vector<std::uint32_t>{0b10111000, 0b11111000}));
    EXPECT_EQ(png.Image.width(), 8);

    QImage wide(160, 300, QImage::Format_RGB32);
    wide.fill(Qt::white);
    for (const char *format : {"png", "jpeg", "bmp"}) {
        const LoadedSprite cut = LoadSprite(save(QStringLiteral("wide.") + format, wide, format));
        EXPECT_EQ(cut.SourceSize, QSize(160, 300)) << format;
        EXPECT_EQ(cut.Image.width(), 32) << format;
        EXPECT_EQ(cut.Mask, OpaqueMask(32, 240)) << format;
    }
}

// What the window's info line and bitvane-compile's warning say for each way
// a picture can be fitted.
TEST(FittingText, NamesCutsAndPaddingAndNothingForExactSizes)
{
    const struct {
        QSize source;
        const char *note;
        const char *warning;
    } cases[] = {
        {{16, 16}, "", ""},
        {{32, 240}, "", ""},
        {{160, 120}, "cut from 160 x 120", "p.png is 160 x 120; only the left 32 x 120 is used"},
        {{16, 300}, "cut from 16 x 300", "p.png is 16 x 300; only the top 16 x 240 is used"},
        {{40, 241}, "cut from 40 x 241", "p.png is 40 x 241; only the top-left 32 x 240 is used"},
        {{5, 8}, "padded from 5 px wide", "p.png is 5 x 8; it is padded with white to 8 px wide"},
        {{5, 300},
         "padded from 5 px wide; cut from 5 x 300",
         "p.png is 5 x 300; only the top 5 x 240 is used, padded with white to 8 px wide"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(FittingNote(c.source), QLatin1String(c.note)) << c.note;
        EXPECT_EQ(FittingWarning(QStringLiteral("p.png"), c.source), QLatin1String(c.warning));
    }
}
