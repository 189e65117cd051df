// Area-average scaling of whole pictures to sprite size, with their masks.
#include "imaging/fit.h"

#include "imaging/pictureloader.h"

#include <algorithm>

namespace bitvane {

namespace {

// Composites one component of a non-premultiplied pixel over white, as
// PictureSurface::fromImage does.
constexpr std::uint64_t OverWhite(int c, int alpha)
{
    return std::uint64_t((c * alpha + 255 * (255 - alpha) + 127) / 255);
}

// round-half-up(sum / total) in whole numbers. A 64-bit division is slow,
// and there are four per pixel: the quotient is estimated in double
// precision and then corrected to the exact one.
std::uint8_t Average(std::uint64_t sum, std::uint64_t total)
{
    const std::uint64_t num = 2 * sum + total, den = 2 * total;
    std::uint64_t q = std::uint64_t(double(num) / double(den));
    if (q * den > num)
        --q;
    else if ((q + 1) * den <= num)
        ++q;
    return static_cast<std::uint8_t>(q);
}

constexpr std::int64_t RoundHalfUp(std::int64_t numerator, std::int64_t denominator)
{
    return (2 * numerator + denominator) / (2 * denominator);
}

// Rows of an image in non-premultiplied ARGB, converted a band at a time so
// that a large picture of another format is never converted whole.
template <class Sink> void ForEachArgbRow(const QImage &image, Sink sink)
{
    const QImage::Format f = image.format();
    if (f == QImage::Format_ARGB32 || f == QImage::Format_RGB32) {
        for (int y = 0; y < image.height(); ++y)
            sink(reinterpret_cast<const QRgb *>(image.constScanLine(y)));
        return;
    }
    constexpr int Band = 64;
    for (int top = 0; top < image.height(); top += Band) {
        const int rows = std::min(Band, image.height() - top);
        const QImage band =
            image.copy(0, top, image.width(), rows).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < rows; ++y)
            sink(reinterpret_cast<const QRgb *>(band.constScanLine(y)));
    }
}

ScaledSprite Padded(const AreaScaler &scaler, QSize scaled, int widthClass)
{
    ScaledSprite out;
    out.picture = scaler.colours();
    out.columns = scaled.width();
    out.picture.resize(widthClass, scaled.height(), ShadeWhite);
    const std::vector<std::uint8_t> alpha = scaler.alpha();
    out.mask.width = widthClass;
    out.mask.rows.assign(std::size_t(scaled.height()), 0u);
    for (int y = 0; y < scaled.height(); ++y) {
        std::uint32_t bits = 0;
        for (int x = 0; x < scaled.width(); ++x)
            bits = (bits << 1) | std::uint32_t(alpha[std::size_t(y) * scaled.width() + x] >= 128);
        out.mask.rows[std::size_t(y)] = bits << (widthClass - scaled.width());
    }
    return out;
}

} // namespace

int ScaleWidthClass(int sourceWidth, int chosenWidth)
{
    return chosenWidth > 0 ? chosenWidth : SpriteWidthFor(sourceWidth);
}

QSize ScaledSize(QSize source, int widthClass)
{
    const std::int64_t w0 = source.width(), h0 = source.height();
    if (w0 <= widthClass && h0 <= MaxSpriteHeight)
        return source;
    std::int64_t w = widthClass;
    std::int64_t h = RoundHalfUp(h0 * widthClass, w0);
    if (h > MaxSpriteHeight) {
        h = MaxSpriteHeight;
        w = RoundHalfUp(w0 * MaxSpriteHeight, h0);
    }
    return QSize(int(std::max<std::int64_t>(w, 1)), int(std::max<std::int64_t>(h, 1)));
}

AreaScaler::AreaScaler(QSize source, QSize target)
    : m_source(source), m_target(target), m_rowSums(std::size_t(target.width()) * 4),
      m_sums(std::size_t(target.width()) * target.height() * 4)
{
    const std::int64_t w = target.width(), W = source.width();
    for (std::int64_t x = 0; x < W; ++x) {
        const std::int64_t start = x * w, column = start / W;
        const int first = int(std::min(w, (column + 1) * W - start));
        Segment *last = m_segments.empty() ? nullptr : &m_segments.back();
        if (first == w && last && last->first == w && last->column == column)
            last->end = int(x) + 1;
        else
            m_segments.push_back({int(x), int(x) + 1, int(column), first});
    }
}

namespace {

// A pixel composited over white, alpha kept, as non-premultiplied ARGB.
QRgb OverWhitePixel(QRgb p)
{
    const int a = qAlpha(p);
    if (a == 255)
        return p;
    return qRgba(int(OverWhite(qRed(p), a)), int(OverWhite(qGreen(p), a)),
                 int(OverWhite(qBlue(p), a)), a);
}

// Blue, red, green and alpha in four 16-bit fields, so that one addition
// sums all four; 257 pixels fill a field.
constexpr std::uint64_t Spread(QRgb p)
{
    return (p & 0x00FF00FFu) | (std::uint64_t(p & 0xFF00FF00u) << 24);
}

constexpr int SpreadRun = 256;

void AddSpread(std::uint64_t *sums, std::uint64_t packed, std::uint64_t weight)
{
    sums[0] += weight * (packed & 0xFFFF);         // blue
    sums[1] += weight * ((packed >> 32) & 0xFFFF); // green
    sums[2] += weight * ((packed >> 16) & 0xFFFF); // red
    sums[3] += weight * (packed >> 48);            // alpha
}

} // namespace

