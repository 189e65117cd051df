// The message boxes behind the seam's questions, built apart from showing them so that their
// buttons can be checked without opening one.
#pragma once

#include "app/dialogseam.h"

#include <memory>

namespace bitvane {

// Each builder gives the box ready for exec(); the matching function reads
// the answer from the button it was closed with (Escape and the close box
// count as the box's escape button).
std::unique_ptr<QMessageBox> NamesQuestionBox(QWidget *parent, const QString &text,
                                              const QString &title);
DialogSeam::NamesAnswer NamesAnswerOf(const QMessageBox &box);

std::unique_ptr<QMessageBox> DiscardQuestionBox(QWidget *parent, const QString &text,
                                                const QString &title);
bool DiscardChosen(const QMessageBox &box);

std::unique_ptr<QMessageBox> CompletedBox(QWidget *parent, const QString &text,
                                          const QString &title);
DialogSeam::CompletedAnswer CompletedAnswerOf(const QMessageBox &box);

} // namespace bitvane
