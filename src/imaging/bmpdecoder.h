// DecodeBmp: every kind of BMP file the program reads, without a library.
#pragma once

#include "imaging/decodedpicture.h"

#include <QByteArrayView>
#include <QSize>
#include <QString>

namespace bitvane {

// Decodes the top-left keep of the BMP picture in data: 1-, 4- and 8-bit
// palettes (run-length coded or not; an index past the palette is black),
// 16- and 32-bit pixels (5-5-5 and 8-8-8 unless bit masks say otherwise,
// a channel of n bits widened by shifting left), 24-bit pixels. Headers of
// 12, 40, 52, 56, 64, 108 and 124 bytes; the bit masks follow a 40-byte
// header and sit inside the 52- and 56-byte ones and the later versions.
// An alpha mask gives transparency. Throws Error naming the file when the
// picture is damaged, of a kind no reader takes, or too large.
DecodedPicture DecodeBmp(QByteArrayView data, QSize keep, const QString &name,
                         DecodeBudget &budget);

} // namespace bitvane
