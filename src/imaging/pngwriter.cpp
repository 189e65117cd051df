// PNG chunks around Qt's zlib stream.
#include "imaging/pngwriter.h"

#include <QtEndian>

#include <array>
#include <cstdint>

namespace bitvane {

namespace {

constexpr auto CrcTable = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[n] = c;
    }
    return t;
}();

std::uint32_t Crc32(QByteArrayView bytes)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char b : bytes)
        c = CrcTable[(c ^ std::uint8_t(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void AppendBigEndian(QByteArray &out, std::uint32_t value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

void AppendChunk(QByteArray &out, const char *type, QByteArrayView data)
{
    AppendBigEndian(out, std::uint32_t(data.size()));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data);
    AppendBigEndian(out, Crc32(QByteArrayView(out).sliced(start)));
}

} // namespace

QByteArray EncodeGreyPng(int width, int height, QByteArrayView grey, QByteArrayView alpha)
{
    const qsizetype pixels = qsizetype(width) * height;
    if (width <= 0 || height <= 0 || grey.size() != pixels ||
        (!alpha.isEmpty() && alpha.size() != pixels))
        return {};
    const bool withAlpha = !alpha.isEmpty();

    QByteArray header;
    AppendBigEndian(header, std::uint32_t(width));
    AppendBigEndian(header, std::uint32_t(height));
    header.append(char(8));                 // bits per sample
    header.append(char(withAlpha ? 4 : 0)); // colour type
    header.append(3, char(0));              // deflate, adaptive filters, no interlace

    // Each row starts with filter type 0: the pictures are tiny.
    QByteArray raw;
    raw.reserve(height * (1 + qsizetype(width) * (withAlpha ? 2 : 1)));
    for (int y = 0; y < height; ++y) {
        raw.append(char(0));
        for (int x = 0; x < width; ++x) {
            const qsizetype i = qsizetype(y) * width + x;
            raw.append(grey[i]);
            if (withAlpha)
                raw.append(alpha[i]);
        }
    }
    // qCompress puts the uncompressed size before the zlib stream.
    const QByteArray zlib = qCompress(raw).sliced(4);

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", zlib);
    AppendChunk(png, "IEND", {});
    return png;
}

} // namespace bitvane
