// MakeSpriteArray and BinToHex: a four-shade picture as one array line of the header.
#pragma once

#include "imaging/surface.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace bitvane {

// One line of C (without its line ending) declaring the picture as an array
// of two bit planes, low plane rows then high plane rows, in hexadecimal
// ("0x", no leading zeros) or binary ("0b", every digit). The element type
// follows the width: 8 char, 16 short, 32 long; any other width gives the
// empty text. The name is written verbatim, in UTF-8. A pixel that is none of
// the four shades adds no digit to its row.
QByteArray MakeSpriteArray(const PictureSurface &picture, const QString &name, bool hex);

// Binary digits, most significant first, to lowercase hexadecimal digits
// without leading zeros; the empty text and zero give "0". Exact for any
// length. Throws Error for a character other than '0' or '1'.
QByteArray BinToHex(QByteArrayView digits);

} // namespace bitvane
