#pragma once

#include "imaging/surface.h"

#include <cstdint>

namespace bitvane {

// Pixel passes from src to dst (they may be the same surface) over src's
// extent; each component is adjusted and snapped back to a grey level, so a
// four-shade image stays a four-shade image. The compile applies contrast,
// then brightness; the preview does the same so that it shows what the
// header will hold.
//
// A setting far outside the sliders' range (-255..255, -100..100) can make a
// component overflow 16 bits; the pass then throws Error naming the setting
// and its value, before it has written any pixel.
void ApplyBrightness(PictureSurface &dst, const PictureSurface &src, std::int16_t brightness);
void ApplyContrast(PictureSurface &dst, const PictureSurface &src, std::int16_t contrast);

} // namespace bitvane
