// Masks from a picture's alpha, fitted like the sprite itself.
#include "imaging/spritemask.h"

#include "imaging/pictureloader.h"

#include <algorithm>

namespace bitvane {

namespace {

// An empty mask of the sprite's size, for a source w x h pixels.
SpriteMask Fitted(int width, int height)
{
    SpriteMask mask;
    if (width <= 0 || height <= 0)
        return mask;
    mask.width = SpriteWidthFor(width);
    mask.rows.assign(std::size_t(std::min(height, MaxSpriteHeight)), 0u);
    return mask;
}

// The bits of the first `columns` pixels of a row of the given width.
std::uint32_t LeadingColumns(int columns, int width)
{
    const std::uint32_t ones = columns >= 32 ? 0xFFFFFFFFu : (1u << columns) - 1u;
    return ones << (width - columns);
}

} // namespace

SpriteMask OpaqueMask(int width, int height)
{
    SpriteMask mask = Fitted(width, height);
    const std::uint32_t row = LeadingColumns(std::min(width, mask.width), mask.width);
    std::fill(mask.rows.begin(), mask.rows.end(), row);
    return mask;
}

SpriteMask MaskFromAlpha(const QImage &picture)
{
    if (!picture.hasAlphaChannel())
        return OpaqueMask(picture.width(), picture.height());
    SpriteMask mask = Fitted(picture.width(), picture.height());
    if (mask.rows.empty())
        return mask;
    const int columns = std::min(picture.width(), mask.width);
    // Only the part that becomes the sprite is converted, however large the
    // picture; both ARGB32 layouts keep alpha in the top byte.
    QImage argb = picture;
    if (argb.format() != QImage::Format_ARGB32 &&
        argb.format() != QImage::Format_ARGB32_Premultiplied)
        argb = picture.copy(0, 0, columns, mask.height()).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < mask.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        std::uint32_t bits = 0;
        for (int x = 0; x < columns; ++x)
            bits = (bits << 1) | std::uint32_t(qAlpha(in[x]) >= 128);
        mask.rows[std::size_t(y)] = bits << (mask.width - columns);
    }
    return mask;
}

} // namespace bitvane
