// Surfaces and masks to and from QImage: the window's side of the pictures,
// in a library of its own so that bitvane-compile links no QtGui.
#pragma once

#include "imaging/fit.h"
#include "imaging/spritemask.h"
#include "imaging/surface.h"

#include <QImage>

namespace bitvane {

// A colour value as Qt's opaque RGB, for display.
constexpr QRgb ToQRgb(ColorValue v)
{
    return qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

// Opaque pixels keep their exact 24-bit colour; transparent and
// half-transparent ones are composited over white, as a picture on a white
// box shows them.
PictureSurface SurfaceFromImage(const QImage &image);

// For display: an RGB32 image of the same size and colours.
QImage ImageFromSurface(const PictureSurface &surface);

// MaskFromAlpha of an image of any format (one without alpha draws every
// column of its own).
SpriteMask MaskFromAlpha(const QImage &picture);

// ScalePicture of an image of any format, as if the decoders had given it.
ScaledSprite ScaleImage(const QImage &image, int chosenWidth);

} // namespace bitvane
