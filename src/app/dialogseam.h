// DialogSeam: every modal question the window asks, and the real dialogs behind it.
#pragma once

#include <QMessageBox>
#include <QString>

#include <optional>

class QWidget;

namespace bitvane {

// Everything modal the window asks of the user goes through this seam, so
// that widget tests script the answers and never wait on a real dialog.
// frmMain owns one; tests hand it a scripted one.
class DialogSeam {
public:
    // The answers to the question about names that would not compile.
    enum class NamesAnswer { FixNames, CompileAnyway, Cancel };
    // The answers to the message that a compile is complete.
    enum class CompletedAnswer { Ok, KeepEditing };

    virtual ~DialogSeam() = default;

    // Open-file dialog. filter is in the "Description|*.a;*.b" form (pairs
    // separated by '|'). The answer is the selection text: one full path, or
    // the folder followed by each name after a NUL character. nullopt when
    // the user cancels.
    virtual std::optional<QString> showOpen(QWidget *parent, const QString &fileName,
                                            const QString &filter, bool multiSelect) = 0;

    // Save-file dialog titled title: asks before replacing a file, adds the
    // filter's extension to a name typed without one. nullopt when the user
    // cancels.
    virtual std::optional<QString> showSave(QWidget *parent, const QString &title,
                                            const QString &fileName, const QString &filter) = 0;

    // A folder dialog (a new folder can be made in it): the folder chosen, or
    // nullopt when the user cancels.
    virtual std::optional<QString> chooseFolder(QWidget *parent, const QString &title) = 0;

    // A message box with an OK button only; returns when it is closed.
    virtual void showMessage(QWidget *parent, const QString &text, const QString &title,
                             QMessageBox::Icon icon) = 0;

    // The number-format dialog: true for hexadecimal, false for binary.
    virtual bool hexOrBin(QWidget *parent) = 0;

    // A warning listing names that would not compile, with the buttons "Fix
    // names" (the default), "Compile anyway" and "Cancel" (also Escape, or
    // closing it).
    virtual NamesAnswer askAboutNames(QWidget *parent, const QString &text,
                                      const QString &title) = 0;

    // A question with the buttons "Discard" and "Cancel", Cancel the default
    // and Escape's; true for Discard.
    virtual bool askDiscard(QWidget *parent, const QString &text, const QString &title) = 0;

    // The message that a compile is complete, without icon, with "OK" (the
    // default, also Escape's) and "Keep editing".
    virtual CompletedAnswer showCompleted(QWidget *parent, const QString &text,
                                          const QString &title) = 0;
};

// Translates a filter of "Description|*.a;*.b" pairs to Qt's
// "Description (*.a *.b)" entries joined by ";;". A description that already
// shows its patterns in parentheses keeps only the translated list.
QString toQtFilter(const QString &filter);

// The extension (without the dot) that the first pattern of the Qt filter
// entry names, or empty for a pattern like "*" or "*.*".
QString defaultSuffix(const QString &qtFilterEntry);

// The selection text for the files an open dialog returned: one file gives
// its full path; several give their folder, then each name after a NUL.
QString selectionText(const QStringList &files);

// Turns a message's CR LF line breaks and lone CRs into the newlines a Qt
// label breaks lines at.
QString displayText(const QString &message);

// The real dialogs.
class QtDialogSeam : public DialogSeam {
public:
    // Also stops Qt's file dialog from keeping settings (see dialogseam.cpp).
    QtDialogSeam();
    std::optional<QString> showOpen(QWidget *parent, const QString &fileName, const QString &filter,
                                    bool multiSelect) override;
    std::optional<QString> showSave(QWidget *parent, const QString &title, const QString &fileName,
                                    const QString &filter) override;
    std::optional<QString> chooseFolder(QWidget *parent, const QString &title) override;
    void showMessage(QWidget *parent, const QString &text, const QString &title,
                     QMessageBox::Icon icon) override;
    bool hexOrBin(QWidget *parent) override;
    NamesAnswer askAboutNames(QWidget *parent, const QString &text, const QString &title) override;
    bool askDiscard(QWidget *parent, const QString &text, const QString &title) override;
    CompletedAnswer showCompleted(QWidget *parent, const QString &text,
                                  const QString &title) override;
};

} // namespace bitvane
