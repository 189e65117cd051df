// Shading: grey bytes, levels, threshold, ordered pattern, error diffusion and palette order.
#include "imaging/shading.h"

#include "error.h"
#include "imaging/pixelpass.h"
#include "imaging/shadereduction.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <tuple>

#if defined(__GNUC__) && defined(__SSE2__)
#include <cpuid.h>
#include <immintrin.h>
#endif

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
#if defined(__SSE2__)
    // Rounded as the processor is set to, as nearbyint does, without a call.
    return static_cast<std::uint8_t>(_mm_cvtsd_si32(_mm_set_sd(u)));
#else
    return static_cast<std::uint8_t>(std::nearbyint(u));
#endif
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

// The greys of the colours whose bits are set in `lanes`, by the rule as
// written.
inline void FixHalves(const ColorValue *in, std::uint8_t *out, unsigned lanes)
{
    for (; lanes != 0; lanes &= lanes - 1) {
        const int k = std::countr_zero(lanes);
        out[k] = ExactGrey(in[k] & 0xFF, (in[k] >> 8) & 0xFF, (in[k] >> 16) & 0xFF);
    }
}

// ApplyLevels for every grey. The quotient is below 2^17 over at most 510,
// so one a hair below a whole number is below it by more than a float's
// rounding: a float division cut to a whole number is the floor, and the
// loop goes four greys a vector.
std::array<std::uint8_t, 256> LevelTable(int black, int white)
{
    std::array<std::uint8_t, 256> table{};
    const int span = white - black;
    const float twice = float(2 * span);
    for (int g = 0; g < 256; ++g) {
        const int n = std::max((g - black) * 510 + span, 0);
        table[std::size_t(g)] = std::uint8_t(std::min(int(float(n) / twice), 255));
    }
    return table;
}

// The grey bytes of a run of n colours, with SSE2 alone. Four at a time the sum in
// hundredths s = 59 green + 30 red + 11 blue is one 32-bit lane each, and
// (s + 50) / 100 is (s + 50) * 5243 >> 19, exact below 43,699; a group with
// a sum ending in .50 goes the scalar way. Sixteen at a time the four groups
// are packed and stored together.
void GreyRunSse2(const ColorValue *in, std::uint8_t *out, std::size_t n)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i half = _mm_set1_epi32(50);
    const __m128i reciprocal = _mm_set1_epi32(5243);
    const __m128i hundred = _mm_set1_epi32(100);
    // Sixteen at a time the sums fit 16-bit lanes (s <= 25,500), eight a
    // vector, so the division and the .50 test take half the work.
    const __m128i redBlueWeights = _mm_set1_epi32(11 << 16 | 30);
    const __m128i lowBytes = _mm_set1_epi32(0x00FF00FF);
    const __m128i greenMask = _mm_set1_epi32(0xFF);
    const __m128i half16 = _mm_set1_epi16(50), reciprocal16 = _mm_set1_epi16(5243),
                  hundred16 = _mm_set1_epi16(100), greenWeight = _mm_set1_epi16(59);
    for (; i + 16 <= n; i += 16) {
        __m128i q[2], onHalf[2];
        for (int k = 0; k < 2; ++k) {
            __m128i redBlue[2], green[2];
            for (int j = 0; j < 2; ++j) {
                const __m128i v =
                    _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i + 8 * k + 4 * j));
                redBlue[j] = _mm_madd_epi16(_mm_and_si128(v, lowBytes), redBlueWeights);
                green[j] = _mm_and_si128(_mm_srli_epi32(v, 8), greenMask);
            }
            const __m128i sum =
                _mm_add_epi16(_mm_packs_epi32(redBlue[0], redBlue[1]),
                              _mm_mullo_epi16(_mm_packs_epi32(green[0], green[1]), greenWeight));
            const __m128i x = _mm_add_epi16(sum, half16);
            q[k] = _mm_srli_epi16(_mm_mulhi_epu16(x, reciprocal16), 3);
            onHalf[k] = _mm_cmpeq_epi16(_mm_sub_epi16(x, _mm_mullo_epi16(q[k], hundred16)),
                                        _mm_setzero_si128());
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_packus_epi16(q[0], q[1]));
        // About one colour in a hundred sums to a .50: only those lanes are
        // worked out again.
        FixHalves(in + i, out + i,
                  unsigned(_mm_movemask_epi8(_mm_packs_epi16(onHalf[0], onHalf[1]))));
    }
    for (; i + 4 <= n; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
        const __m128i x = _mm_add_epi32(detail::GreyHundredths(v), half);
        // x fits in the low 16 bits of each lane; the high halves stay 0.
        const __m128i q = _mm_srli_epi32(_mm_mulhi_epu16(x, reciprocal), 3);
        const __m128i onHalf =
            _mm_cmpeq_epi32(_mm_sub_epi32(x, _mm_mullo_epi16(q, hundred)), _mm_setzero_si128());
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(q, q), q);
        const int four = _mm_cvtsi128_si32(bytes);
        std::memcpy(out + i, &four, 4);
        FixHalves(in + i, out + i, unsigned(_mm_movemask_ps(_mm_castsi128_ps(onHalf))));
    }
