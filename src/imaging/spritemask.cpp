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

SpriteMask MaskFromAlpha(const DecodedPicture &picture)
{
    const int width = picture.Picture.width();
    if (picture.Alpha.empty())
        return OpaqueMask(width, picture.Picture.height());
    SpriteMask mask = Fitted(width, picture.Picture.height());
    const int columns = std::min(width, mask.width);
    for (int y = 0; y < mask.height(); ++y) {
        const std::uint8_t *alpha = picture.Alpha.data() + std::size_t(y) * width;
        std::uint32_t bits = 0;
        for (int x = 0; x < columns; ++x)
            bits = (bits << 1) | std::uint32_t(alpha[x] >= 128);
        mask.rows[std::size_t(y)] = bits << (mask.width - columns);
    }
    return mask;
}

} // namespace bitvane
