#pragma once

#include "app/dialogseam.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <ostream>
#include <vector>

// Readable QStrings in failure messages.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace bitvane::testing {

// A dialog seam whose answers the test queues beforehand and whose calls it
// reads afterwards. A dialog that was not expected fails the test.
class ScriptedSeam : public DialogSeam {
public:
    struct FileCall {
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
    std::deque<bool> formatAnswers;

    std::vector<FileCall> opens;
    std::vector<FileCall> saves;
    std::vector<Message> messages;
    int formatCalls = 0;
    // Runs while a message box would be open.
    std::function<void(const Message &)> onMessage;

    std::optional<QString> showOpen(QWidget *, const QString &fileName, const QString &filter,
                                    bool multiSelect) override
    {
        opens.push_back({fileName, filter, multiSelect});
        if (openAnswers.empty()) {
            ADD_FAILURE() << "unexpected open dialog: " << filter.toStdString();
            return std::nullopt;
        }
        auto answer = openAnswers.front();
        openAnswers.pop_front();
        return answer;
    }

    std::optional<QString> showSave(QWidget *, const QString &fileName,
                                    const QString &filter) override
    {
        saves.push_back({fileName, filter, false});
        if (saveAnswers.empty()) {
            ADD_FAILURE() << "unexpected save dialog: " << filter.toStdString();
            return std::nullopt;
        }
        auto answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }

    void showMessage(QWidget *, const QString &text, const QString &title,
                     QMessageBox::Icon icon) override
    {
        messages.push_back({text, title, icon});
        if (onMessage)
            onMessage(messages.back());
    }

    bool hexOrBin(QWidget *) override
    {
        ++formatCalls;
        if (formatAnswers.empty())
            return true;
        const bool hex = formatAnswers.front();
        formatAnswers.pop_front();
        return hex;
    }
};

} // namespace bitvane::testing
