// SpriteMask: which pixels of a sprite are drawn, from its source's alpha.
#pragma once

#include "imaging/decodedpicture.h"

#include <cstdint>
#include <vector>

namespace bitvane {

// One bit per pixel of the fitted sprite, set where the pixel is drawn. The
// bits of a row sit as in the sprite's planes: pixel x is bit width - 1 - x,
// so a drawing routine can AND a mask row with a plane row directly.
struct SpriteMask {
    int width = 0;                   // the sprite's width: 8, 16 or 32
    std::vector<std::uint32_t> rows; // top to bottom

    int height() const { return int(rows.size()); }
    bool drawn(int x, int y) const { return (rows[std::size_t(y)] >> (width - 1 - x)) & 1u; }

    friend bool operator==(const SpriteMask &, const SpriteMask &) = default;
};

// The mask of a decoded picture from its alpha: a pixel with alpha of at
// least 128 is drawn. The mask has the sprite's size (width fitted to 8, 16
// or 32, at most 240 rows); the columns that fitting adds on the right are
// never drawn. A picture without alpha draws every column of its own.
SpriteMask MaskFromAlpha(const DecodedPicture &picture);

// The mask of a picture without transparency, width x height pixels before
// fitting: all of its own columns drawn, none of the padding.
SpriteMask OpaqueMask(int width, int height);

} // namespace bitvane
