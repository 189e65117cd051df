// The direct reader of plain uncompressed 24-bit BMP files.
#include "imaging/directbmp.h"

#include "imaging/formatchecks.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace bitvane {

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
    CheckPictureSize(name, width, height);
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

} // namespace bitvane
