// The decoders on the format libraries: the recorded decodes of every PNG
// kind and of GIFs on larger screens, and the files the decoders refuse or
// read cheaply.
#include "error.h"
#include "imaging/pictureloader.h"
#include "loaderfixture.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

#include <zlib.h>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

const QString DecodedDir = QStringLiteral(BITVANE_DECODED_DIR);

QByteArray ReadData(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    return file.readAll();
}

// A P6 file of the recorded decode.
PictureSurface ReadPpm(const QString &path)
{
    const QByteArray bytes = ReadData(path);
    const QList<QByteArray> head = bytes.left(32).split('\n');
    const QList<QByteArray> size = head.value(1).split(' ');
    const int width = size.value(0).toInt(), height = size.value(1).toInt();
    const qsizetype start = head.value(0).size() + head.value(1).size() + head.value(2).size() + 3;
    PictureSurface s(width, height);
    const auto *p = reinterpret_cast<const std::uint8_t *>(bytes.constData()) + start;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, p += 3)
            s.setPixel(x, y, Rgb(p[0], p[1], p[2]));
    return s;
}

void Chunk(QByteArray &png, const char *type, const QByteArray &data)
{
    char length[4];
    qToBigEndian(quint32(data.size()), length);
    png.append(length, 4);
    const QByteArray body = QByteArray(type, 4) + data;
    png.append(body);
    char crc[4];
    qToBigEndian(
        quint32(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size()))),
        crc);
    png.append(crc, 4);
}

// A PNG that declares width x height RGBA16 pixels but holds only the first
// rows (zero, filter 0): what a decoder allocating the whole picture pays for.
QByteArray PngBomb(int width, int height, int rowsHeld)
{
    QByteArray header(13, '\0');
    qToBigEndian(quint32(width), header.data());
    qToBigEndian(quint32(height), header.data() + 4);
    header[8] = 16;
    header[9] = 6;
    const QByteArray raw(qsizetype(rowsHeld) * (1 + qsizetype(width) * 8), '\0');
    QByteArray png("\x89PNG\r\n\x1A\n", 8);
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", qCompress(raw, 9).sliced(4));
    Chunk(png, "IEND", {});
    return png;
}