void AreaScaler::addRow(const QRgb *row)
{
    const int w = m_target.width();
    std::fill(m_rowSums.begin(), m_rowSums.end(), 0);
    for (const Segment &s : m_segments) {
        std::uint64_t *sums = m_rowSums.data() + std::size_t(s.column) * 4;
        if (s.first < w) {
            const std::uint64_t packed = Spread(OverWhitePixel(row[s.begin]));
            AddSpread(sums, packed, std::uint64_t(s.first));
            AddSpread(sums + 4, packed, std::uint64_t(w - s.first));
            continue;
        }
        for (int x = s.begin; x < s.end;) {
            const int stop = std::min(s.end, x + SpreadRun);
            std::uint64_t packed = 0;
            for (; x < stop; ++x)
                packed += Spread(OverWhitePixel(row[x]));
            AddSpread(sums, packed, std::uint64_t(w));
        }
    }
    // The row spans [y * h, (y + 1) * h); output row j spans [j * H, (j + 1) * H).
    const std::int64_t h = m_target.height(), H = m_source.height();
    const std::int64_t start = m_row * h, outRow = start / H;
    const std::int64_t first = std::min(h, (outRow + 1) * H - start);
    const auto addInto = [&](std::int64_t j, std::uint64_t weight) {
        std::uint64_t *out = m_sums.data() + std::size_t(j) * std::size_t(w) * 4;
        for (std::size_t k = 0; k < m_rowSums.size(); ++k)
            out[k] += weight * m_rowSums[k];
    };
    addInto(outRow, std::uint64_t(first));
    if (first < h)
        addInto(outRow + 1, std::uint64_t(h - first));
    ++m_row;
}

PictureSurface AreaScaler::colours() const
{
    const std::uint64_t total = std::uint64_t(m_source.width()) * std::uint64_t(m_source.height());
    PictureSurface out(m_target.width(), m_target.height());
    for (int y = 0; y < m_target.height(); ++y) {
        ColorValue *row = out.row(y);
        for (int x = 0; x < m_target.width(); ++x) {
            const std::uint64_t *s = m_sums.data() + (std::size_t(y) * m_target.width() + x) * 4;
            row[x] = PackColor({Average(s[0], total), Average(s[1], total), Average(s[2], total)});
        }
    }
    return out;
}

std::vector<std::uint8_t> AreaScaler::alpha() const
{
    const std::uint64_t total = std::uint64_t(m_source.width()) * std::uint64_t(m_source.height());
    std::vector<std::uint8_t> out(std::size_t(m_target.width()) * m_target.height());
    for (std::size_t k = 0; k < out.size(); ++k)
        out[k] = Average(m_sums[k * 4 + 3], total);
    return out;
}

ScaledSprite ScaleImage(const QImage &image, int chosenWidth)
{
    const int widthClass = ScaleWidthClass(image.width(), chosenWidth);
    const QSize scaled = ScaledSize(image.size(), widthClass);
    if (scaled == image.size()) {
        // Left as it is: each pixel its own average, taken the short way.
        ScaledSprite out;
        out.picture = PictureSurface::fromImage(image);
        out.picture.resize(widthClass, scaled.height(), ShadeWhite);
        out.columns = scaled.width();
        out.mask.width = widthClass;
        out.mask.rows.assign(std::size_t(scaled.height()), 0u);
        int y = 0;
        ForEachArgbRow(image, [&](const QRgb *row) {
            std::uint32_t bits = 0;
            for (int x = 0; x < scaled.width(); ++x)
                bits = (bits << 1) | std::uint32_t(qAlpha(row[x]) >= 128);
            out.mask.rows[std::size_t(y++)] = bits << (widthClass - scaled.width());
        });
        return out;
    }
    AreaScaler scaler(image.size(), scaled);
    ForEachArgbRow(image, [&](const QRgb *row) { scaler.addRow(row); });
    return Padded(scaler, scaled, widthClass);
}

ScaledSprite ScaleSurface(const PictureSurface &picture, int chosenWidth)
{
    const int widthClass = ScaleWidthClass(picture.width(), chosenWidth);
    const QSize source(picture.width(), picture.height());
    const QSize scaled = ScaledSize(source, widthClass);
    AreaScaler scaler(source, scaled);
    std::vector<QRgb> row(std::size_t(picture.width()));
    for (int y = 0; y < picture.height(); ++y) {
        std::transform(picture.row(y), picture.row(y) + picture.width(), row.begin(), ToQRgb);
        scaler.addRow(row.data());
    }
    return Padded(scaler, scaled, widthClass);
}

} // namespace bitvane