#endif
    for (; i < n; ++i)
        out[i] = GreyOf(in[i]);
}

#if defined(__GNUC__) && defined(__SSE2__)
// Sixteen at a time where the processor multiplies bytes by bytes (SSSE3,
// nearly every x86-64 one): the colours' bytes times 30, 59, 11 and 0 in
// one step, neighbouring lanes added in another, give s of eight colours in
// 16-bit lanes. The rest as above.
__attribute__((target("ssse3"))) void GreyRunBytes(const ColorValue *in, std::uint8_t *out,
                                                   std::size_t n)
{
    const __m128i weights = _mm_set1_epi32(0x000B3B1E); // red 30, green 59, blue 11
    const __m128i half = _mm_set1_epi16(50), reciprocal = _mm_set1_epi16(5243),
                  hundred = _mm_set1_epi16(100);
    const auto load = [](const ColorValue *p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    };
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        __m128i q[2], onHalf[2];
        for (int k = 0; k < 2; ++k) {
            const ColorValue *eight = in + i + 8 * k;
            const __m128i x =
                _mm_add_epi16(_mm_hadd_epi16(_mm_maddubs_epi16(load(eight), weights),
                                             _mm_maddubs_epi16(load(eight + 4), weights)),
                              half);
            q[k] = _mm_srli_epi16(_mm_mulhi_epu16(x, reciprocal), 3);
            onHalf[k] = _mm_cmpeq_epi16(_mm_sub_epi16(x, _mm_mullo_epi16(q[k], hundred)),
                                        _mm_setzero_si128());
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_packus_epi16(q[0], q[1]));
        FixHalves(in + i, out + i,
                  unsigned(_mm_movemask_epi8(_mm_packs_epi16(onHalf[0], onHalf[1]))));
    }
    GreyRunSse2(in + i, out + i, n - i);
}

// Thirty-two at a time where the processor has 256-bit integer vectors
// (AVX2): the same steps as sixteen at a time, each on twice the lanes. The
// horizontal add and the pack work within each 128-bit half, so the bytes
// come out four colours at a time in the order 0, 2, 4, 6, 1, 3, 5, 7 and
// one lane shuffle puts them back.
__attribute__((target("avx2"))) void GreyRunWide(const ColorValue *in, std::uint8_t *out,
                                                 std::size_t n)
{
    const __m256i weights = _mm256_set1_epi32(0x000B3B1E); // red 30, green 59, blue 11
    const __m256i half = _mm256_set1_epi16(50), reciprocal = _mm256_set1_epi16(5243),
                  hundred = _mm256_set1_epi16(100),
                  inOrder = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        __m256i q[2], onHalf[2];
        for (int k = 0; k < 2; ++k) {
            const auto *sixteen = reinterpret_cast<const __m256i *>(in + i + 16 * k);
            const __m256i x = _mm256_add_epi16(
                _mm256_hadd_epi16(_mm256_maddubs_epi16(_mm256_loadu_si256(sixteen), weights),
                                  _mm256_maddubs_epi16(_mm256_loadu_si256(sixteen + 1), weights)),
                half);
            q[k] = _mm256_srli_epi16(_mm256_mulhi_epu16(x, reciprocal), 3);
            onHalf[k] = _mm256_cmpeq_epi16(_mm256_sub_epi16(x, _mm256_mullo_epi16(q[k], hundred)),
                                           _mm256_setzero_si256());
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + i),
                            _mm256_permutevar8x32_epi32(_mm256_packus_epi16(q[0], q[1]), inOrder));
        FixHalves(in + i, out + i,
                  unsigned(_mm256_movemask_epi8(_mm256_permutevar8x32_epi32(
                      _mm256_packs_epi16(onHalf[0], onHalf[1]), inOrder))));
    }
    // The 128-bit code after this would otherwise wait on the upper halves
    // left in use, an instruction at a time.
    _mm256_zeroupper();
    GreyRunBytes(in + i, out + i, n - i);
}
#endif

