// BMP decoding: headers, palettes, bit masks and run-length coded rows.
#include "imaging/bmpdecoder.h"

#include "error.h"
#include "imaging/formatchecks.h"

#include <algorithm>
#include <array>
#include <bit>

namespace bitvane {

namespace {

constexpr qint64 FileHeader = 14;

[[noreturn]] void Damaged(const QString &name, const QString &why)
{
    throw Error(name, QStringLiteral("the BMP picture is damaged (%1)").arg(why));
}

// One channel under a bit mask, widened to 8 bits.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(quint32 m = 0) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            bits = std::popcount(m >> shift);
        }
    }
    std::uint8_t operator()(quint32 pixel) const
    {
        const quint32 v = (pixel & mask) >> shift;
        return std::uint8_t(bits >= 8 ? v >> (bits - 8) : v << (8 - bits));
    }
};

struct Header {
    qint64 width = 0, height = 0; // height negative for rows stored top-down
    int bits = 0;
    quint32 compression = 0;
    qint64 colours = 0;
    int paletteEntry = 4;
    qint64 info = 0;
    std::array<quint32, 4> masks{}; // red, green, blue, alpha
    bool maskAlpha = false;
};

Header ReadHeader(QByteArrayView d, const QString &name)
{
    Header h;
    if (d.size() < FileHeader + 4 + 12)
        Damaged(name, QStringLiteral("its header is cut short"));
    h.info = Le32(d, 14);
    if (h.info == 12) {
        h.width = qint16(Le16(d, 18));
        h.height = qint16(Le16(d, 20));
        h.bits = int(Le16(d, 24));
        h.paletteEntry = 3;
    } else if (h.info >= 40 && d.size() >= FileHeader + 40) {
        h.width = qint32(Le32(d, 18));
        h.height = qint32(Le32(d, 22));
        h.bits = int(Le16(d, 28));
        h.compression = Le32(d, 30);
        h.colours = Le32(d, 46);
    } else {
        Damaged(name, QStringLiteral("a header of %1 bytes").arg(h.info));
    }
    if (h.width <= 0 || h.height == 0)
        Damaged(name, QStringLiteral("no pixels"));
    if (h.compression == 3 || h.compression == 6) {
        // Inside the header from the 52-byte version on, behind it before
        // (and behind the 64-byte OS/2 header, whose fields are others).
        const bool inside = h.info >= 52 && h.info != 64;
        const qint64 at = FileHeader + (inside ? 40 : h.info);
        const int count = h.compression == 6 || (inside && h.info >= 56) ? 4 : 3;
        if (d.size() < at + 4 * count)
            Damaged(name, QStringLiteral("its colour masks are cut short"));
        for (int i = 0; i < count; ++i)
            h.masks[std::size_t(i)] = Le32(d, at + 4 * i);
        h.maskAlpha = count == 4 && h.masks[3] != 0;
    } else if (h.bits == 16) {
        h.masks = {0x7C00, 0x03E0, 0x001F, 0};
    } else if (h.bits == 32) {
        h.masks = {0xFF0000, 0xFF00, 0xFF, 0};
    }
    return h;
}

} // namespace

