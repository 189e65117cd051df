// The direct reader of plain uncompressed 24-bit BMP files.
#pragma once

#include "imaging/surface.h"

#include <QByteArrayView>
#include <QSize>
#include <QString>

#include <optional>

namespace bitvane {

// The most common sprite file, an uncompressed 24-bit BMP with the plain
// 40-byte header, is read here directly: through the generic reader it
// costs more than all the rest of the loading together. Only the pixels
// within keep (from the top-left corner) are taken. The rules follow the
// generic reader's exactly: rows bottom-up unless the height is negative,
// the pixel data at the header's offset unless that points into the header,
// the stored bytes blue, green, red. Anything else answers nothing.
std::optional<PictureSurface> DecodePlainBmp(QByteArrayView d, QSize keep, const QString &name);

} // namespace bitvane