// What the processor offers beyond SSE2: 1 multiplying bytes by bytes
// (SSSE3), 2 also 256-bit integer vectors (AVX2). Asked on first use, not
// by a start-up constructor in every run of the program.
int VectorLevel()
{
#if defined(__GNUC__) && defined(__SSE2__)
    static const int level = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
        if (__get_cpuid(1, &a, &b, &c, &d) == 0 || (c & bit_SSSE3) == 0)
            return 0;
        return __builtin_cpu_supports("avx2") ? 2 : 1;
    }();
    return level;
#else
    return 0;
#endif
}

void GreyRun(const ColorValue *in, std::uint8_t *out, std::size_t n)
{
#if defined(__GNUC__) && defined(__SSE2__)
    switch (VectorLevel()) {
    case 2:
        GreyRunWide(in, out, n);
        return;
    case 1:
        GreyRunBytes(in, out, n);
        return;
    }
#endif
    GreyRunSse2(in, out, n);
}

// The ordered pattern, one row at a time. min(3, floor((96 g + 255 (2 M +
// 1)) / 8160)) counts the k = 1, 2, 3 with g >= ceil((8160 k - 255 (2 M +
// 1)) / 96): three greys per matrix cell, all between 3 and 253.
class OrderedPattern {
public:
    // With levels black..white, the greys are those before the levels: the
    // levels never fall, so level(g) >= t is g >= the first g reaching t,
    // and the pattern compares the greys as they come.
    explicit OrderedPattern(int black = 0, int white = 255)
    {
        static constexpr int Bayer[4][4] = {
            {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
        // The least g whose level, floor(((g - black) 510 + span) / (2
        // span)), is at least t >= 1: g >= black + (2 t - 1) span / 510.
        // Without levels that is t itself.
        const int span = white - black;
        const auto firstReaching = [black, span](int t) {
            return std::uint8_t(black + ((2 * t - 1) * span + 509) / 510);
        };
        for (int k = 1; k <= 3; ++k)
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c) {
                    const int n = 8160 * k - 255 * (2 * Bayer[r][c] + 1);
                    const int step = (n + 95) / 96;
                    const std::uint8_t t = firstReaching(step);
                    for (int repeat = c; repeat < 16; repeat += 4)
                        m_steps[k - 1][r][repeat] = t;
                }
    }

    // The levels of row y's w greys.
    void row(const std::uint8_t *in, std::uint8_t *levels, int w, int y) const
    {
        const int r = y % 4;
        int x = 0;
#if defined(__SSE2__)
        // Sixteen columns hold the pattern four times over; g >= t is
        // max(g, t) == g, bytes being unsigned.
        const auto load = [](const std::uint8_t *p) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        };
        const __m128i t1 = load(m_steps[0][r]), t2 = load(m_steps[1][r]), t3 = load(m_steps[2][r]);
        for (; x + 16 <= w; x += 16) {
            const __m128i g = load(in + x);
            const auto atLeast = [&](__m128i t) { return _mm_cmpeq_epi8(_mm_max_epu8(g, t), g); };
            const __m128i count = _mm_add_epi8(_mm_add_epi8(atLeast(t1), atLeast(t2)), atLeast(t3));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(levels + x),
                             _mm_sub_epi8(_mm_setzero_si128(), count));
        }
#endif
        for (; x < w; ++x) {
            const int c = x % 4;
            levels[x] = std::uint8_t((in[x] >= m_steps[0][r][c]) + (in[x] >= m_steps[1][r][c]) +
                                     (in[x] >= m_steps[2][r][c]));
        }
    }

private:
    std::uint8_t m_steps[3][4][16];
};

// The table of the diffusion below, indexed by u - Lowest. A cell holds
// u - Lowest - Bias of its pixel before the share of the one before it, and
// the table's carry is that share plus Bias, so that the cell plus the carry
// is the index and the carry a 16-bit load with no sign to extend. Over the
// table's range |e| < 1040: the carry plus Bias is 64..967 and what goes
// ahead -64..67. The compiler builds the table, so no run pays for it at
// start.
struct DiffusionTable {
    static constexpr int Lowest = -1024;
    static constexpr std::ptrdiff_t Size = 6144;
    static constexpr int Bias = 512;
    static constexpr int levelOf(int u) { return (u >= 680) + (u >= 2040) + (u >= 3400); }
    struct Entry {
        std::uint16_t carry; // floor(7e / 16) + Bias
        std::int16_t under, behind;
        std::int8_t ahead;
        std::uint8_t level;

