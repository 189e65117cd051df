// Names that would not compile, as the window shows them: signs on the picture list, the question
// at "Finish".
#pragma once

#include "project/pictureentry.h"

#include <QString>

#include <span>

class QListWidget;

namespace bitvane {

// Gives each item of list (one per entry, in order) whose name would not
// compile the warning sign, with the reason as its tip.
void MarkNameProblems(QListWidget *list, std::span<const PictureEntry> entries);

// The text of the question asked at "Finish": every name that would not
// compile with its row and reason. Empty when every name compiles.
QString NamesQuestionText(std::span<const PictureEntry> entries);

} // namespace bitvane
