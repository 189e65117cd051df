// Names that would not compile, as the window shows them: signs on the picture list, the question
// at "Finish".
#pragma once

#include "project/pictureentry.h"

#include <QIcon>
#include <QSize>
#include <QString>

#include <span>

class QListWidget;

namespace bitvane {

// The size of the sign in both lists, small enough to keep rows one line high.
inline constexpr QSize NameSignSize(16, 16);

// The warning sign for a name that would not compile, or for one that would
// a blank of the same size, so that the names of a list stay aligned.
QIcon NameSign(bool failing);

// Gives each item of list (one per entry, in order) whose name would not
// compile the warning sign, with the reason as its tip.
void MarkNameProblems(QListWidget *list, std::span<const PictureEntry> entries);

// The text of the question asked at "Finish": every name that would not
// compile with its row and reason. Empty when every name compiles.
QString NamesQuestionText(std::span<const PictureEntry> entries);

} // namespace bitvane
