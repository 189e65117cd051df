// Grey bytes, levels and the four ways of reducing a fitted picture to the four shades.
#pragma once

#include "imaging/pictureoptions.h"
#include "imaging/surface.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace bitvane {

// One byte per pixel, rows top to bottom: grey bytes, or shade levels 0..3
// (darkest first: level L is the grey L * 85).
struct ByteGrid {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> values;

    std::uint8_t at(int x, int y) const { return values[std::size_t(y) * width + x]; }

    friend bool operator==(const ByteGrid &, const ByteGrid &) = default;
};

// n = round-half-to-even(green * 0.59 + red * 0.30 + blue * 0.11), the sum
// taken in double precision in that order: the grey every shading rule reads.
std::uint8_t GreyByte(ColorValue value);
// The same for a run of n colours.
void GreyBytes(const ColorValue *colours, std::uint8_t *greys, std::size_t n);

// The black and white points: grey lo and below become 0, hi and above 255,
// those between are spread over 0..255, rounded half up. 0 and 255 change
// nothing.
std::uint8_t ApplyLevels(std::uint8_t grey, int black, int white);

// The level of each grey: the four-shade threshold (0-42, 43-127, 128-212,
// 213-255), the 4 x 4 ordered pattern, and serpentine error diffusion in
// whole numbers (the error leaving the grid is dropped).
ByteGrid ThresholdLevels(const ByteGrid &greys);
ByteGrid OrderedLevels(const ByteGrid &greys);
ByteGrid DiffusedLevels(const ByteGrid &greys);

// Palette order: the distinct colours of the first `columns` columns ranked
// by grey byte (ties by red, green, blue), rank r of n spread evenly over the
// four levels. More than four colours: Error "FILE: has N colours; palette
// order takes at most 4". One colour: its threshold level after the levels.
// Columns from `columns` on are left at level 3. The ranking reads the greys
// before the levels, which keep their order but may make two of them equal.
ByteGrid PaletteLevels(const PictureSurface &picture, int columns, const QString &fileName,
                       int black = 0, int white = 255);

// The shade step in place on a fitted picture whose own pixels are its first
// contentWidth columns (the rest is white padding, which stays white and
// carries no error): levels, then the options' shading. With the default
// options this is ReduceToShades.
void ShadePicture(PictureSurface &picture, int contentWidth, const PictureOptions &options,
                  const QString &fileName);

} // namespace bitvane
