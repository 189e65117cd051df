// FileKind: what a file that is not what was asked for is, in words, from its content.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace bitvane {

// What the bytes are, for the message when a file was given in the wrong
// place: "a PNG picture" (also BMP, GIF, JPEG), "a C header" (text opening
// with a C comment or a preprocessor line), "binary data" (a NUL byte or
// other control characters that no text holds), or empty for other text.
QString FileKind(QByteArrayView bytes);

// Whether FileKind finds text (a C header or other text).
bool IsTextKind(const QString &kind);

} // namespace bitvane
