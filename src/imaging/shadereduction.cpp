// Shade reduction: any colour to the nearest of the four shades by weighted grey.
#include "imaging/shadereduction.h"

#include "imaging/pixelpass.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bitvane {

namespace {

// The rule as written: grey level u = green * 0.59 + red * 0.30 + blue * 0.11
// in double precision, rounded half to even, snapped. Rounding then snapping
// is comparing u with the midpoints between the levels: 42.5 rounds down to
// 42 (black), 127.5 up to 128 (light), 212.5 down to 212 (light).
ColorValue ReduceExactly(ColorValue v)
{
    const double blue = (v >> 16) & 0xFF;
    const double green = (v >> 8) & 0xFF;
    const double red = v & 0xFF;
    const double u = green * 0.59 + red * 0.30 + blue * 0.11;
    const int level = (u > 42.5) + (u >= 127.5) + (u > 212.5);
    return level * ShadeDark;
}

// In hundredths u is the whole number s = 59 green + 30 red + 11 blue, and
// the rounding errors of the double sum are far below 1/100, so s decides
// alone unless it lies exactly on a boundary; there the double sum does.
constexpr int Boundary1 = 4250, Boundary2 = 12750, Boundary3 = 21250;

ColorValue ReducePixel(ColorValue v)
{
    const int s = detail::GreyHundredths(v);
    if (s == Boundary1 || s == Boundary2 || s == Boundary3)
        return ReduceExactly(v);
    return ((s > Boundary1) + (s > Boundary2) + (s > Boundary3)) * ShadeDark;
}

void ReduceRun(const ColorValue *in, ColorValue *out, std::size_t n)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i b1 = _mm_set1_epi32(Boundary1), b2 = _mm_set1_epi32(Boundary2),
                  b3 = _mm_set1_epi32(Boundary3);
    const __m128i dark = _mm_set1_epi32(ShadeDark);
    for (; i + 4 <= n; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
        const __m128i s = detail::GreyHundredths(v);
        const __m128i onBoundary = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi32(s, b1), _mm_cmpeq_epi32(s, b2)), _mm_cmpeq_epi32(s, b3));
        const __m128i result =
            _mm_add_epi32(_mm_add_epi32(_mm_and_si128(_mm_cmpgt_epi32(s, b1), dark),
                                        _mm_and_si128(_mm_cmpgt_epi32(s, b2), dark)),
                          _mm_and_si128(_mm_cmpgt_epi32(s, b3), dark));
        if (_mm_movemask_epi8(onBoundary) != 0) {
            for (std::size_t k = i; k < i + 4; ++k)
                out[k] = ReducePixel(in[k]);
            continue;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), result);
    }
#endif
    for (; i < n; ++i)
        out[i] = ReducePixel(in[i]);
}

} // namespace

void ReduceToShades(PictureSurface &dst, const PictureSurface &src)
{
    detail::CheckColorValues(src);
    detail::RunRowPass(dst, src, ReduceRun);
}

} // namespace bitvane
