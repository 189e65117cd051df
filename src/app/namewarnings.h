// Names that would not compile, as the window shows them: the sign of the picture lists, the
// question at "Finish".
#pragma once

#include "project/pictureentry.h"

#include <QIcon>
#include <QSize>
#include <QString>

#include <span>

namespace bitvane {

// The size of the sign in both lists, small enough to keep rows one line high.
inline constexpr QSize NameSignSize(16, 16);

// The warning sign for a name that would not compile (or a picture that did
// not load again), or for one that would a blank of the same size, so that
// the names of a list stay aligned.
QIcon NameSign(bool failing);

// The text of the question asked at "Finish": every name that would not
// compile with its row and reason. Empty when every name compiles.
QString NamesQuestionText(std::span<const PictureEntry> entries, bool modern = false);

} // namespace bitvane
