// Structure checks of picture files: does the file hold all of its first picture?
#include "imaging/formatchecks.h"

#include "error.h"

#include <algorithm>
#include <cstring>

namespace bitvane {

namespace {

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

} // namespace

void CheckPictureSize(const QString &name, qint64 width, qint64 height)
{
    if (width > 0 && height > 0 && width * height > MaxPixels)
        throw Error(
            name,
            QStringLiteral("the picture is too large (%1 x %2 pixels)").arg(width).arg(height));
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
    // A colour count only means a palette up to 8 bits a pixel; above, the
    // decoder ignores it, so it must not stop the check either.
    if (width <= 0 || height == 0 || bits == 0 || bits > 32 || (bits <= 8 && colorsUsed > 256))
        return true;
    height = std::abs(height);

    // The 40-byte header has its colour masks behind it; from the 52-byte
    // version on they are inside (a 64-byte OS/2 header is the 40-byte one
    // with more fields, its masks behind it too).
    qint64 masks = 0;
    if ((infoSize < 52 || infoSize == 64) && compression == 3)
        masks = 12;
    else if ((infoSize < 52 || infoSize == 64) && compression == 6)
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

int GifFirstCodeSize(QByteArrayView d)
{
    if (d.size() < 13)
        return -1;
    qint64 p = 13;
    const int screenFlags = quint8(d[10]);
    if (screenFlags & 0x80)
        p += 3 << ((screenFlags & 7) + 1);
    while (p < d.size()) {
        switch (quint8(d[p])) {
        case 0x21:
            p += 2;
            if (!SkipGifBlocks(d, p))
                return -1;
            break;
        case 0x2C: {
            if (p + 10 > d.size())
                return -1;
            const int imageFlags = quint8(d[p + 9]);
            p += 10;
            if (imageFlags & 0x80)
                p += 3 << ((imageFlags & 7) + 1);
            return p < d.size() ? quint8(d[p]) : -1;
        }
        default:
            return -1;
        }
    }
    return -1;
}

// Frames are drawn onto the logical screen, which is what gets allocated.
QSize GifCanvas(QByteArrayView d)
{
    if (d.size() < 10)
        return {};
    return QSize(int(Le16(d, 6)), int(Le16(d, 8)));
}

} // namespace bitvane
