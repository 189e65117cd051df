// What a picture list is: the entries of a project file and the rule for
// adding a file dialog's selection to a list.
#pragma once

#include "project/identifiers.h"
#include "project/pictureentry.h"
#include "project/projectfile.h"

#include <QString>
#include <QStringList>

#include <span>
#include <vector>

namespace bitvane {

// The entries of the project file at path, in its order: each named by its
// record's name or else the base name of its location, with the record's
// settings and no image yet. A relative location is taken from the project
// file's folder, so that a project works from wherever it is opened.
// Throws Error naming the file and line; there is never a partial result.
std::vector<PictureEntry> EntriesFromProjectFile(const QString &path);

// The project file's record of an entry: its location as the project file
// gave it (or as chosen), and its name only when that is not the location's
// base name, so that a project nobody renamed keeps the three-field format.
ProjectRecord RecordOf(const PictureEntry &entry);

// A project file's settings with its entries, as EntriesFromProjectFile
// reads them.
struct ProjectContents {
    ProjectSettings settings;
    std::vector<PictureEntry> entries;
};

// The settings line and the entries of the project file at path; throws as
// EntriesFromProjectFile does, and for a settings line it refuses.
ProjectContents ReadProject(const QString &path);

// The location an entry's record holds in the project file at projectPath.
// Relative: the picture's path from the project file's folder, with forward
// slashes, unless the two share nothing but the root of the file system (or
// are on different drives): then it stays absolute. Otherwise the location
// as the project file gave it or as it was chosen; only a relative one that
// would not find the picture from projectPath's folder becomes absolute.
QString StoredLocation(const PictureEntry &entry, const QString &projectPath, bool relative);

// The entries' names, in order.
QStringList EntryNames(std::span<const PictureEntry> entries);
// What each entry writes under its name: a loaded one as its frames are, one
// not yet loaded as its record's options say, a sheet or an animated GIF's
// frames the names of its frames (frames=all: any NAME_<index>).
std::vector<NameUse> EntryNameUses(std::span<const PictureEntry> entries);
// What a loaded picture writes under its name.
NameUse NameUseOf(const LoadedSprite &sprite);

// Appends the files of a selection text to entries in the order chosen, each
// named by its base name with both settings at 0. The first file that cannot
// be added (it does not exist, or its name has no extension) ends the run:
// Error names it and the reason, and the files before it stay appended.
void AppendSelection(std::vector<PictureEntry> &entries, const QString &selection);

} // namespace bitvane
