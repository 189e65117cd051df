// MakeSpriteArray and BinToHex: a four-shade picture as one array line of the header.
#pragma once

#include "imaging/surface.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <vector>

namespace bitvane {

// "static unsigned char ", "... short " or "... long " for a width of 8,
// 16 or 32; null for any other width.
const char *ClassicPrefix(int width);

// One row of one bit plane: its digits as the low bits of value, and how
// many there are (fewer than the width when a pixel is none of the shades).
struct PlaneRow {
    std::uint32_t value = 0;
    int count = 0;
};

// The two planes of a picture 8, 16 or 32 pixels wide, one entry per row,
// read as MakeSpriteArray reads them. Other widths give no rows.
void ScanPlanes(const PictureSurface &picture, std::vector<PlaneRow> &low,
                std::vector<PlaneRow> &high);

// One line of C (without its line ending): "PREFIX NAME[N] = {rows};",
// the rows written as MakeSpriteArray writes a plane's (a classic mask).
QByteArray MakeRowsArray(const char *prefix, QByteArrayView name, const std::vector<PlaneRow> &rows,
                         bool hex);

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