        static constexpr Entry of(int u, int &carry)
        {
            const int level = levelOf(u), e = u - 1360 * level;
            carry = (7 * e) >> 4;
            const int under = (5 * e) >> 4, behind = (3 * e) >> 4;
            return {std::uint16_t(carry + Bias), std::int16_t(under), std::int16_t(behind),
                    std::int8_t(e - carry - behind - under), std::uint8_t(level)};
        }
    };
    static_assert(sizeof(Entry) == 8, "the chain's load scales its index by 8");
    static_assert(-680 - Lowest >= 0 && 4761 - Lowest <= Size, "the table covers -680..4760");

    constexpr DiffusionTable()
    {
        int carry = 0;
        for (std::ptrdiff_t k = 0; k < Size; ++k)
            of[std::size_t(k)] = Entry::of(Lowest + int(k), carry);
    }
    std::array<Entry, Size> of{};
};

// Serpentine error diffusion, top to bottom, in sixteenths of a grey: each
// pixel's sum u = 16 grey + what the row above and the pixel before left it
// gets the level whose grey 85 level is nearest u / 16 (a tie going up), and
// its error e = u - 1360 level goes 7/16 to the next pixel, 3/16 behind,
// 5/16 under and the rest ahead in the row below (each share rounded down,
// the error leaving the grid dropped).
// Every pixel waits on the 7/16 of the one before, and the rows on each
// other through their ends, so that chain sets the pace: one load a pixel
// from a table indexed by u, whose result is the next pixel's index less
// its own cell. Everything else a pixel does (its level, the shares it
// leaves the row below) comes from the same table entry beside the chain,
// in the same pass, so the next row's first pixel is ready as soon as this
// row's last one is.
//
// The table covers the u errors never leave in practice (e stays within
// +-680, so u within -680..4760); a sum outside it is worked out in full.
// >> on a negative int rounds towards minus infinity (C++20).
class Diffuser {
public:
    // With levels, the greys are those before the levels, looked up with
    // the 16 g each starts from.
    explicit Diffuser(int width, const std::array<std::uint8_t, 256> *levels = nullptr)
        : m_width(width), m_rows{std::vector<int>(std::size_t(width) + 2),
                                 std::vector<int>(std::size_t(width) + 2)},
          m_none(std::size_t(width) + 2)
    {
        for (int g = 0; g < 256; ++g)
            m_start[std::size_t(g)] = 16 * (levels ? (*levels)[std::size_t(g)] : g) - Lowest - Bias;
    }

    // It keeps pointers into its own rows.
    Diffuser(const Diffuser &) = delete;
    Diffuser &operator=(const Diffuser &) = delete;

    // The first row's greys.
    void start(const std::uint8_t *greys)
    {
#if defined(__SSE2__)
        // The part of the table sums reach in practice, asked for all at
        // once: otherwise each of its lines is first fetched by the chain,
        // one after another, when the picture's passes have pushed it out.
        const char *const table = reinterpret_cast<const char *>(m_table.of.data());
        for (std::size_t at = std::size_t(-680 - Lowest) * sizeof(Entry);
             at < std::size_t(4761 - Lowest) * sizeof(Entry); at += 64)
            _mm_prefetch(table + at, _MM_HINT_T0);
#endif
        for (int x = 0; x < m_width; ++x)
            m_cells[x] = m_start[greys[x]];
    }

