// Selection texts, default names taken from paths, and whether two paths are one file.
#pragma once

#include <QString>

#include <cstdint>

namespace bitvane {

// A selection text is what the open dialog answers: one full path, or a
// folder followed by file names, each name after a NUL character.
// Both '/' and '\' count as folder separators. Texts longer than 32767
// characters are refused with Error.

// The number of files in a selection text (at least 1).
std::int16_t GetFileCount(const QString &selection);

// The full path of file n (from 1) of a selection text. Throws Error for an
// index that finds no name.
QString GetFilePath(const QString &selection, std::int16_t n);

// The file name without folder and without its last extension:
// "/home/ann/art/ship.big.bmp" gives "ship.big", a bare "ship.bmp" "ship".
// Throws Error when a path with separators has no folder (the only one among
// the last two characters) or the file name no dot.
QString GetBaseName(const QString &path);

// Whether two names stand for one file: relative and absolute paths,
// symbolic and hard links are recognised, or a second save would replace
// the first.
bool SameFile(const QString &a, const QString &b);

} // namespace bitvane
