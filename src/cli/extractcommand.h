// bitvane-compile --extract: a header back into pictures and a project.
#pragma once

#include <QString>

#include <cstdio>

namespace bitvane {

// Writes the sprite arrays of the header at headerPath as PNGs into folder,
// with the project file that compiles them back, all or none (a file there
// already only replaced with force). Each part of the header passed over is
// one "HEADER:LINE: warning: TEXT" line on err, and staging folders that
// interrupted runs had left in folder, removed after the success, one
// "FOLDER: note: ..." line; nothing goes to standard output. Throws Error, and then folder is as it
// was.
void ExtractCommand(std::FILE *err, const QString &headerPath, const QString &folder, bool force);

} // namespace bitvane