    // The levels of the next row, rows coming top to bottom. `nextGreys`
    // are those of the row after it, read one past either end (what goes
    // there is dropped), or null for the bottom row; levels may be this
    // row's greys.
    void row(const std::uint8_t *nextGreys, std::uint8_t *levels)
    {
        if (m_width == 0)
            return;
        if (nextGreys == nullptr)
            nextGreys = m_none.data() + 1;
        if (m_y++ % 2 == 0)
            m_first = scan<1>(m_cells, nextGreys, m_below, levels, m_first);
        else
            m_first = scan<-1>(m_cells, nextGreys, m_below, levels, m_first);
        std::swap(m_cells, m_below);
    }

private:
    // One row in scan order, Step = 1 rightwards, -1 leftwards: the levels
    // out, and the row below's cells from its greys and this row's shares.
    // That row gets at x what falls under x, behind the pixel after x and
    // ahead of the one before it, so it is done a pixel late; what its first
    // pixel (this row's last) gets is returned, and comes into the next
    // scan as the carry of that pixel, which has no pixel before it: the
    // rows meet through registers, not through memory.
    template <int Step>
    int scan(const int *cells, const std::uint8_t *nextGreys, int *below, std::uint8_t *levels,
             int first) const
    {
        const Entry *const table = m_table.of.data();
        const int w = m_width;
        std::ptrdiff_t carry = first + Bias;
        int pending = 0, ahead = 0;
        int x = Step > 0 ? 0 : w - 1;
        for (int i = 0; i < w; ++i, x += Step) {
            const std::ptrdiff_t cell = cells[x];
            const std::ptrdiff_t k = cell + carry;
            int under, behind, level, next;
            if (std::size_t(k) < std::size_t(Size)) [[likely]] {
                const Entry &share = table[k];
                under = share.under;
                behind = share.behind;
                next = share.ahead;
                level = share.level;
#if defined(__GNUC__) && defined(__x86_64__)
                // The chain's load, the cell's address in the table plus
                // the carry: the optimiser would otherwise add the two
                // first, and a load whose address waits on a shift or
                // whose value on an extension takes a step more.
                const std::uintptr_t from =
                    reinterpret_cast<std::uintptr_t>(table) + std::uintptr_t(cell) * sizeof(Entry);
                asm("movzwl (%1,%2,8), %k0" : "=r"(carry) : "r"(from), "0"(carry), "m"(m_table.of));
#else
                carry = share.carry;
#endif
            } else {
                int whole = 0;
                const Entry share = Entry::of(int(k) + Lowest, whole);
                carry = whole + Bias;
                under = share.under;
                behind = share.behind;
                next = share.ahead;
                level = share.level;
            }
            levels[x] = std::uint8_t(level);
            below[x - Step] = m_start[nextGreys[x - Step]] + pending + behind;
            pending = under + ahead;
            ahead = next;
        }
        below[x - Step] = m_start[nextGreys[x - Step]];
        return pending;
    }

    int m_width;
    std::array<int, 256> m_start;
    // This row's cells and the next one's, each with a guard either side
    // for the shares that leave the picture.
    std::vector<int> m_rows[2];
    int *m_cells = m_rows[0].data() + 1, *m_below = m_rows[1].data() + 1;
    std::vector<std::uint8_t> m_none; // the greys below the bottom row
    int m_y = 0;
    int m_first = 0; // what the row above left the row's first pixel
    static constexpr DiffusionTable m_table{};
    static constexpr int Lowest = DiffusionTable::Lowest, Bias = DiffusionTable::Bias;
    static constexpr std::ptrdiff_t Size = DiffusionTable::Size;
    using Entry = DiffusionTable::Entry;
};

#if defined(__GNUC__) && defined(__SSE2__)
// The shades of the first count levels, eight a vector: a byte shuffle
// spreads each level to the colour's three bytes (the fourth 0), and a
// second one looks those up in the four greys.
__attribute__((target("avx2"))) int WriteShadesWide(ColorValue *row, const std::uint8_t *levels,
                                                    int count)
{
    const __m256i greyOf =
        _mm256_setr_epi8(0, 85, char(170), char(255), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 85,
                         char(170), char(255), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m256i spread =
        _mm256_setr_epi8(0, 0, 0, -128, 1, 1, 1, -128, 2, 2, 2, -128, 3, 3, 3, -128, 4, 4, 4, -128,
                         5, 5, 5, -128, 6, 6, 6, -128, 7, 7, 7, -128);
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        const __m256i eight =
            _mm256_broadcastq_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(levels + x)));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(row + x),
                            _mm256_shuffle_epi8(greyOf, _mm256_shuffle_epi8(eight, spread)));
    }
    return x;
}
#endif