DecodedPicture DecodeBmp(QByteArrayView d, QSize keep, const QString &name, DecodeBudget &budget)
{
    const Header h = ReadHeader(d, name);
    const qint64 height = std::abs(h.height);
    CheckPictureSize(name, h.width, height);
    const bool paletted = h.bits == 1 || h.bits == 4 || h.bits == 8;
    const bool masked = h.bits == 16 || h.bits == 32;
    const bool runs = h.compression == 1 || h.compression == 2;
    const bool known = (h.compression == 0 && (paletted || masked || h.bits == 24)) ||
                       (h.compression == 1 && h.bits == 8) || (h.compression == 2 && h.bits == 4) ||
                       ((h.compression == 3 || h.compression == 6) && masked);
    if (!known)
        Damaged(name, QStringLiteral("%1 bits a pixel, compression %2 is not supported")
                          .arg(h.bits)
                          .arg(h.compression));
    if (masked && (h.masks[0] | h.masks[1] | h.masks[2]) == 0)
        Damaged(name, QStringLiteral("its colour masks are empty"));

    const bool masksBehind = h.info < 52 || h.info == 64;
    const qint64 maskBytes = !masksBehind         ? 0
                             : h.compression == 3 ? 12
                             : h.compression == 6 ? 16
                                                  : 0;
    const qint64 paletteAt = FileHeader + h.info + maskBytes;
    qint64 colours = paletted ? (h.colours ? std::min<qint64>(h.colours, 256) : 1 << h.bits) : 0;
    const qint64 stride = (h.width * h.bits + 31) / 32 * 4;
    const qint64 start = std::max<qint64>(Le32(d, 10), paletteAt + colours * h.paletteEntry);
    // Divided, since stride times height can pass 64 bits.
    if (d.size() < start || (!runs && (d.size() - start) / stride < height))
        throw Error(name, QStringLiteral("the BMP picture is truncated: the file ends before its "
                                         "picture data does"));
    std::array<ColorValue, 256> palette{};
    for (qint64 i = 0; i < colours; ++i) {
        const qint64 at = paletteAt + i * h.paletteEntry;
        palette[std::size_t(i)] = PackColor({quint8(d[at]), quint8(d[at + 1]), quint8(d[at + 2])});
    }

    const QSize declared(int(h.width), int(height));
    const QSize kept = declared.boundedTo(keep);
    const DecodeBudget::Share share =
        budget.take(name, PictureBuilder::BytesFor(kept, h.maskAlpha));
    PictureBuilder builder(declared, keep, h.maskAlpha);
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(d.data());
    const auto putIndex = [&](int x, int y, int index) {
        const ColorTriple c = SplitColor(palette[std::size_t(index)]);
        builder.put(x, y, c.red, c.green, c.blue);
    };

    if (runs) {
        // Rows bottom-up; what no run reaches keeps the first colour.
        const ColorTriple first = SplitColor(palette[0]);
        builder.fill(first.red, first.green, first.blue);
        const bool four = h.compression == 2;
        qint64 p = start, x = 0, row = 0;
        const auto put = [&](int index) {
            const qint64 y = height - 1 - row;
            if (x < builder.width() && y < builder.height() && y >= 0)
                putIndex(int(x), int(y), index);
            ++x;
        };
        while (row < height && p + 2 <= d.size()) {
            const int count = bytes[p], code = bytes[p + 1];
            p += 2;
            if (count > 0) {
                for (int i = 0; i < count; ++i)
                    put(four ? (i & 1 ? code & 15 : code >> 4) : code);
            } else if (code == 0) {
                ++row;
                x = 0;
            } else if (code == 1) {
                break;
            } else if (code == 2) {
                if (p + 2 > d.size())
                    break;
                x += bytes[p];
                row += bytes[p + 1];
                p += 2;
            } else {
                const qint64 length = four ? (code + 1) / 2 : code;
                if (p + length > d.size())
                    break;
                for (int i = 0; i < code; ++i)
                    put(four ? (i & 1 ? bytes[p + i / 2] & 15 : bytes[p + i / 2] >> 4)
                             : bytes[p + i]);
                p += length + (length & 1);
            }
        }
        return builder.take();
    }

    const std::array<Channel, 4> channels{Channel(h.masks[0]), Channel(h.masks[1]),
                                          Channel(h.masks[2]), Channel(h.masks[3])};
    for (int y = 0; y < builder.height(); ++y) {
        const qint64 fileRow = h.height > 0 ? height - 1 - y : y;
        const std::uint8_t *in = bytes + start + fileRow * stride;
        for (int x = 0; x < builder.width(); ++x) {
            switch (h.bits) {
            case 1:
            case 4:
            case 8: {
                const int perByte = 8 / h.bits;
                const int shift = 8 - h.bits * (x % perByte + 1);
                const int index = (in[x / perByte] >> shift) & ((1 << h.bits) - 1);
                if (index < colours)
                    putIndex(x, y, index);
                else
                    builder.put(x, y, 0, 0, 0);
                break;
            }
            case 24:
                builder.put(x, y, in[3 * x + 2], in[3 * x + 1], in[3 * x]);
                break;
            default: {
                const quint32 pixel = h.bits == 16 ? Le16(d, start + fileRow * stride + 2 * x)
                                                   : Le32(d, start + fileRow * stride + 4 * x);
                builder.put(x, y, channels[0](pixel), channels[1](pixel), channels[2](pixel),
                            h.maskAlpha ? channels[3](pixel) : 255);
            }
            }
        }
    }
    return builder.take();
}

} // namespace bitvane