// A BMP of 2 x 1 pixels: the info header's first 40 bytes, then rest (the
// header's remaining masks, a palette, pixels).
QByteArray Bmp(int infoSize, int bits, int compression, int colours, const QByteArray &rest)
{
    QByteArray b("BM");
    const auto le = [&b](quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    for (const quint32 v : {quint32(14 + infoSize + rest.size()), 0u, quint32(14 + infoSize),
                            quint32(infoSize), 2u, 1u})
        le(v, 4);
    le(1, 2);
    le(quint32(bits), 2);
    for (const quint32 v : {quint32(compression), 0u, 2835u, 2835u, quint32(colours), 0u})
        le(v, 4);
    return b + rest;
}

QString Refusal(const std::function<void()> &run)
{
    try {
        run();
    } catch (const Error &e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST(DecodedCases, EveryPictureDecodesAsRecorded)
{
    const QStringList pictures = QDir(DecodedDir)
                                     .entryList({QStringLiteral("*.png"), QStringLiteral("*.gif"),
                                                 QStringLiteral("*.bmp"), QStringLiteral("*.jpg")});
    ASSERT_GE(pictures.size(), 70);
    for (const QString &picture : pictures) {
        SCOPED_TRACE(qPrintable(picture));
        const QString path = DecodedDir + u'/' + picture;
        const QString base = path.left(path.lastIndexOf(u'.'));
        const PictureSurface whole = ReadPpm(base + QStringLiteral(".ppm"));
        EXPECT_EQ(DecodePicture(path), whole);
        const QList<QByteArray> lines =
            ReadData(base + QStringLiteral(".txt")).trimmed().split('\n');
        // The sprite's corner, decoded alone (cropped, stopped early), is the
        // whole picture's corner.
        const LoadedSprite sprite = LoadSprite(path, {}, KeepFitted::Yes);
        int wrong = 0;
        for (int y = 0; y < std::min(whole.height(), MaxSpriteHeight); ++y)
            for (int x = 0; x < std::min(whole.width(), 32); ++x)
                wrong += sprite.Fitted.pixel(x, y) != whole.pixel(x, y);
        EXPECT_EQ(wrong, 0);
        const QList<QByteArray> source = lines.value(0).split(' ');
        EXPECT_EQ(sprite.SourceSize, QSize(source.value(1).toInt(), source.value(2).toInt()));
        ASSERT_EQ(sprite.Mask.height(), lines.size() - 1);
        for (int y = 0; y < sprite.Mask.height(); ++y)
            EXPECT_EQ(sprite.Mask.rows[std::size_t(y)], lines[y + 1].toUInt(nullptr, 16))
                << "row " << y;
    }
}

TEST(Decoders, GifsTheTestSuitesRefuseAreRefused)
{
    const QList<QRgb> palette{qRgb(0, 0, 0), qRgb(255, 255, 255)};
    const struct {
        const char *what;
        QByteArray gif;
        const char *reason;
    } cases[] = {
        // Index 3 in a table of 2 colours (the table is stored with 2).
        {"index outside the table", giftest::makeGif(QSize(2, 1), palette, {{{0, 3}, -1}}),
         "colour index 3 is outside the colour table of 2"},
        // The overflow-codes file of the suites: a minimum code size of 12.
        {"code size 12",
         [&] {
             QByteArray gif = giftest::makeGif(QSize(2, 1), palette, {{{0, 1}, -1}});
             gif[13 + 6 + 8 + 10] = 12;
             return gif;
         }(),
         "LZW minimum code size 12 is over 8"},
        // A 2 x 2 image whose codes end after its first pixel.
        {"codes ending early",
         QByteArray::fromHex("47494638396102000200800000000000ffffff2c0000000002000200000202440100"
                             "3b"),
         "Image EOF detected before image complete"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Refusal([&] { DecodePicture(c.gif, QStringLiteral("s.gif")); }),
                  QStringLiteral("s.gif: the GIF picture is damaged (%1)").arg(c.reason))
            << c.what;
}

// Bombs: a sprite takes only the corner, cheaply; the whole picture is
// refused by the run's memory budget instead of growing.
TEST(Decoders, BombsGiveTheirCornerAndTheWholeIsRefused)
{
    QByteArray gif =
        giftest::makeGif(QSize(1, 1), {qRgb(0, 0, 0), qRgb(255, 255, 255)}, {{{0}, -1}});
    qToLittleEndian<quint16>(16000, gif.data() + 6);
    qToLittleEndian<quint16>(8000, gif.data() + 8);
    const struct {
        const char *name;
        QByteArray bytes;
        QSize source;
    } bombs[] = {
        {"bomb.gif", gif, QSize(16000, 8000)},
        {"bomb.png", PngBomb(11585, 11585, 241), QSize(11585, 11585)},
    };
    QTemporaryDir dir;
    for (const auto &b : bombs) {
        SCOPED_TRACE(b.name);
        const QString path = dir.filePath(QLatin1String(b.name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(b.bytes);
        file.close();
        const LoadedSprite sprite = LoadSprite(path);
        EXPECT_EQ(sprite.SourceSize, b.source);
        EXPECT_EQ(sprite.Image.width(), 32);
        // Whole, either needs well over 256 MB.
        const QString refusal = Refusal([&] { DecodePicture(b.bytes, QLatin1String(b.name)); });
        EXPECT_TRUE(refusal.startsWith(QLatin1String(b.name) + QStringLiteral(": needs ")));
        EXPECT_TRUE(refusal.endsWith(QStringLiteral(" MB to decode, more than the budget")))
            << qPrintable(refusal);
        EXPECT_GT(refusal.section(u' ', 2, 2).toInt(), 256);
    }
}

// A GIF's screen is its size: the warning names it, not the first image's.
TEST(Decoders, GifScreenLargerThanItsImageIsTheSourceSize)
{
    const LoadedSprite sprite = LoadSprite(DecodedDir + QStringLiteral("/gif_offset.gif"));
    EXPECT_EQ(FittingWarning(QStringLiteral("g.gif"), sprite.SourceSize),
              QStringLiteral("g.gif is 20 x 12; it is padded with white to 32 px wide"));
}

// The 52- and 56-byte headers hold their bit masks inside: the second a
// mask of alpha too.
TEST(Decoders, BmpV2AndV3HeadersWithTheirMasksInside)
{
    // Red opaque, then green with alpha 0x40 (under V2 no alpha).
    const auto bmp = [](int infoSize, std::initializer_list<quint32> masks) {
        QByteArray rest;
        for (const quint32 v : masks)
            rest.append(reinterpret_cast<const char *>(&v), 4);
        return Bmp(infoSize, 32, 3, 0, rest + QByteArray::fromHex("ff0000ff00ff0040"));
    };
    const PictureSurface v2 = DecodePicture(bmp(52, {0xFFu, 0xFF00u, 0xFF0000u}), "v2.bmp");
    EXPECT_EQ(v2.pixel(0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(v2.pixel(1, 0), Rgb(0, 255, 0));
    const PictureSurface v3 =
        DecodePicture(bmp(56, {0xFFu, 0xFF00u, 0xFF0000u, 0xFF000000u}), "v3.bmp");
    EXPECT_EQ(v3.pixel(0, 0), Rgb(255, 0, 0));
    // Green at alpha 64 over white: (255 * 191 + 127) / 255 = 191 for red and blue.
    EXPECT_EQ(v3.pixel(1, 0), Rgb(191, 255, 191));
    EXPECT_TRUE(Refusal([&] {
                    DecodePicture(bmp(56, {0, 0, 0, 0}), "v3.bmp");
                }).contains("colour masks are empty"));
}

// A decode that fits the budget waits while others hold it, rather than
// being refused by whichever decode happened to run beside it.
TEST(DecodeBudgetTest, WaitsForTheOthersAndRefusesOnlyWhatNeverFits)
{
    DecodeBudget budget(100);
    std::optional<DecodeBudget::Share> first = budget.take(QStringLiteral("a.png"), 70);
    std::atomic<bool> taken = false;
    std::thread second([&] {
        const DecodeBudget::Share share = budget.take(QStringLiteral("b.png"), 50);
        taken = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(taken);
    first.reset();
    second.join();
    EXPECT_TRUE(taken);
    EXPECT_EQ(Refusal([&] { budget.take(QStringLiteral("c.png"), 101); }),
              QStringLiteral("c.png: needs 1 MB to decode, more than the budget"));
}

// What the BMP reader refuses, each with its reason, instead of reading
// memory past the file or making pixels up.
TEST(Decoders, BmpKindsNoReaderTakesAreRefused)
{
    const struct {
        const char *what;
        QByteArray bytes;
        const char *reason;
    } cases[] = {
        {"JPEG inside", Bmp(40, 24, 4, 0, QByteArray(8, '\0')),
         "the BMP picture is damaged (24 bits a pixel, compression 4 is not supported)"},
        {"2 bits a pixel", Bmp(40, 2, 0, 4, QByteArray(20, '\0')),
         "the BMP picture is damaged (2 bits a pixel, compression 0 is not supported)"},
        {"palette cut short", Bmp(40, 8, 0, 200, QByteArray(40, '\0')),
         "the BMP picture is truncated: the file ends before its picture data does"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Refusal([&] { DecodePicture(c.bytes, QStringLiteral("k.bmp")); }),
                  QStringLiteral("k.bmp: ") + QLatin1String(c.reason))
            << c.what;
}
