// PictureSurface: the pixel grid, its QImage conversions and the stretching copy.
#include "imaging/surface.h"

#include <algorithm>

namespace bitvane {

namespace {

constexpr ColorValue fromQRgb(QRgb rgb)
{
    return PackColor({static_cast<std::uint8_t>(qBlue(rgb)), static_cast<std::uint8_t>(qGreen(rgb)),
                      static_cast<std::uint8_t>(qRed(rgb))});
}

// Composites one component of a (non-premultiplied) pixel over white.
constexpr int overWhite(int c, int alpha)
{
    return (c * alpha + 255 * (255 - alpha) + 127) / 255;
}

} // namespace

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

PictureSurface PictureSurface::fromImage(const QImage &image)
{
    PictureSurface s(image.width(), image.height());
    if (s.isEmpty())
        return s;
    const bool alpha = image.hasAlphaChannel();
    // ARGB32 (not premultiplied) keeps every opaque colour exact, whatever
    // the file's depth: paletted, grey and 16-bit pictures included.
    const QImage src =
        image.format() == (alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32)
            ? image
            : image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < s.m_height; ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        ColorValue *out = s.row(y);
        for (int x = 0; x < s.m_width; ++x) {
            const QRgb p = in[x];
            const int a = alpha ? qAlpha(p) : 255;
            if (a == 255) {
                out[x] = fromQRgb(p);
            } else {
                out[x] = PackColor({static_cast<std::uint8_t>(overWhite(qBlue(p), a)),
                                    static_cast<std::uint8_t>(overWhite(qGreen(p), a)),
                                    static_cast<std::uint8_t>(overWhite(qRed(p), a))});
            }
        }
    }
    return s;
}

QImage PictureSurface::toImage() const
{
    QImage image(m_width, m_height, QImage::Format_RGB32);
    for (int y = 0; y < m_height; ++y) {
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        const ColorValue *in = row(y);
        for (int x = 0; x < m_width; ++x)
            out[x] = ToQRgb(in[x]);
    }
    return image;
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
