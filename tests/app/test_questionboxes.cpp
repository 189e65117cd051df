// The real question boxes, built but never shown: their buttons, default, Escape and answers.
#include "app/questionboxes.h"

#include <QAbstractButton>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

namespace bitvane::testing {
namespace {

QString caption(const QAbstractButton *button)
{
    return button ? button->text().remove(u'&') : QString();
}

// The answer a box gives when closed with the button of this caption.
template <typename Answer>
Answer answerFor(QMessageBox &box, const QString &text,
                 const std::function<Answer(const QMessageBox &)> &answerOf)
{
    for (QAbstractButton *button : box.buttons())
        if (caption(button) == text) {
            // What exec() does for a click, without opening the box.
            QMetaObject::invokeMethod(&box, "_q_buttonClicked", Qt::DirectConnection,
                                      Q_ARG(QAbstractButton *, button));
            return answerOf(box);
        }
    ADD_FAILURE() << "no button " << text.toStdString();
    return {};
}

TEST(QuestionBoxes, EachButtonGivesItsAnswer)
{
    using Names = DialogSeam::NamesAnswer;
    const struct {
        const char *button;
        Names answer;
    } names[] = {{"Fix names", Names::FixNames},
                 {"Compile anyway", Names::CompileAnyway},
                 {"Cancel", Names::Cancel}};
    for (const auto &c : names) {
        const auto box = NamesQuestionBox(nullptr, "text", "Bitvane");
        EXPECT_EQ(answerFor<Names>(*box, c.button, NamesAnswerOf), c.answer) << c.button;
    }
    for (const bool discard : {true, false}) {
        const auto box = DiscardQuestionBox(nullptr, "text", "Bitvane");
        EXPECT_EQ(answerFor<bool>(*box, discard ? "Discard" : "Cancel", DiscardChosen), discard);
    }
    using Completed = DialogSeam::CompletedAnswer;
    for (const Completed answer : {Completed::Ok, Completed::KeepEditing}) {
        const auto box = CompletedBox(nullptr, "text", "Bitvane");
        EXPECT_EQ(answerFor<Completed>(*box, answer == Completed::Ok ? "OK" : "Keep editing",
                                       CompletedAnswerOf),
                  answer);
    }
}

} // namespace
} // namespace bitvane::testing
