// DecodePng: PNG through libpng row by row, only the kept rows.
#pragma once

#include "imaging/decodedpicture.h"

#include <QByteArrayView>
#include <QSize>
#include <QString>

namespace bitvane {

// Decodes the top-left keep of the PNG picture in data: rows are inflated
// one at a time and decoding stops after the last kept one (an interlaced
// picture, whose passes each cover the whole height, is read to its end but
// only the kept rows are held). Palette, grey and 1- to 16-bit samples come
// out as 8-bit colour (16-bit rounded), a transparent colour or alpha as
// transparency; no gamma or colour profile is applied. Throws Error naming
// the file when the picture is damaged or too large.
DecodedPicture DecodePng(QByteArrayView data, QSize keep, const QString &name,
                         DecodeBudget &budget);

} // namespace bitvane
