// Brightness and contrast passes, and the one order the compile and the preview apply them in.
#include "imaging/adjustments.h"

#include "error.h"
#include "imaging/pixelpass.h"

#include <array>
#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bitvane {

namespace {

using Int16 = std::numeric_limits<std::int16_t>;

// SnapToShade of every byte, worked out once.
std::uint8_t Snap(std::int16_t v)
{
    static const auto table = [] {
        std::array<std::uint8_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[std::size_t(b)] = SnapToShade(std::uint8_t(b));
        return t;
    }();
    return table[ClampToByte(v)];
}

// Rounds half to even as nearbyint does under the default rounding mode:
// adding and taking away 1.5 * 2^52 leaves no fraction bits, and the
// hardware rounds that sum to even. Exact for |v| < 2^51; the callers
// never ask beyond.
double RoundHalfEven(double v)
{
    constexpr double shift = 6755399441055744.0;
    volatile double sum = v + shift;
    return sum - shift;
}

// Both adjustments change each component on its own, and what they give is a
// grey level that never falls as the component rises (a sum, or a stretch
// by a factor of at least 0, then clamp and snap). So a pass is three
// thresholds: a component c becomes 85 times the number of thresholds it
// reaches. A threshold of 256 is never reached.
struct Steps {
    int threshold[3] = {256, 256, 256};
    // Components whose arithmetic leaves the 16-bit range: the pass fails
    // if the picture has one.
    bool overflows[256] = {};
    bool anyOverflow = false;
};

// levels[c]: the new component for c, one of 0, 85, 170, 255.
void SetThresholds(Steps &steps, const std::uint8_t (&levels)[256])
{
    for (int k = 0; k < 3; ++k) {
        int c = 0;
        while (c < 256 && levels[c] < 85 * (k + 1))
            ++c;
        steps.threshold[k] = c;
    }
}

std::uint8_t StepComponent(const Steps &steps, int c)
{
    return std::uint8_t(
        85 * ((c >= steps.threshold[0]) + (c >= steps.threshold[1]) + (c >= steps.threshold[2])));
}

ColorValue StepPixel(const Steps &steps, ColorValue v)
{
    return PackColor({StepComponent(steps, (v >> 16) & 0xFF), StepComponent(steps, (v >> 8) & 0xFF),
                      StepComponent(steps, v & 0xFF)});
}

void StepRun(const Steps &steps, const ColorValue *in, ColorValue *out, std::size_t n)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    // Byte by byte: c reaches t when max(c, t) == c; each threshold reached
    // adds 85. The fourth byte of every pixel is cleared at the end.
    __m128i limit[3], step[3];
    for (int k = 0; k < 3; ++k) {
        limit[k] = _mm_set1_epi8(char(std::min(steps.threshold[k], 255)));
        step[k] = _mm_set1_epi8(char(steps.threshold[k] <= 255 ? 85 : 0));
    }
    const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
    for (; i + 4 <= n; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
        __m128i sum = _mm_setzero_si128();
        for (int k = 0; k < 3; ++k) {
            const __m128i reached = _mm_cmpeq_epi8(_mm_max_epu8(v, limit[k]), v);
            sum = _mm_add_epi8(sum, _mm_and_si128(reached, step[k]));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_and_si128(sum, colour));
    }
#endif
    for (; i < n; ++i)
        out[i] = StepPixel(steps, in[i]);
}

// The setting overflows only if a component of the picture runs out of
// range, so the picture decides; it is checked whole before anything is
// written.
void CheckOverflow(const Steps &steps, const PictureSurface &src, const char *setting, int value)
{
    if (!steps.anyOverflow)
        return;
    for (int y = 0; y < src.height(); ++y) {
        const ColorValue *in = src.row(y);
        for (int x = 0; x < src.width(); ++x) {
            const ColorValue v = in[x];
            for (int c : {(v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF}) {
                if (steps.overflows[c])
                    throw Error(QStringLiteral("%1 %2 is out of range: it takes colour component "
                                               "%3 beyond 16 bits")
                                    .arg(QLatin1String(setting))
                                    .arg(value)
                                    .arg(c));
            }
        }
    }
}

void Run(PictureSurface &dst, const PictureSurface &src, const Steps &steps, const char *setting,
         int value)
{
    detail::CheckColorValues(src);
    CheckOverflow(steps, src, setting, value);
    detail::RunRowPass(dst, src, [&steps](const ColorValue *in, ColorValue *out, std::size_t n) {
        StepRun(steps, in, out, n);
    });
}

} // namespace

void ApplyBrightness(PictureSurface &dst, const PictureSurface &src, std::int16_t brightness)
{
    Steps steps;
    std::uint8_t levels[256];
    for (int c = 0; c < 256; ++c) {
        const int s = c + brightness;
        if (s > Int16::max()) {
            // Clamping would give white; keeping it keeps the levels rising.
            steps.overflows[c] = steps.anyOverflow = true;
            levels[c] = 255;
            continue;
        }
        levels[c] = Snap(static_cast<std::int16_t>(s));
    }
    SetThresholds(steps, levels);
    Run(dst, src, steps, "brightness", brightness);
}

void ApplyContrast(PictureSurface &dst, const PictureSurface &src, std::int16_t contrast)
{
    const double base = (contrast + 100) / 100.0;
    const double factor = base * base;
    Steps steps;
    std::uint8_t levels[256];
    for (int c = 0; c < 256; ++c) {
        const double t = ((c / 255.0 - 0.5) * factor + 0.5) * 255.0;
        const double n = std::fabs(t) < 65536.0 ? RoundHalfEven(t) : t;
        if (!(n >= Int16::min() && n <= Int16::max())) {
            steps.overflows[c] = steps.anyOverflow = true;
            levels[c] = n < 0 ? 0 : 255;
            continue;
        }
        levels[c] = Snap(static_cast<std::int16_t>(n));
    }
    SetThresholds(steps, levels);
    Run(dst, src, steps, "contrast", contrast);
}

void ApplyAdjustments(PictureSurface &dst, const PictureSurface &src, std::int16_t contrast,
                      std::int16_t brightness)
{
    if (&dst != &src) {
        if (contrast == 0 && brightness == 0) {
            dst = src;
            return;
        }
        dst.resize(src.width(), src.height());
    }
    const PictureSurface *from = &src;
    if (contrast != 0) {
        ApplyContrast(dst, *from, contrast);
        from = &dst;
    }
    if (brightness != 0)
        ApplyBrightness(dst, *from, brightness);
}

} // namespace bitvane
