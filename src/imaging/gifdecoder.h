// DecodeGif: the first image of a GIF on its logical screen, through giflib.
#pragma once

#include "imaging/decodedpicture.h"

#include <QByteArrayView>
#include <QSize>
#include <QString>

namespace bitvane {

// Decodes the top-left keep of the GIF picture in data: the logical screen
// (the declared size) with the first image placed on it, decoded only as far
// as the kept rows need. The screen outside the image is transparent when
// the image has a transparent colour, else the background colour of the
// global table (black without one), as the generic reader drew it. Refused
// as damaged, as the GIF test suites expect: a pixel whose colour index is
// outside its colour table, an LZW minimum code size over 8, image data
// that ends before the kept rows. Throws Error naming the file.
DecodedPicture DecodeGif(QByteArrayView data, QSize keep, const QString &name,
                         DecodeBudget &budget);

} // namespace bitvane
