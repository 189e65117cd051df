// What the pixel passes share: the walk over the source's extent (in place allowed) and the grey
// sum in hundredths.
#pragma once

#include "imaging/colormodel.h"
#include "imaging/surface.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bitvane::detail {

// A negative value is what a read outside a surface answers; no pixel can
// hold one, and a pass that met one would fail in SplitColor. Checking the
// whole source first lets a pass fail before it has written anything.
inline void CheckColorValues(const PictureSurface &src)
{
    if (src.isEmpty())
        return;
    // The rows lie one after the other.
    const ColorValue *p = src.row(0);
    const std::size_t n = std::size_t(src.width()) * std::size_t(src.height());
    std::size_t i = 0;
    ColorValue any = 0;
#if defined(__SSE2__)
    __m128i acc = _mm_setzero_si128();
    for (; i + 4 <= n; i += 4)
        acc = _mm_or_si128(acc, _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i)));
    any = _mm_movemask_ps(_mm_castsi128_ps(acc)) != 0 ? -1 : 0;
#endif
    for (; i < n; ++i)
        any |= p[i];
    if (any >= 0)
        return;
    for (i = 0; i < n; ++i)
        SplitColor(p[i]);
}

// The grey of a colour value in hundredths, s = 59 green + 30 red + 11 blue:
// the weighted sum of the grey rule, exact in whole numbers.
constexpr int GreyHundredths(ColorValue v)
{
    return 59 * ((v >> 8) & 0xFF) + 30 * (v & 0xFF) + 11 * ((v >> 16) & 0xFF);
}

#if defined(__SSE2__)
// The same for four colour values, one 32-bit lane each.
inline __m128i GreyHundredths(__m128i v)
{
    const __m128i lowBytes = _mm_set1_epi32(0x00FF00FF); // red, and blue in the upper half
    const __m128i redBlue = _mm_and_si128(v, lowBytes);
    const __m128i green = _mm_and_si128(_mm_srli_epi32(v, 8), _mm_set1_epi32(0xFF));
    return _mm_add_epi32(_mm_madd_epi16(redBlue, _mm_set1_epi32(11 << 16 | 30)),
                         _mm_mullo_epi16(green, _mm_set1_epi32(59)));
}
#endif

// Runs kernel(in, out, count) over every row of src's extent, mapping each
// pixel into dst at the same position. Each destination pixel depends only
// on the source pixel under it, so src and dst may be the same surface.
// Pixels outside dst are dropped, as a write outside a device context is;
// dst beyond src's extent keeps its pixels. Surfaces of equal width are one
// run of rows, so narrow sprites go through the kernel in one call.
template <class Kernel>
void RunRowPass(PictureSurface &dst, const PictureSurface &src, Kernel kernel)
{
    const int w = std::min(src.width(), dst.width());
    const int h = std::min(src.height(), dst.height());
    if (w <= 0 || h <= 0)
        return;
    if (src.width() == dst.width()) {
        kernel(src.row(0), dst.row(0), std::size_t(w) * std::size_t(h));
        return;
    }
    for (int y = 0; y < h; ++y)
        kernel(src.row(y), dst.row(y), std::size_t(w));
}

} // namespace bitvane::detail
