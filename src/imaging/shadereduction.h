// ReduceToShades: any colour to the four shades.
#pragma once

#include "imaging/surface.h"

namespace bitvane {

// Pixel pass from src to dst (they may be the same surface) over src's
// extent: each pixel becomes the palette shade nearest to its grey level
// u = green * 0.59 + red * 0.30 + blue * 0.11 (rounded half to even, then
// snapped). Pixels of dst beyond src's extent keep what they held.
void ReduceToShades(PictureSurface &dst, const PictureSurface &src);

} // namespace bitvane
