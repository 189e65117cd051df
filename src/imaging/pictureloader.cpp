#include "imaging/pictureloader.h"

#include "error.h"
#include "imaging/shadereduction.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

namespace bitvane {

namespace {

// Sprite pictures are small; these only keep a wrong file (a video, a
// decompression bomb) from taking the machine's memory.
constexpr qint64 MaxFileBytes = qint64(256) << 20;
constexpr qint64 MaxPixels = qint64(1) << 26;

struct PictureFormat {
    const char *qtName;
    const char *label;
    QByteArrayView signature;
    bool (*complete)(QByteArrayView data);
    // The size the decoder will allocate when the file says more than the
    // decoder's own size query does; invalid when it says nothing more.
    QSize (*canvas)(QByteArrayView data);
    // A direct reader of the format's commonest kind of file, answering
    // nothing for other kinds; null when the format has none.
    std::optional<PictureSurface> (*direct)(QByteArrayView data, QSize keep, const QString &name);
};

// Little- and big-endian reads at a position the caller has checked.
quint32 Le16(QByteArrayView d, qint64 p)
{
    return quint8(d[p]) | quint32(quint8(d[p + 1])) << 8;
}
quint32 Le32(QByteArrayView d, qint64 p)
{
    return Le16(d, p) | Le16(d, p + 2) << 16;
}
quint32 Be16(QByteArrayView d, qint64 p)
{
    return quint32(quint8(d[p])) << 8 | quint8(d[p + 1]);
}
quint32 Be32(QByteArrayView d, qint64 p)
{
    return Be16(d, p) << 16 | Be16(d, p + 2);
}

// The decoders fill whatever a short file lacks with made-up pixels (or
// leave it undefined) and report success, so each format's structure is
// walked first. These answer false only when the file certainly ends before
// the first picture's data does; anything else is left to the decoder.

// Run-length coded rows: complete when the end-of-picture code comes, or
// when every row has been ended.
bool BmpRunsComplete(QByteArrayView d, qint64 p, qint64 rows, bool fourBit)
{
    qint64 y = 0;
    while (y < rows) {
        if (p + 2 > d.size())
            return false;
        const int count = quint8(d[p]);
        const int code = quint8(d[p + 1]);
        p += 2;
        if (count > 0)
            continue;
        if (code == 0) {
            ++y;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            if (p + 2 > d.size())
                return false;
            // The decoder keeps a jump that leaves the picture on its last row.
            y = std::min(y + quint8(d[p + 1]), rows - 1);
            p += 2;
        } else {
            qint64 bytes = fourBit ? (code + 1) / 2 : code;
            bytes += bytes & 1;
            if (p + bytes > d.size())
                return false;
            p += bytes;
        }
    }
    return true;
}

bool BmpComplete(QByteArrayView d)
{
    constexpr qint64 FileHeader = 14;
    if (d.size() < FileHeader + 4)
        return false;
    const qint64 offset = Le32(d, 10);
    const qint64 infoSize = Le32(d, 14);
    qint64 width, height;
    quint32 bits, compression = 0, colorsUsed = 0;
    int paletteEntry = 4;
    if (infoSize == 12) {
        if (d.size() < FileHeader + 12)
            return false;
        width = qint16(Le16(d, 18));
        height = qint16(Le16(d, 20));
        bits = Le16(d, 24);
        paletteEntry = 3;
    } else if (infoSize >= 40) {
        if (d.size() < FileHeader + 40)
            return false;
        width = qint32(Le32(d, 18));
        height = qint32(Le32(d, 22));
        bits = Le16(d, 28);
        compression = Le32(d, 30);
        colorsUsed = Le32(d, 46);
    } else {
        return true;
    }
    if (width <= 0 || height == 0 || bits == 0 || bits > 32 || colorsUsed > 256)
        return true;
    height = std::abs(height);

    qint64 masks = 0;
    if (infoSize == 40 && compression == 3)
        masks = 12;
    else if (infoSize == 40 && compression == 6)
        masks = 16;
    const qint64 palette =
        bits <= 8 ? qint64(colorsUsed ? colorsUsed : 1u << bits) * paletteEntry : 0;
    const qint64 headerEnd = FileHeader + infoSize + masks + palette;
    if (d.size() < headerEnd)
        return false;
    // A bogus offset that points into the header is ignored by the decoder.
    const qint64 start = std::max(offset, headerEnd);
    switch (compression) {
    case 0:
    case 3:
    case 6: {
        const qint64 stride = (width * bits + 31) / 32 * 4;
        // Divided, since stride times height can pass 64 bits.
        return d.size() >= start && (d.size() - start) / stride >= height;
    }
    case 1:
    case 2:
        return BmpRunsComplete(d, start, height, compression == 2);
    default:
        return true;
    }
}

// Skips a chain of GIF data sub-blocks ending with an empty one.
bool SkipGifBlocks(QByteArrayView d, qint64 &p)
{
    for (;;) {
        if (p >= d.size())
            return false;
        const int n = quint8(d[p]);
        p += 1 + n;
        if (n == 0)
            return true;
    }
}

bool GifComplete(QByteArrayView d)
{
    if (d.size() < 13)
        return false;
    qint64 p = 13;
    const int screenFlags = quint8(d[10]);
    if (screenFlags & 0x80)
        p += 3 << ((screenFlags & 7) + 1);
    for (;;) {
        if (p >= d.size())
            return false;
        switch (quint8(d[p])) {
        case 0x21:
            p += 2;
            if (!SkipGifBlocks(d, p))
                return false;
            break;
        case 0x2C: {
            if (p + 10 > d.size())
                return false;
            const int imageFlags = quint8(d[p + 9]);
            p += 10;
            if (imageFlags & 0x80)
                p += 3 << ((imageFlags & 7) + 1);
            p += 1; // the LZW code size
            return SkipGifBlocks(d, p);
        }
        default:
            return true;
        }
    }
}

// Complete when the end-of-image marker comes; the coded data after a
// start-of-scan holds no 0xFF but as 0xFF 0x00 or a restart marker.
bool JpegComplete(QByteArrayView d)
{
    const char *data = d.data();
    qint64 p = 2;
    for (;;) {
        const void *ff =
            p < d.size() ? std::memchr(data + p, 0xFF, std::size_t(d.size() - p)) : nullptr;
        if (!ff)
            return false;
        p = static_cast<const char *>(ff) - data;
        while (p < d.size() && quint8(d[p]) == 0xFF)
            ++p;
        if (p >= d.size())
            return false;
        const int marker = quint8(d[p++]);
        if (marker == 0xD9)
            return true;
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (p + 2 > d.size())
            return false;
        const qint64 length = Be16(d, p);
        if (length < 2)
            return true;
        p += length;
        if (p > d.size())
            return false;
        if (marker != 0xDA)
            continue;
        for (;;) {
            const void *next =
                p < d.size() ? std::memchr(data + p, 0xFF, std::size_t(d.size() - p)) : nullptr;
            if (!next)
                return false;
            p = static_cast<const char *>(next) - data;
            if (p + 1 >= d.size())
                return false;
            const int after = quint8(d[p + 1]);
            if (after == 0x00 || (after >= 0xD0 && after <= 0xD7))
                p += 2;
            else
                break;
        }
    }
}

bool PngComplete(QByteArrayView d)
{
    qint64 p = 8;
    for (;;) {
        if (p + 8 > d.size())
            return false;
        const qint64 length = Be32(d, p);
        const bool end = std::memcmp(d.data() + p + 4, "IEND", 4) == 0;
        p += 12 + length;
        if (p > d.size())
            return false;
        if (end)
            return true;
    }
}

// Frames are drawn onto the logical screen, which is what gets allocated.
QSize GifCanvas(QByteArrayView d)
{
    if (d.size() < 10)
        return {};
    return QSize(int(Le16(d, 6)), int(Le16(d, 8)));
}

QSize NoCanvas(QByteArrayView)
{
    return {};
}

QString Named(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void ThrowTooLarge(const QString &name, qint64 width, qint64 height)
{
    throw Error(name,
                QStringLiteral("the picture is too large (%1 x %2 pixels)").arg(width).arg(height));
}

void CheckSize(const QString &name, qint64 width, qint64 height)
{
    if (width > 0 && height > 0 && width * height > MaxPixels)
        ThrowTooLarge(name, width, height);
}

// The most common sprite file, an uncompressed 24-bit BMP with the plain
// 40-byte header, is read here directly: through the generic reader it
// costs more than all the rest of the loading together. Only the pixels
// within keep (from the top-left corner) are taken. The rules follow the
// generic reader's exactly: rows bottom-up unless the height is negative,
// the pixel data at the header's offset unless that points into the header,
// the stored bytes blue, green, red. Anything else answers nothing.
std::optional<PictureSurface> DecodePlainBmp(QByteArrayView d, QSize keep, const QString &name)
{
    constexpr qint64 HeaderEnd = 14 + 40;
    if (d.size() < HeaderEnd || Le32(d, 14) != 40 || Le16(d, 26) != 1 || Le16(d, 28) != 24 ||
        Le32(d, 30) != 0)
        return std::nullopt;
    const qint64 width = qint32(Le32(d, 18));
    const qint64 signedHeight = qint32(Le32(d, 22));
    const qint64 height = std::abs(signedHeight);
    if (width <= 0 || height == 0)
        return std::nullopt;
    CheckSize(name, width, height);
    const qint64 stride = (width * 24 + 31) / 32 * 4;
    const qint64 start = std::max<qint64>(Le32(d, 10), HeaderEnd);
    if (d.size() < start + stride * height)
        return std::nullopt;

    const int w = int(std::min<qint64>(width, keep.width()));
    const int h = int(std::min<qint64>(height, keep.height()));
    PictureSurface picture(w, h);
    const auto *data = reinterpret_cast<const std::uint8_t *>(d.data()) + start;
    for (int y = 0; y < h; ++y) {
        const qint64 fileRow = signedHeight > 0 ? height - 1 - y : y;
        const std::uint8_t *in = data + fileRow * stride;
        ColorValue *out = picture.row(y);
        // Four bytes at a time, the fourth belonging to the next pixel (or
        // the row's padding); the last pixel of a row may end the file.
        int x = 0;
        for (; x + 1 < w; ++x, in += 3) {
            std::uint32_t word;
            std::memcpy(&word, in, 4);
            out[x] = ColorValue(qFromBigEndian(word) >> 8);
        }
        out[x] = ColorValue(in[0]) << 16 | ColorValue(in[1]) << 8 | in[2];
    }
    return picture;
}

const PictureFormat Formats[] = {
    {"bmp", "BMP", "BM", BmpComplete, NoCanvas, DecodePlainBmp},
    {"gif", "GIF", "GIF8", GifComplete, GifCanvas, nullptr},
    {"jpeg", "JPEG", "\xFF\xD8\xFF", JpegComplete, NoCanvas, nullptr},
    {"png", "PNG", "\x89PNG\r\n\x1A\n", PngComplete, NoCanvas, nullptr},
};

struct Detected {
    const PictureFormat *format = nullptr;
    bool cutShort = false; // the file is only the start of the signature
};

// By content, whatever the file is called.
Detected DetectFormat(QByteArrayView d)
{
    for (const PictureFormat &f : Formats) {
        if (d.startsWith(f.signature))
            return {&f, false};
        if (d.size() < f.signature.size() && f.signature.startsWith(d))
            return {&f, true};
    }
    return {};
}

QImage ReadWithQt(const QByteArray &data, const PictureFormat &format, const QString &name)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format.qtName);
    // The pixels as stored: no turning by orientation tags, no gamma or
    // colour profile applied (the reader applies none unless asked).
    reader.setAutoTransform(false);
    // The format is known from the file's first bytes; letting the reader
    // probe would load every image plugin on the first picture of a run.
    reader.setAutoDetectImageFormat(false);
    for (const QSize declared : {format.canvas(data), reader.size()}) {
        if (declared.isValid())
            CheckSize(name, declared.width(), declared.height());
    }
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw Error(name, QStringLiteral("the %1 picture is damaged (%2)")
                              .arg(QLatin1String(format.label), reader.errorString()));
    CheckSize(name, image.width(), image.height());
    return image;
}

// The picture in data, cut to keep from the top-left corner.
PictureSurface DecodeBytes(const QByteArray &data, const QString &name, QSize keep)
{
    if (data.isEmpty())
        throw Error(name, QStringLiteral("the file is empty"));
    const auto [format, cutShort] = DetectFormat(data);
    if (!format)
        throw Error(name, QStringLiteral("not a picture (not a BMP, GIF, JPEG or PNG file)"));
    if (cutShort || !format->complete(data))
        throw Error(name, QStringLiteral("the %1 picture is truncated: the file ends before its "
                                         "picture data does")
                              .arg(QLatin1String(format->label)));
    if (format->direct) {
        if (std::optional<PictureSurface> picture = format->direct(data, keep, name))
            return std::move(*picture);
    }
    QImage image = ReadWithQt(data, *format, name);
    const QSize kept = image.size().boundedTo(keep);
    // Cut before converting: a large picture need not be converted whole.
    if (kept != image.size())
        image = image.copy(QRect(QPoint(0, 0), kept));
    return PictureSurface::fromImage(image);
}

QByteArray ReadPictureFile(const QString &path)
{
    if (path.isEmpty())
        throw Error(QStringLiteral("no picture file was named"));
    const QString name = Named(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        const QFileInfo info(path);
        if (!info.exists())
            throw Error(name, QStringLiteral("file not found"));
        if (info.isDir())
            throw Error(name, QStringLiteral("this is a folder, not a picture file"));
        throw Error(name, QStringLiteral("cannot be read (%1)").arg(file.errorString()));
    }
    // A device or a pipe could be read for ever.
    if (file.isSequential())
        throw Error(name, QStringLiteral("not a regular file"));
    if (file.size() > MaxFileBytes)
        throw Error(
            name,
            QStringLiteral("the file is too large for a picture (%1 bytes)").arg(file.size()));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(name, QStringLiteral("cannot be read (%1)").arg(file.errorString()));
    return data;
}

constexpr QSize WholePicture(std::numeric_limits<int>::max(), std::numeric_limits<int>::max());

} // namespace

PictureSurface DecodePicture(const QString &path)
{
    return DecodeBytes(ReadPictureFile(path), Named(path), WholePicture);
}

PictureSurface DecodePicture(const QByteArray &data, const QString &fileName)
{
    return DecodeBytes(data, fileName, WholePicture);
}

void FitToSprite(PictureSurface &picture)
{
    picture.resize(SpriteWidthFor(picture.width()), std::min(picture.height(), MaxSpriteHeight),
                   ShadeWhite);
}

PictureSurface LoadPicture(const QString &path)
{
    // Fitting keeps at most the top-left 32 x 240 pixels, so no more are
    // decoded or converted.
    PictureSurface picture =
        DecodeBytes(ReadPictureFile(path), Named(path), QSize(32, MaxSpriteHeight));
    FitToSprite(picture);
    ReduceToShades(picture, picture);
    return picture;
}

} // namespace bitvane
