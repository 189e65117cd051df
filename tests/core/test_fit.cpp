// Scaling to sprite size: target sizes and exact area averages worked out by hand.
#include "testsupport.h"

#include "imaging/fit.h"
#include "imaging/jpegdecoder.h"
#include "imaging/pictureloader.h"
#include "imaging/qtimage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

using namespace bitvane;
using namespace bitvane::testing;

TEST(ScaledSize, KnownAnswers)
{
    struct Case {
        QSize source;
        int widthClass;
        QSize expected;
    } const cases[] = {
        {{640, 480}, 32, {32, 24}}, {{32, 240}, 32, {32, 240}}, // fits: left as it is
        {{5, 7}, 8, {5, 7}},                                    // never enlarged
        {{20, 300}, 32, {16, 240}}, // too tall at 32 wide: 240 rows decide
        {{5, 480}, 8, {3, 240}},    // 2.5 columns round up
        {{64, 3}, 32, {32, 2}},     // 1.5 rows round up
        {{12, 10}, 8, {8, 7}},      // a chosen width below the picture's own
        {{100, 3}, 8, {8, 1}},      // at least one row
        {{50, 5000}, 32, {2, 240}}, {{3000, 1}, 32, {32, 1}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ScaledSize(c.source, c.widthClass), c.expected)
            << c.source.width() << "x" << c.source.height();
}

// 16 x 2 to 8 x 1: each output pixel is the mean of a 2 x 2 block, rounded
// half up.
TEST(ScaleArea, TwoByTwoBlocks)
{
    struct Block {
        int tl, tr, bl, br, mean;
    } const blocks[] = {
        {0, 0, 0, 0, 0},      {0, 1, 0, 1, 1},       {2, 3, 2, 3, 3},           {1, 1, 1, 2, 1},
        {10, 20, 30, 41, 25}, {0, 255, 255, 0, 128}, {255, 255, 255, 255, 255}, {1, 2, 2, 2, 2},
    };
    PictureSurface source(16, 2);
    for (int i = 0; i < 8; ++i) {
        const Block &b = blocks[i];
        source.setPixel(2 * i, 0, Rgb(b.tl, 0, 255 - b.tl));
        source.setPixel(2 * i + 1, 0, Rgb(b.tr, 0, 255 - b.tr));
        source.setPixel(2 * i, 1, Rgb(b.bl, 0, 255 - b.bl));
        source.setPixel(2 * i + 1, 1, Rgb(b.br, 0, 255 - b.br));
    }
    const ScaledSprite scaled = ScaleSurface(source, 8);
    ASSERT_EQ(scaled.picture.width(), 8);
    ASSERT_EQ(scaled.picture.height(), 1);
    EXPECT_EQ(scaled.columns, 8);
    for (int i = 0; i < 8; ++i) {
        const ColorTriple t = SplitColor(scaled.picture.pixel(i, 0));
        EXPECT_EQ(t.red, blocks[i].mean) << i;
        // Blue holds 255 - the values: its mean rounds the other way at .5.
        const int sum = 4 * 255 - (blocks[i].tl + blocks[i].tr + blocks[i].bl + blocks[i].br);
        EXPECT_EQ(t.blue, (2 * sum + 4) / 8) << i;
    }
    EXPECT_EQ(scaled.mask.rows, std::vector<std::uint32_t>{0xFFu});
}

// 48 x 3 to 32 x 2: every three source columns become two output columns,
// weighted 2:1 and 1:2, and the three rows two rows, weighted the same way.
TEST(ScaleArea, ThreeToTwoWithFractionalWeights)
{
    const int pattern[3][3] = {{0, 100, 200}, {10, 110, 210}, {20, 120, 255}};
    PictureSurface source(48, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 48; ++x)
            source.setPixel(x, y, Grey(pattern[y][x % 3]));
    // (4*0 + 2*100 + 2*10 + 110) / 9 = 36.7; (2*100 + 4*200 + 110 + 2*210) / 9 = 170;
    // (2*10 + 110 + 4*20 + 2*120) / 9 = 50; (110 + 2*210 + 2*120 + 4*255) / 9 = 198.9
    const int expected[2][2] = {{37, 170}, {50, 199}};
    const ScaledSprite scaled = ScaleSurface(source, 0);
    ASSERT_EQ(scaled.picture.width(), 32);
    ASSERT_EQ(scaled.picture.height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 32; ++x)
            EXPECT_EQ(scaled.picture.pixel(x, y), Grey(expected[y][x % 2])) << x << "," << y;
}

// Colours are averaged over white, alpha on its own; the mask draws an
// averaged alpha of 128 or more and never the padding. 10 x 480 is scaled
// by 2 to 5 x 240, padded to 16.
TEST(ScaleArea, AlphaIsAveragedApartAndFeedsTheMask)
{
    QImage image(10, 480, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 255));
    // Block 0: two transparent pixels; block 1: three.
    for (const QPoint p : {QPoint(0, 0), QPoint(1, 0), QPoint(2, 0), QPoint(3, 0), QPoint(2, 1)})
        image.setPixel(p, qRgba(0, 0, 0, 0));
    const ScaledSprite scaled = ScaleImage(image, 0);
    ASSERT_EQ(scaled.picture.width(), 16);
    ASSERT_EQ(scaled.picture.height(), 240);
    EXPECT_EQ(scaled.columns, 5);
    EXPECT_EQ(scaled.picture.pixel(0, 0), Grey(128)); // 2 * 255 / 4 = 127.5
    EXPECT_EQ(scaled.picture.pixel(1, 0), Grey(191)); // 3 * 255 / 4 = 191.25
    EXPECT_EQ(scaled.picture.pixel(2, 0), Grey(0));
    EXPECT_EQ(scaled.picture.pixel(5, 0), ShadeWhite);
    // Alphas 127.5 -> 128 (drawn), 63.75 -> 64 (not), then three drawn.
    EXPECT_EQ(scaled.mask.width, 16);
    EXPECT_EQ(scaled.mask.rows[0], 0b1011100000000000u);
    EXPECT_EQ(scaled.mask.rows[239], 0b1111100000000000u);
}

