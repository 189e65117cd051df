// Shading: grey bytes, levels, threshold, ordered pattern, error diffusion and palette order.
#include "imaging/shading.h"

#include "error.h"
#include "imaging/pixelpass.h"
#include "imaging/shadereduction.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <tuple>

namespace bitvane {

namespace {

// Division rounding towards minus infinity, for the diffusion's negative
// errors.
constexpr int FloorDiv(int a, int b)
{
    const int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

ByteGrid SameSize(const ByteGrid &greys)
{
    return {greys.width, greys.height, std::vector<std::uint8_t>(greys.values.size())};
}

int ThresholdLevel(std::uint8_t g)
{
    return (g >= 43) + (g >= 128) + (g >= 213);
}

// The rule as written, for the colours whose sum in hundredths ends in .50:
// there the double sum lands a hair either side of the half.
std::uint8_t ExactGrey(int red, int green, int blue)
{
    const double u = green * 0.59 + red * 0.30 + blue * 0.11;
    return static_cast<std::uint8_t>(std::nearbyint(u));
}

// In hundredths the grey is the whole number s; the double sum's rounding
// errors are far below a hundredth, so s decides alone unless it ends in
// exactly .50.
inline std::uint8_t GreyOf(ColorValue value)
{
    const int s = detail::GreyHundredths(value);
    if (s % 100 == 50) [[unlikely]]
        return ExactGrey(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    return static_cast<std::uint8_t>((s + 50) / 100);
}

// ApplyLevels for every grey, without a division per grey: from the black
// point up the quotient only grows, so it is counted up.
std::array<std::uint8_t, 256> LevelTable(int black, int white)
{
    std::array<std::uint8_t, 256> table{};
    const int twice = 2 * (white - black);
    int level = 0, rest = white - black; // at the black point: floor(span / (2 * span))
    for (int g = black; g < 256; ++g) {
        while (rest >= twice && level < 255) {
            rest -= twice;
            ++level;
        }
        table[std::size_t(g)] = std::uint8_t(level);
        rest += 510;
    }
    return table;
}

// The grey bytes of a run of n colours. Four at a time the sum in
// hundredths s = 59 green + 30 red + 11 blue is one 32-bit lane each, and
// (s + 50) / 100 is (s + 50) * 5243 >> 19, exact below 43,699; a group with
// a sum ending in .50 goes the scalar way.
void GreyRun(const ColorValue *in, std::uint8_t *out, std::size_t n)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i half = _mm_set1_epi32(50);
    const __m128i reciprocal = _mm_set1_epi32(5243);
    const __m128i hundred = _mm_set1_epi32(100);
    for (; i + 4 <= n; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
        const __m128i x = _mm_add_epi32(detail::GreyHundredths(v), half);
        // x fits in the low 16 bits of each lane; the high halves stay 0.
        const __m128i q = _mm_srli_epi32(_mm_mulhi_epu16(x, reciprocal), 3);
        const __m128i onHalf =
            _mm_cmpeq_epi32(_mm_sub_epi32(x, _mm_mullo_epi16(q, hundred)), _mm_setzero_si128());
        if (_mm_movemask_epi8(onHalf) != 0) {
            for (std::size_t k = i; k < i + 4; ++k)
                out[k] = GreyOf(in[k]);
            continue;
        }
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(q, q), q);
        const int four = _mm_cvtsi128_si32(bytes);
        std::memcpy(out + i, &four, 4);
    }
#endif
    for (; i < n; ++i)
        out[i] = GreyOf(in[i]);
}

// The grey bytes of the first `columns` columns, with the levels applied.
ByteGrid GreysOf(const PictureSurface &picture, int columns, int black, int white)
{
    ByteGrid greys{columns, picture.height(),
                   std::vector<std::uint8_t>(std::size_t(columns) * picture.height())};
    std::uint8_t *out = greys.values.data();
    for (int y = 0; y < picture.height(); ++y)
        GreyRun(picture.row(y), out + std::size_t(y) * columns, std::size_t(columns));
    if (black != 0 || white != 255) {
        const std::array<std::uint8_t, 256> levels = LevelTable(black, white);
        for (std::uint8_t &g : greys.values)
            g = levels[g];
    }
    return greys;
}

struct RankedColour {
    std::uint8_t grey;
    ColorTriple rgb;
    ColorValue value;
};

} // namespace

std::uint8_t GreyByte(ColorValue value)
{
    return GreyOf(value);
}

void GreyBytes(const ColorValue *colours, std::uint8_t *greys, std::size_t n)
{
    GreyRun(colours, greys, n);
}

std::uint8_t ApplyLevels(std::uint8_t grey, int black, int white)
{
    const int span = white - black;
    const int v = FloorDiv((grey - black) * 510 + span, 2 * span);
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

ByteGrid ThresholdLevels(const ByteGrid &greys)
{
    ByteGrid out = SameSize(greys);
    std::transform(greys.values.begin(), greys.values.end(), out.values.begin(),
                   [](std::uint8_t g) { return std::uint8_t(ThresholdLevel(g)); });
    return out;
}

ByteGrid OrderedLevels(const ByteGrid &greys)
{
    static constexpr int Bayer[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    // min(3, floor((96 g + 255 (2 M + 1)) / 8160)) counts the k = 1, 2, 3 with
    // g >= ceil((8160 k - 255 (2 M + 1)) / 96): three greys per matrix cell,
    // all between 3 and 253.
    std::uint8_t steps[3][4][16];
    for (int k = 1; k <= 3; ++k)
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 16; ++c) {
                const int n = 8160 * k - 255 * (2 * Bayer[r][c % 4] + 1);
                steps[k - 1][r][c] = std::uint8_t((n + 95) / 96);
            }
    ByteGrid out = SameSize(greys);
    for (int y = 0; y < greys.height; ++y) {
        const std::uint8_t *in = greys.values.data() + std::size_t(y) * greys.width;
        std::uint8_t *levels = out.values.data() + std::size_t(y) * greys.width;
        const int r = y % 4;
        int x = 0;
#if defined(__SSE2__)
        // Sixteen columns hold the pattern four times over; g >= t is
        // max(g, t) == g, bytes being unsigned.
        const auto load = [](const std::uint8_t *p) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        };
        const __m128i t1 = load(steps[0][r]), t2 = load(steps[1][r]), t3 = load(steps[2][r]);
        for (; x + 16 <= greys.width; x += 16) {
            const __m128i g = load(in + x);
            const auto atLeast = [&](__m128i t) { return _mm_cmpeq_epi8(_mm_max_epu8(g, t), g); };
            const __m128i count = _mm_add_epi8(_mm_add_epi8(atLeast(t1), atLeast(t2)), atLeast(t3));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(levels + x),
                             _mm_sub_epi8(_mm_setzero_si128(), count));
        }
#endif
        for (; x < greys.width; ++x) {
            const int c = x % 4;
            levels[x] = std::uint8_t((in[x] >= steps[0][r][c]) + (in[x] >= steps[1][r][c]) +
                                     (in[x] >= steps[2][r][c]));
        }
    }
    return out;
}

