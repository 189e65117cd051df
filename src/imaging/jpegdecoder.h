// DecodeJpeg: baseline and progressive JPEG through libjpeg-turbo, only the kept corner.
#pragma once

#include "imaging/decodedpicture.h"
#include "imaging/fit.h"

#include <QByteArrayView>
#include <QSize>
#include <QString>

namespace bitvane {

// Decodes the top-left keep of the JPEG picture in data, with the settings
// the generic reader always used (accurate integer transform, smooth
// chroma upsampling), so the pixels are the same. Only the rows and columns
// kept are worked on: the columns are cropped a block wider than kept (the
// upsampling of the last kept column reads its neighbours), and the
// decoder is told the picture ends a few block rows after the last kept
// one, so that no scan of a progressive file is decoded further down.
// Throws Error naming the file when the picture is damaged or too large.
DecodedPicture DecodeJpeg(QByteArrayView data, QSize keep, const QString &name,
                          DecodeBudget &budget);

// The whole JPEG picture in data scaled for a sprite of the chosen width
// as it is decoded, row by row (the same pixels as ScalePicture on the
// decoded picture); source is set to the picture's size.
ScaledSprite ScaleJpeg(QByteArrayView data, int chosenWidth, const QString &name,
                       DecodeBudget &budget, QSize &source);

} // namespace bitvane
