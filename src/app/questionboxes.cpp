// The seam's question boxes: their buttons, defaults and Escape, and the answers they give.
#include "app/questionboxes.h"

#include <QPushButton>

namespace bitvane {

namespace {

std::unique_ptr<QMessageBox> plainBox(QMessageBox::Icon icon, QWidget *parent, const QString &text,
                                      const QString &title)
{
    auto box = std::make_unique<QMessageBox>(icon, title, displayText(text), QMessageBox::NoButton,
                                             parent);
    box->setTextFormat(Qt::PlainText);
    return box;
}

// The buttons are found again by their roles, which each box gives once.
bool closedWith(const QMessageBox &box, QMessageBox::ButtonRole role)
{
    QAbstractButton *clicked = box.clickedButton();
    return clicked && box.buttonRole(clicked) == role;
}

} // namespace

std::unique_ptr<QMessageBox> NamesQuestionBox(QWidget *parent, const QString &text,
                                              const QString &title)
{
    auto box = plainBox(QMessageBox::Warning, parent, text, title);
    QPushButton *fix = box->addButton(QStringLiteral("Fix names"), QMessageBox::AcceptRole);
    box->addButton(QStringLiteral("Compile anyway"), QMessageBox::DestructiveRole);
    box->setEscapeButton(box->addButton(QMessageBox::Cancel));
    box->setDefaultButton(fix);
    return box;
}

DialogSeam::NamesAnswer NamesAnswerOf(const QMessageBox &box)
{
    if (closedWith(box, QMessageBox::AcceptRole))
        return DialogSeam::NamesAnswer::FixNames;
    if (closedWith(box, QMessageBox::DestructiveRole))
        return DialogSeam::NamesAnswer::CompileAnyway;
    return DialogSeam::NamesAnswer::Cancel;
}

std::unique_ptr<QMessageBox> DiscardQuestionBox(QWidget *parent, const QString &text,
                                                const QString &title)
{
    auto box = plainBox(QMessageBox::Question, parent, text, title);
    box->addButton(QMessageBox::Discard);
    QPushButton *cancel = box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    return box;
}

bool DiscardChosen(const QMessageBox &box)
{
    return closedWith(box, QMessageBox::DestructiveRole);
}

std::unique_ptr<QMessageBox> CompletedBox(QWidget *parent, const QString &text,
                                          const QString &title)
{
    auto box = plainBox(QMessageBox::NoIcon, parent, text, title);
    // The places written can be copied.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPushButton *ok = box->addButton(QMessageBox::Ok);
    box->addButton(QStringLiteral("Keep editing"), QMessageBox::ActionRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    return box;
}

DialogSeam::CompletedAnswer CompletedAnswerOf(const QMessageBox &box)
{
    return closedWith(box, QMessageBox::ActionRole) ? DialogSeam::CompletedAnswer::KeepEditing
                                                    : DialogSeam::CompletedAnswer::Ok;
}

} // namespace bitvane