ByteGrid DiffusedLevels(const ByteGrid &greys)
{
    ByteGrid out = SameSize(greys);
    const int w = greys.width;
    // The error each cell of this row has from the row above, and what the
    // row gives the next, with a guard cell at each end for what would leave
    // the picture. Every pixel waits on the error of the one before it, so
    // that share stays in `carry`; a cell below gets its three shares (ahead
    // of one pixel, under the next, behind the one after) in `pending` and
    // `owed` and is written once, when the last has come.
    std::vector<int> here(std::size_t(w) + 2, 0), below(std::size_t(w) + 2, 0);
    for (int y = 0; y < greys.height; ++y) {
        const std::uint8_t *in = greys.values.data() + std::size_t(y) * w;
        std::uint8_t *levels = out.values.data() + std::size_t(y) * w;
        const int step = y % 2 == 0 ? 1 : -1;
        int carry = 0, owed = 0, pending = 0;
        for (int i = 0; i < w; ++i) {
            const int x = step > 0 ? i : w - 1 - i;
            const int cell = x + 1;
            const int u = 16 * in[x] + here[std::size_t(cell)] + carry;
            // clamp(floor((3u + 2040) / 4080), 0, 3) as three comparisons:
            // 3u + 2040 >= 4080 k is u >= 1360 k - 680.
            const int level = (u >= 680) + (u >= 2040) + (u >= 3400);
            levels[x] = std::uint8_t(level);
            const int e = u - 1360 * level;
            // >> on a negative int rounds towards minus infinity (C++20).
            carry = (7 * u - 9520 * level) >> 4; // 7e / 16
            const int behind = (3 * e) >> 4, under = (5 * e) >> 4;
            below[std::size_t(cell - step)] = owed + behind;
            owed = pending + under;
            pending = e - carry - behind - under; // ahead
        }
        if (w > 0)
            below[std::size_t(step > 0 ? w : 1)] = owed;
        std::swap(here, below);
    }
    return out;
}

