// Area-average scaling of whole pictures to sprite size, with their masks.
#include "imaging/fit.h"

#include "imaging/pictureloader.h"

#include <algorithm>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bitvane {

namespace {

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

// A scaled picture padded with white to its width class, its mask drawing
// the pixels whose alpha (row by row, the picture's size; empty: opaque) is
// at least 128.
ScaledSprite Padded(PictureSurface picture, const std::vector<std::uint8_t> &alpha, int widthClass)
{
    ScaledSprite out;
    const int width = picture.width(), height = picture.height();
    out.picture = std::move(picture);
    out.columns = width;
    out.picture.resize(widthClass, height, ShadeWhite);
    out.mask.width = widthClass;
    out.mask.rows.assign(std::size_t(height), 0u);
    for (int y = 0; y < height; ++y) {
        std::uint32_t bits = 0;
        for (int x = 0; x < width; ++x)
            bits = (bits << 1) |
                   std::uint32_t(alpha.empty() || alpha[std::size_t(y) * width + x] >= 128);
        out.mask.rows[std::size_t(y)] = bits << (widthClass - width);
    }
    return out;
}

// Scales the rows of a picture whose alpha is given by row(y) as a pair of
// pointers (nullptr alpha: opaque).
template <class Rows> ScaledSprite Scaled(QSize source, int chosenWidth, Rows row)
{
    const int widthClass = ScaleWidthClass(source.width(), chosenWidth);
    const QSize scaled = ScaledSize(source, widthClass);
    AreaScaler scaler(source, scaled);
    for (int y = 0; y < source.height(); ++y) {
        const auto [colours, alpha] = row(y);
        scaler.addRow(colours, alpha);
    }
    return Padded(scaler.colours(), scaler.alpha(), widthClass);
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

// Red, blue, green and alpha in four 16-bit fields, so that one addition
// sums all four; 257 pixels fill a field.
constexpr std::uint64_t Spread(ColorValue colour, std::uint8_t alpha)
{
    const auto v = std::uint32_t(colour);
    return (v & 0x00FF00FFu) | (std::uint64_t((v >> 8) & 0xFFu) << 32) |
           (std::uint64_t(alpha) << 48);
}

constexpr int SpreadRun = 256;

void AddSpread(std::uint64_t *sums, std::uint64_t packed, std::uint64_t weight)
{
    sums[0] += weight * (packed & 0xFFFF);         // red
    sums[1] += weight * ((packed >> 32) & 0xFFFF); // green
    sums[2] += weight * ((packed >> 16) & 0xFFFF); // blue
    sums[3] += weight * (packed >> 48);            // alpha
}

} // namespace

void AreaScaler::addRow(const ColorValue *colours, const std::uint8_t *alpha)
{
    const auto alphaAt = [alpha](int x) { return alpha ? alpha[x] : std::uint8_t(255); };
    const int w = m_target.width();
    std::fill(m_rowSums.begin(), m_rowSums.end(), 0);
    for (const Segment &s : m_segments) {
        std::uint64_t *sums = m_rowSums.data() + std::size_t(s.column) * 4;
        if (s.first < w) {
            const std::uint64_t packed = Spread(colours[s.begin], alphaAt(s.begin));
            AddSpread(sums, packed, std::uint64_t(s.first));
            AddSpread(sums + 4, packed, std::uint64_t(w - s.first));
            continue;
        }
        for (int x = s.begin; x < s.end;) {
            const int stop = std::min(s.end, x + SpreadRun);
            std::uint64_t packed = 0;
#if defined(__SSE2__)
            if (!alpha) {
                // Four pixels a vector: red and blue sum in the 16-bit
                // fields where they lie, green in the low one of a second
                // vector; the lanes are added together at the end of the
                // run, alpha being 255 for each pixel.
                const __m128i redBlue = _mm_set1_epi32(0x00FF00FF), low = _mm_set1_epi32(0xFF);
                __m128i rb = _mm_setzero_si128(), g = _mm_setzero_si128();
                const int first = x;
                for (; x + 4 <= stop; x += 4) {
                    const __m128i v =
                        _mm_loadu_si128(reinterpret_cast<const __m128i *>(colours + x));
                    rb = _mm_add_epi32(rb, _mm_and_si128(v, redBlue));
                    g = _mm_add_epi32(g, _mm_and_si128(_mm_srli_epi32(v, 8), low));
                }
                alignas(16) std::uint32_t rbLanes[4], gLanes[4];
                _mm_store_si128(reinterpret_cast<__m128i *>(rbLanes), rb);
                _mm_store_si128(reinterpret_cast<__m128i *>(gLanes), g);
                packed = std::uint64_t(rbLanes[0] + rbLanes[1] + rbLanes[2] + rbLanes[3]) |
                         std::uint64_t(gLanes[0] + gLanes[1] + gLanes[2] + gLanes[3]) << 32 |
                         std::uint64_t(255 * (x - first)) << 48;
            }
#endif
            for (; x < stop; ++x)
                packed += Spread(colours[x], alphaAt(x));
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
            row[x] = PackColor({Average(s[2], total), Average(s[1], total), Average(s[0], total)});
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

RowScaler::RowScaler(QSize source, int chosenWidth)
    : m_source(source), m_widthClass(ScaleWidthClass(source.width(), chosenWidth)),
      m_same(ScaledSize(source, m_widthClass) == source),
      m_scaler(source, m_same ? QSize(0, 0) : ScaledSize(source, m_widthClass)),
      m_kept(m_same ? source.width() : 0, m_same ? source.height() : 0),
      m_row(m_same ? 0 : std::size_t(source.width()))
{}

void RowScaler::putRgb(int, const std::uint8_t *rgb)
{
    ColorValue *row = m_same ? m_kept.row(m_rows) : m_row.data();
    for (int x = 0; x < m_source.width(); ++x, rgb += 3)
        row[x] = PackColor({rgb[2], rgb[1], rgb[0]});
    putColourRow();
}

void RowScaler::putGrey(int, const std::uint8_t *grey)
{
    ColorValue *row = m_same ? m_kept.row(m_rows) : m_row.data();
    for (int x = 0; x < m_source.width(); ++x, ++grey)
        row[x] = PackColor({*grey, *grey, *grey});
    putColourRow();
}

void RowScaler::putColourRow()
{
    if (m_same) {
        // The byte above blue is the decoder's: a colour has none.
        ColorValue *row = m_kept.row(m_rows);
        for (int x = 0; x < m_source.width(); ++x)
            row[x] &= 0xFFFFFF;
    } else {
        m_scaler.addRow(m_row.data(), nullptr);
    }
    ++m_rows;
}

ScaledSprite RowScaler::take() const
{
    if (m_same)
        return Padded(m_kept, {}, m_widthClass);
    return Padded(m_scaler.colours(), m_scaler.alpha(), m_widthClass);
}

ScaledSprite ScalePicture(const DecodedPicture &picture, int chosenWidth)
{
    const PictureSurface &colours = picture.Picture;
    const QSize source(colours.width(), colours.height());
    const int widthClass = ScaleWidthClass(source.width(), chosenWidth);
    // Left as it is: each pixel its own average, taken the short way.
    if (ScaledSize(source, widthClass) == source)
        return Padded(colours, picture.Alpha, widthClass);
    const std::uint8_t *alpha = picture.Alpha.empty() ? nullptr : picture.Alpha.data();
    return Scaled(source, chosenWidth, [&](int y) {
        return std::pair(colours.row(y), alpha ? alpha + std::size_t(y) * source.width() : alpha);
    });
}

ScaledSprite ScaleSurface(const PictureSurface &picture, int chosenWidth)
{
    return Scaled(QSize(picture.width(), picture.height()), chosenWidth, [&](int y) {
        return std::pair(picture.row(y), static_cast<const std::uint8_t *>(nullptr));
    });
}

} // namespace bitvane
