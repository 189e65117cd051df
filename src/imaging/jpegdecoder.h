// DecodeJpeg: baseline and progressive JPEG through libjpeg-turbo, only the kept corner.
#pragma once

#include "imaging/decodedpicture.h"
#include "imaging/fit.h"

#include <QByteArrayView>
#include <QSize>
#include <QString>

#include <functional>

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

// Whether a JPEG file starting with head (enough of it to hold the frame
// header) is taller than the rows DecodeJpeg decodes for keep: then the rest
// of the file need not all be read.
bool JpegDecodesPart(QByteArrayView head, QSize keep);

// Reads up to room more bytes of a file into into; 0 at its end.
using JpegMore = std::function<qsizetype(char *into, qsizetype room)>;

// As DecodeJpeg, for a file of which only head is read yet: more reads the
// rest only as far as the decoder needs it. A file that ends before the
// decoded rows do is refused as truncated; whatever follows them is never
// read, nor checked.
DecodedPicture DecodeJpegHead(QByteArrayView head, const JpegMore &more, QSize keep,
                              const QString &name, DecodeBudget &budget);

// The whole JPEG picture in data scaled for a sprite of the chosen width
// as it is decoded, row by row (the same pixels as ScalePicture on the
// decoded picture); source is set to the picture's size.
ScaledSprite ScaleJpeg(QByteArrayView data, int chosenWidth, const QString &name,
                       DecodeBudget &budget, QSize &source);

} // namespace bitvane