ByteGrid PaletteLevels(const PictureSurface &picture, int columns, const QString &fileName,
                       int black, int white)
{
    columns = std::clamp(columns, 0, picture.width());
    std::vector<ColorValue> colours;
    for (int y = 0; y < picture.height(); ++y) {
        const ColorValue *row = picture.row(y);
        for (int x = 0; x < columns; ++x) {
            if (std::find(colours.begin(), colours.end(), row[x]) == colours.end())
                colours.push_back(row[x]);
            if (colours.size() > 4)
                break;
        }
        if (colours.size() > 4)
            break;
    }
    if (colours.size() > 4) {
        // Only a refusal counts them all.
        std::vector<ColorValue> all;
        for (int y = 0; y < picture.height(); ++y)
            all.insert(all.end(), picture.row(y), picture.row(y) + columns);
        std::sort(all.begin(), all.end());
        const auto n = std::unique(all.begin(), all.end()) - all.begin();
        throw Error(fileName,
                    QStringLiteral("has %1 colours; palette order takes at most 4").arg(n));
    }
    std::vector<RankedColour> ranked;
    for (const ColorValue c : colours)
        ranked.push_back({GreyByte(c), SplitColor(c), c});
    std::sort(ranked.begin(), ranked.end(), [](const RankedColour &a, const RankedColour &b) {
        return std::tie(a.grey, a.rgb.red, a.rgb.green, a.rgb.blue) <
               std::tie(b.grey, b.rgb.red, b.rgb.green, b.rgb.blue);
    });
    const int n = int(ranked.size());
    std::array<std::uint8_t, 4> levelOfRank{};
    for (int r = 0; r < n; ++r)
        levelOfRank[std::size_t(r)] =
            std::uint8_t(n == 1 ? ThresholdLevel(ApplyLevels(ranked[0].grey, black, white))
                                : (6 * r + n - 1) / (2 * (n - 1)));

    ByteGrid out{picture.width(), picture.height(),
                 std::vector<std::uint8_t>(std::size_t(picture.width()) * picture.height(), 3)};
    for (int y = 0; y < picture.height(); ++y) {
        const ColorValue *row = picture.row(y);
        for (int x = 0; x < columns; ++x) {
            const auto it = std::find_if(ranked.begin(), ranked.end(),
                                         [&](const RankedColour &c) { return c.value == row[x]; });
            out.values[std::size_t(y) * out.width + x] =
                levelOfRank[std::size_t(it - ranked.begin())];
        }
    }
    return out;
}

void ShadePicture(PictureSurface &picture, int contentWidth, const PictureOptions &options,
                  const QString &fileName)
{
    if (options.shade == ShadeMode::Threshold && !options.levelsChanged()) {
        ReduceToShades(picture, picture);
        return;
    }
    contentWidth = std::clamp(contentWidth, 0, picture.width());
    ByteGrid levels;
    if (options.shade == ShadeMode::Palette) {
        levels = PaletteLevels(picture, contentWidth, fileName, options.black, options.white);
    } else {
        const ByteGrid greys = GreysOf(picture, contentWidth, options.black, options.white);
        levels = options.shade == ShadeMode::Ordered   ? OrderedLevels(greys)
                 : options.shade == ShadeMode::Diffuse ? DiffusedLevels(greys)
                                                       : ThresholdLevels(greys);
    }
    for (int y = 0; y < picture.height(); ++y) {
        ColorValue *row = picture.row(y);
        const std::uint8_t *level = levels.values.data() + std::size_t(y) * levels.width;
        for (int x = 0; x < contentWidth; ++x)
            row[x] = level[x] * ShadeDark;
        std::fill(row + contentWidth, row + picture.width(), ShadeWhite);
    }
}

} // namespace bitvane
