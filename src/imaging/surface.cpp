// PictureSurface: the pixel grid and the stretching copy.
#include "imaging/surface.h"

#include <algorithm>

namespace bitvane {

PictureSurface::PictureSurface(int width, int height, ColorValue fill)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)),
      m_pixels(std::size_t(m_width) * m_height, fill)
{}

ColorValue PictureSurface::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return -1;
    return m_pixels[std::size_t(y) * m_width + x];
}

void PictureSurface::setPixel(int x, int y, ColorValue value)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    m_pixels[std::size_t(y) * m_width + x] = value & 0xFFFFFF;
}

void PictureSurface::resize(int width, int height, ColorValue background)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height)
        return;
    std::vector<ColorValue> pixels(std::size_t(width) * height, background);
    const int keepW = std::min(width, m_width);
    const int keepH = std::min(height, m_height);
    for (int y = 0; y < keepH; ++y)
        std::copy_n(row(y), keepW, pixels.data() + std::size_t(y) * width);
    m_pixels = std::move(pixels);
    m_width = width;
    m_height = height;
}

void StretchCopy(PictureSurface &dst, const PictureSurface &src)
{
    if (dst.isEmpty() || src.isEmpty())
        return;
    if (dst.width() == src.width() && dst.height() == src.height()) {
        dst = src;
        return;
    }
    for (int y = 0; y < dst.height(); ++y) {
        const ColorValue *in = src.row(int(std::int64_t(y) * src.height() / dst.height()));
        ColorValue *out = dst.row(y);
        for (int x = 0; x < dst.width(); ++x)
            out[x] = in[std::int64_t(x) * src.width() / dst.width()];
    }
}

} // namespace bitvane