// Row y of a picture from its levels: each own pixel its shade, the
// padding from `columns` on white.
void WriteShades(ColorValue *row, const std::uint8_t *levels, int columns, int width)
{
    int x = 0;
#if defined(__GNUC__) && defined(__SSE2__)
    if (VectorLevel() == 2)
        x = WriteShadesWide(row, levels, columns);
#endif
#if defined(__SSE2__)
    // Each level L becomes the grey byte 85 L = L + 4 L + 16 L + 64 L, no
    // byte carrying into the next; the byte b then spreads to the colour
    // b b b 0 by pairing (b, b) with (b, 0).
    const __m128i zero = _mm_setzero_si128();
    for (; x + 16 <= columns; x += 16) {
        const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i *>(levels + x));
        const __m128i l5 = _mm_add_epi8(l, _mm_slli_epi16(l, 2));
        const __m128i b = _mm_add_epi8(l5, _mm_slli_epi16(l5, 4));
        const __m128i bbLow = _mm_unpacklo_epi8(b, b), bbHigh = _mm_unpackhi_epi8(b, b);
        const __m128i b0Low = _mm_unpacklo_epi8(b, zero), b0High = _mm_unpackhi_epi8(b, zero);
        auto *out = reinterpret_cast<__m128i *>(row + x);
        _mm_storeu_si128(out, _mm_unpacklo_epi16(bbLow, b0Low));
        _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(bbLow, b0Low));
        _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(bbHigh, b0High));
        _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(bbHigh, b0High));
    }
#endif
    for (; x < columns; ++x)
        row[x] = levels[x] * ShadeDark;
    std::fill(row + columns, row + width, ShadeWhite);
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
    const OrderedPattern pattern;
    ByteGrid out = SameSize(greys);
    for (int y = 0; y < greys.height; ++y)
        pattern.row(greys.values.data() + std::size_t(y) * greys.width,
                    out.values.data() + std::size_t(y) * greys.width, greys.width, y);
    return out;
}

ByteGrid DiffusedLevels(const ByteGrid &greys)
{
    ByteGrid out = SameSize(greys);
    if (greys.height == 0)
        return out;
    const std::size_t w = std::size_t(greys.width);
    Diffuser diffuser(greys.width);
    diffuser.start(greys.values.data());
    std::vector<std::uint8_t> next(w + 2); // a row with its guards
    for (int y = 0; y < greys.height; ++y) {
        const bool last = y + 1 == greys.height;
        if (!last)
            std::copy_n(greys.values.data() + (y + 1) * w, w, next.data() + 1);
        diffuser.row(last ? nullptr : next.data() + 1, out.values.data() + y * w);
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
    const int columns = std::clamp(contentWidth, 0, picture.width());
    if (options.shade == ShadeMode::Palette) {
        const ByteGrid levels =
            PaletteLevels(picture, columns, fileName, options.black, options.white);
        for (int y = 0; y < picture.height(); ++y)
            WriteShades(picture.row(y), levels.values.data() + std::size_t(y) * levels.width,
                        columns, picture.width());
        return;
    }
    // The picture's grey bytes, then their levels in their place, then the
    // shades: a picture whose rows follow each other with no padding goes
    // through the grey and shade steps in one run each, not row by row.
    const bool levelled = options.levelsChanged();
    const std::array<std::uint8_t, 256> levelOf =
        levelled ? LevelTable(options.black, options.white) : std::array<std::uint8_t, 256>{};
    const int height = picture.height();
    const bool whole = columns == picture.width();
    const std::size_t count = std::size_t(columns) * std::size_t(height);
    // One byte more for the diffusion, which reads one past the row below.
    const auto levels = std::make_unique_for_overwrite<std::uint8_t[]>(count + 1);
    levels[count] = 0;
    const auto rowOf = [&](int y) { return levels.get() + std::size_t(y) * std::size_t(columns); };
    if (whole)
        GreyRun(picture.row(0), levels.get(), count);
    else
        for (int y = 0; y < height; ++y)
            GreyRun(picture.row(y), rowOf(y), std::size_t(columns));
    switch (options.shade) {
    case ShadeMode::Ordered: {
        const OrderedPattern pattern(options.black, options.white);
        for (int y = 0; y < height; ++y)
            pattern.row(rowOf(y), rowOf(y), columns, y);
        break;
    }
    case ShadeMode::Diffuse: {
        // Each row's levels take the place of its greys once the row above
        // has read them.
        Diffuser diffuser(columns, levelled ? &levelOf : nullptr);
        diffuser.start(rowOf(0));
        for (int y = 0; y < height; ++y)
            diffuser.row(y + 1 < height ? rowOf(y + 1) : nullptr, rowOf(y));
        break;
    }
    default:
        for (std::size_t i = 0; i < count; ++i)
            levels[i] = std::uint8_t(ThresholdLevel(levelOf[levels[i]]));
        break;
    }
    if (whole)
        WriteShades(picture.row(0), levels.get(), int(count), int(count));
    else
        for (int y = 0; y < height; ++y)
            WriteShades(picture.row(y), rowOf(y), columns, picture.width());
}

} // namespace bitvane
