// PictureSurface: an exact width by height grid of colour values.
#pragma once

#include "imaging/colormodel.h"

#include <vector>

namespace bitvane {

// A W x H grid of colour values in pixels: the drawing surface every picture
// lives on while it is decoded, reduced, adjusted, previewed and compiled.
//
// A read returns exactly the value last written (no colour depth is lost),
// which is what lets the header writer recognise the four shades by equality.
// Rows are stored top to bottom, each left to right.
class PictureSurface {
public:
    PictureSurface() = default;
    PictureSurface(int width, int height, ColorValue fill = ShadeWhite);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isEmpty() const { return m_width == 0 || m_height == 0; }

    // Outside the surface a read answers -1 and a write does nothing, as a
    // device context does.
    ColorValue pixel(int x, int y) const;
    void setPixel(int x, int y, ColorValue value);

    const ColorValue *row(int y) const { return m_pixels.data() + std::size_t(y) * m_width; }
    ColorValue *row(int y) { return m_pixels.data() + std::size_t(y) * m_width; }

    // Growing fills the new columns and rows with the background; shrinking
    // cuts at the right and at the bottom.
    void resize(int width, int height, ColorValue background = ShadeWhite);

    friend bool operator==(const PictureSurface &, const PictureSurface &) = default;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<ColorValue> m_pixels;
};

// Copies the whole of src onto dst, scaled from src's size to dst's size
// (nearest pixel; at equal sizes a pixel-for-pixel copy).
void StretchCopy(PictureSurface &dst, const PictureSurface &src);

} // namespace bitvane
