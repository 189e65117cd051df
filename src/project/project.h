// What a picture list is: the entries of a project file and the rule for
// adding a file dialog's selection to a list.
#pragma once

#include "project/pictureentry.h"

#include <QString>

#include <vector>

namespace bitvane {

// The entries of the project file at path, in its order: each named by the
// base name of its location, with the record's settings and no image yet.
// Throws Error naming the file and line; there is never a partial result.
std::vector<PictureEntry> EntriesFromProjectFile(const QString &path);

// Appends the files of a selection text to entries in the order chosen, each
// named by its base name with both settings at 0. The first file that cannot
// be added (it does not exist, or its name has no extension) ends the run:
// Error names it and the reason, and the files before it stay appended.
void AppendSelection(std::vector<PictureEntry> &entries, const QString &selection);

} // namespace bitvane
