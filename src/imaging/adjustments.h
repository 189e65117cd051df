// Brightness and contrast: the pixel passes and ApplyAdjustments, which applies an entry's
// settings.
#pragma once

#include "imaging/surface.h"

#include <cstdint>

namespace bitvane {

// Pixel passes from src to dst (they may be the same surface) over src's
// extent; each component is adjusted and snapped back to a grey level, so a
// four-shade image stays a four-shade image.
//
// A setting far outside the sliders' range (-255..255, -100..100) can make a
// component overflow 16 bits; the pass then throws Error naming the setting
// and its value, before it has written any pixel.
void ApplyBrightness(PictureSurface &dst, const PictureSurface &src, std::int16_t brightness);
void ApplyContrast(PictureSurface &dst, const PictureSurface &src, std::int16_t contrast);

// What the header holds for a picture with these settings: contrast first,
// then brightness. The compile and the preview both draw through this one
// function, so the preview shows the header's pixels. dst takes src's size
// (in place allowed); a setting at 0 is skipped, since either pass leaves a
// four-shade image as it is there.
void ApplyAdjustments(PictureSurface &dst, const PictureSurface &src, std::int16_t contrast,
                      std::int16_t brightness);

} // namespace bitvane
