// ScriptedSeam: a dialog seam whose answers the widget tests queue beforehand, and the guard
// against real dialogs.
#pragma once

#include "app/dialogseam.h"
#include "testsupport.h"

#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

namespace bitvane::testing {

// A dialog seam whose answers the test queues beforehand and whose calls it
// reads afterwards. A dialog that was not expected fails the test.
class ScriptedSeam : public DialogSeam {
public:
    struct FileCall {
        QString title; // save dialogs only
        QString fileName;
        QString filter;
        bool multiSelect = false;
    };
    struct Message {
        QString text;
        QString title;
        QMessageBox::Icon icon;
    };

    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<bool> formatAnswers;
    std::deque<NamesAnswer> namesAnswers;
    std::deque<bool> discardAnswers; // true: "Discard"
    // The completion message is a message with a choice: "OK" unless one
    // is queued here.
    std::deque<CompletedAnswer> completedAnswers;

    std::vector<FileCall> opens;
    std::vector<FileCall> saves;
    std::vector<QString> folderTitles;
    std::vector<Message> messages;
    int formatCalls = 0;
    std::vector<QString> namesQuestions;
    std::vector<QString> discardQuestions;
    // Runs while a message box would be open.
    std::function<void(const Message &)> onMessage;
    // When set, answers the number-format question in place of
    // formatAnswers, e.g. through the real dialog.
    std::function<bool(QWidget *)> answerFormat;

    std::optional<QString> showOpen(QWidget *, const QString &fileName, const QString &filter,
                                    bool multiSelect) override
    {
        opens.push_back({QString(), fileName, filter, multiSelect});
        return take(openAnswers, std::nullopt, "open dialog: " + filter.toStdString());
    }

    std::optional<QString> showSave(QWidget *, const QString &title, const QString &fileName,
                                    const QString &filter) override
    {
        saves.push_back({title, fileName, filter, false});
        return take(saveAnswers, std::nullopt, "save dialog: " + filter.toStdString());
    }

    std::optional<QString> chooseFolder(QWidget *, const QString &title) override
    {
        folderTitles.push_back(title);
        return take(folderAnswers, std::nullopt, "folder dialog: " + title.toStdString());
    }

    void showMessage(QWidget *, const QString &text, const QString &title,
                     QMessageBox::Icon icon) override
    {
        messages.push_back({text, title, icon});
        if (onMessage)
            onMessage(messages.back());
    }

    bool hexOrBin(QWidget *parent) override
    {
        ++formatCalls;
        if (answerFormat)
            return answerFormat(parent);
        return take(formatAnswers, true, "format question");
    }

    NamesAnswer askAboutNames(QWidget *, const QString &text, const QString &) override
    {
        namesQuestions.push_back(text);
        return take(namesAnswers, NamesAnswer::Cancel, "question about names");
    }

    bool askDiscard(QWidget *, const QString &text, const QString &) override
    {
        discardQuestions.push_back(text);
        return take(discardAnswers, false, "question to discard changes");
    }

    CompletedAnswer showCompleted(QWidget *parent, const QString &text,
                                  const QString &title) override
    {
        showMessage(parent, text, title, QMessageBox::NoIcon);
        if (completedAnswers.empty())
            return CompletedAnswer::Ok;
        const CompletedAnswer answer = completedAnswers.front();
        completedAnswers.pop_front();
        return answer;
    }

private:
    // The next queued answer. A question nobody queued one for fails the
    // test and gets the cancel answer, so that the test goes on.
    template <typename T>
    static T take(std::deque<T> &answers, std::type_identity_t<T> cancel,
                  const std::string &question)
    {
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected " << question;
            return cancel;
        }
        const T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Watches every dialog window the widget tests show. A test that drives
// real dialogs on purpose holds an AllowRealDialogs meanwhile; any other
// real dialog (one that reached Qt past a scripted seam, or a window built
// without one) fails the test the moment it shows and is closed, and an
// allowed one still open after its time fails the test and is closed: no
// test waits for a click that never comes. app_main.cpp installs one on the
// application.
class RealDialogGuard : public QObject {
public:
    static constexpr int AllowedMilliseconds = 10000;
    static inline int allowed = 0;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (!dialog || !dialog->isWindow())
            return false;
        const std::string what = std::string(dialog->metaObject()->className()) + " \"" +
                                 dialog->windowTitle().toStdString() + "\"";
        // A dialog shown again (frmFormat asks more than once) starts afresh.
        const int shown = dialog->property("bitvaneTimesShown").toInt() + 1;
        dialog->setProperty("bitvaneTimesShown", shown);
        const QPointer<QDialog> open(dialog);
        const auto close = [open, shown] {
            const bool stillOpen =
                open && open->isVisible() && open->property("bitvaneTimesShown").toInt() == shown;
            if (stillOpen)
                open->done(QDialog::Rejected);
            return stillOpen;
        };
        if (allowed == 0) {
            ADD_FAILURE() << "a real " << what << " opened where the test scripted no answer";
            QTimer::singleShot(0, dialog, close);
        } else {
            QTimer::singleShot(AllowedMilliseconds, dialog, [close, what] {
                if (close())
                    ADD_FAILURE() << "the real " << what << " was still open after "
                                  << AllowedMilliseconds / 1000 << " s";
            });
        }
        return false;
    }
};

// While one lives, real dialogs may open (each for a limited time).
struct AllowRealDialogs {
    AllowRealDialogs() { ++RealDialogGuard::allowed; }
    ~AllowRealDialogs() { --RealDialogGuard::allowed; }
    AllowRealDialogs(const AllowRealDialogs &) = delete;
    AllowRealDialogs &operator=(const AllowRealDialogs &) = delete;
};

} // namespace bitvane::testing
