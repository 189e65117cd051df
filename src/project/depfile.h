// Make-style dependency files for bitvane-compile -M: which files a header is made from.
#pragma once

#include "project/pictureentry.h"

#include <QByteArray>
#include <QString>

#include <span>

namespace bitvane {

// The rule "HEADER: PROJECT PICTURE..." followed by an empty rule for each
// picture, as compilers' -MD -MP write them, so that make neither misses a
// changed picture nor stops when a picture leaves the project and its file
// is deleted. The header is named as given, so that it is the very target
// of the user's rule; the project and the pictures by their absolute paths
// (a picture by the location the compile opened, already resolved against
// the project's folder; a relative one then leads from the working folder),
// so that the rule holds whichever folder the build tool reads it from
// (CMake runs the compile in one folder and reads the file in another).
// Names are in the file system's bytes, with blanks, '#' and '$' escaped
// for make; each picture is named once. Throws Error naming the file and
// the character for a name make cannot read whatever the escape (one
// holding ':', ';', '|', '%', '=', a TAB or a line break).
QByteArray MakeDepfileText(const QString &headerPath, const QString &projectPath,
                           std::span<const PictureEntry> entries);

} // namespace bitvane
