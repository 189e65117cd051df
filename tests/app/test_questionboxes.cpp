// The real question boxes, built but never shown: their buttons, default, Escape and answers.
#include "app/questionboxes.h"

#include <QAbstractButton>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

namespace bitvane::testing {
namespace {

QStringList captions(const QMessageBox &box)
{
    QStringList texts;
    for (QAbstractButton *button : box.buttons())
        texts << button->text().remove(u'&');
    texts.sort();
    return texts;
}

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

TEST(QuestionBoxes, ButtonsDefaultsEscapeAndAnswers)
{
    const auto names = NamesQuestionBox(nullptr, "text", "Bitvane");
    EXPECT_EQ(captions(*names), (QStringList{"Cancel", "Compile anyway", "Fix names"}));
    EXPECT_EQ(caption(names->defaultButton()), "Fix names");
    EXPECT_EQ(caption(names->escapeButton()), "Cancel");
    EXPECT_EQ(NamesAnswerOf(*names), DialogSeam::NamesAnswer::Cancel); // closed without a click

    const auto discard =
        DiscardQuestionBox(nullptr, "Discard the changes to this project?", "Bitvane");
    EXPECT_EQ(discard->text(), "Discard the changes to this project?");
    EXPECT_EQ(captions(*discard), (QStringList{"Cancel", "Discard"}));
    EXPECT_EQ(caption(discard->defaultButton()), "Cancel");
    EXPECT_EQ(caption(discard->escapeButton()), "Cancel");
    EXPECT_FALSE(DiscardChosen(*discard));

    const auto completed = CompletedBox(nullptr, "Compilation complete!", "Bitvane");
    EXPECT_EQ(completed->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(captions(*completed), (QStringList{"Keep editing", "OK"}));
    EXPECT_EQ(caption(completed->defaultButton()), "OK");
    EXPECT_EQ(caption(completed->escapeButton()), "OK");
    EXPECT_EQ(CompletedAnswerOf(*completed), DialogSeam::CompletedAnswer::Ok);
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
