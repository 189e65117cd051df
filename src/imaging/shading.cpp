// Shading: grey bytes, levels, threshold, ordered pattern, error diffusion and palette order.
#include "imaging/shading.h"

#include "error.h"
#include "imaging/shadereduction.h"

#include <algorithm>
#include <array>
#include <cmath>
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

// The grey bytes of the first `columns` columns, with the levels applied.
ByteGrid GreysOf(const PictureSurface &picture, int columns, int black, int white)
{
    ByteGrid greys{columns, picture.height(), {}};
    greys.values.reserve(std::size_t(columns) * picture.height());
    const bool levels = black != 0 || white != 255;
    for (int y = 0; y < picture.height(); ++y) {
        const ColorValue *row = picture.row(y);
        for (int x = 0; x < columns; ++x) {
            const std::uint8_t g = GreyByte(row[x]);
            greys.values.push_back(levels ? ApplyLevels(g, black, white) : g);
        }
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
    const int red = value & 0xFF, green = (value >> 8) & 0xFF, blue = (value >> 16) & 0xFF;
    // In hundredths the grey is the whole number s; the double sum's rounding
    // errors are far below a hundredth, so s decides alone unless it ends in
    // exactly .50, where the double sum lands a hair either side of the half.
    const int s = 59 * green + 30 * red + 11 * blue;
    if (s % 100 != 50)
        return static_cast<std::uint8_t>((s + 50) / 100);
    const double u = green * 0.59 + red * 0.30 + blue * 0.11;
    return static_cast<std::uint8_t>(std::nearbyint(u));
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
    ByteGrid out = SameSize(greys);
    for (int y = 0; y < greys.height; ++y) {
        const std::uint8_t *in = greys.values.data() + std::size_t(y) * greys.width;
        std::uint8_t *levels = out.values.data() + std::size_t(y) * greys.width;
        for (int x = 0; x < greys.width; ++x) {
            const int t = 255 * (2 * Bayer[y % 4][x % 4] + 1);
            levels[x] = std::uint8_t(std::min(3, (96 * in[x] + t) / 8160));
        }
    }
    return out;
}

ByteGrid DiffusedLevels(const ByteGrid &greys)
{
    ByteGrid out = SameSize(greys);
    const int w = greys.width;
    // Error carried into this row and the next, one guard cell at each end
    // taking what would leave the picture.
    std::vector<int> here(std::size_t(w) + 2, 0), below(std::size_t(w) + 2, 0);
    for (int y = 0; y < greys.height; ++y) {
        const std::uint8_t *in = greys.values.data() + std::size_t(y) * w;
        std::uint8_t *levels = out.values.data() + std::size_t(y) * w;
        const int step = y % 2 == 0 ? 1 : -1;
        for (int i = 0; i < w; ++i) {
            const int x = step > 0 ? i : w - 1 - i;
            const int cell = x + 1;
            const int u = 16 * in[x] + here[std::size_t(cell)];
            const int level = std::clamp(FloorDiv(3 * u + 2040, 4080), 0, 3);
            levels[x] = std::uint8_t(level);
            const int e = u - 1360 * level;
            // >> on a negative int rounds towards minus infinity (C++20).
            const int next = (7 * e) >> 4, behind = (3 * e) >> 4, under = (5 * e) >> 4;
            here[std::size_t(cell + step)] += next;
            below[std::size_t(cell - step)] += behind;
            below[std::size_t(cell)] += under;
            below[std::size_t(cell + step)] += e - next - behind - under;
        }
        std::swap(here, below);
        std::fill(below.begin(), below.end(), 0);
        // The guard cells' error left the picture.
        here.front() = here.back() = 0;
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
        for (int x = 0; x < contentWidth; ++x)
            row[x] = levels.at(x, y) * ShadeDark;
        std::fill(row + contentWidth, row + picture.width(), ShadeWhite);
    }
}

} // namespace bitvane