// Half-transparent pixels come from the decoders already over white and are
// averaged as they are, not composited a second time (which would give 192).
TEST(ScaleArea, HalfTransparentColoursAreCompositedOnce)
{
    QImage image(16, 1, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 255));
    for (const int x : {0, 1})
        image.setPixel(x, 0, qRgba(0, 0, 0, 127));
    for (const int x : {2, 3})
        image.setPixel(x, 0, qRgba(0, 0, 0, 128));
    const ScaledSprite scaled = ScaleImage(image, 8);
    ASSERT_EQ(scaled.picture.width(), 8);
    ASSERT_EQ(scaled.picture.height(), 1);
    EXPECT_EQ(scaled.picture.pixel(0, 0), Grey(128)); // 255 * 128 / 255 over white
    EXPECT_EQ(scaled.picture.pixel(1, 0), Grey(127)); // 255 * 127 / 255
    EXPECT_EQ(scaled.picture.pixel(2, 0), Grey(0));
    EXPECT_EQ(scaled.mask.rows, std::vector<std::uint32_t>{0b01111111u}); // alpha 127 not drawn
}

// What the info line says of a scaled picture.
TEST(ScaledSize, FittingNoteOfAScaledPicture)
{
    struct Case {
        QSize source;
        int width;
        const char *note;
    } const cases[] = {
        {{640, 480}, 0, "scaled from 640 x 480"},
        {{5, 480}, 0, "scaled from 5 x 480; padded from 3 px wide"},
        {{12, 10}, 8, "scaled from 12 x 10"},
        {{5, 7}, 0, "padded from 5 px wide"},
        {{5, 7}, 32, "padded from 5 px wide"},
        {{32, 240}, 0, ""},
    };
    for (const Case &c : cases) {
        PictureOptions scale;
        scale.fit = FitMode::Scale;
        scale.width = c.width;
        EXPECT_EQ(FittingNote(c.source, scale), QLatin1String(c.note)) << c.note;
    }
    EXPECT_EQ(FittingNote({640, 480}, PictureOptions{}), "cut from 640 x 480");
}

// A JPEG picture is scaled as it is decoded, never held whole: the same
// sprite as scaling the decoded picture, whatever the file's colours
// (grey, inks), sampling, scans and proportions.
TEST(ScaleArea, AJpegScaledWhileDecodedIsTheDecodedPictureScaled)
{
    const QDir dir(QStringLiteral(BITVANE_DECODED_DIR));
    const QStringList files = dir.entryList({QStringLiteral("*.jpg")}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &file : files) {
        const QString path = dir.filePath(file);
        QFile in(path);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << file.toStdString();
        const QByteArray data = in.readAll();
        const DecodedPicture whole = DecodeWholePicture(path);
        for (const int width : {0, 8, 32}) {
            const ScaledSprite expected = ScalePicture(whole, width);
            QSize source;
            const ScaledSprite got = ScaleJpeg(data, width, file, RunDecodeBudget(), source);
            const std::string what = file.toStdString() + " at " + std::to_string(width);
            EXPECT_EQ(source, whole.SourceSize) << what;
            EXPECT_EQ(got.picture, expected.picture) << what;
            EXPECT_EQ(got.mask.rows, expected.mask.rows) << what;
            EXPECT_EQ(got.columns, expected.columns) << what;
        }
    }
}

// A JPEG that fits its sprite is kept row by row as decoded, not summed:
// still the same sprite as the decoded picture left as it is, for colours
// written straight into the kept rows and for grey ones.
TEST(ScaleArea, AJpegThatFitsItsSpriteIsTheDecodedPicture)
{
    struct Case {
        QImage::Format format;
        QSize size;
        int width;
    } const cases[] = {
        {QImage::Format_RGB32, {24, 30}, 0},
        {QImage::Format_RGB32, {32, 240}, 32},
        {QImage::Format_Grayscale8, {16, 16}, 16},
    };
    for (const Case &c : cases) {
        QImage image(c.size, c.format);
        for (int y = 0; y < c.size.height(); ++y)
            for (int x = 0; x < c.size.width(); ++x)
                image.setPixel(x, y, qRgb(x * 8, y, (x * y) % 256));
        QByteArray data;
        QBuffer buffer(&data);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "JPG"));
        const ScaledSprite expected =
            ScalePicture({DecodePicture(data, QStringLiteral("a.jpg")), {}, c.size}, c.width);
        QSize source;
        const ScaledSprite got =
            ScaleJpeg(data, c.width, QStringLiteral("a.jpg"), RunDecodeBudget(), source);
        EXPECT_EQ(source, c.size);
        EXPECT_EQ(got.picture, expected.picture) << c.size.width();
        EXPECT_EQ(got.mask.rows, expected.mask.rows) << c.size.width();
        EXPECT_EQ(got.columns, expected.columns) << c.size.width();
    }
}
