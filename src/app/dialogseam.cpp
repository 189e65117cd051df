// The dialog seam's real dialogs, and the filter and selection texts they share.
#include "app/dialogseam.h"

#include "app/frmformat.h"
#include "app/questionboxes.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

namespace bitvane {

namespace {

// The program keeps no settings. Qt's own file dialog would keep its history,
// last folder and view in the user's configuration folder and read them back
// at the next start; its settings are pointed at a place that can be neither
// read nor created, since on Unix /dev/null is never a folder.
void keepNoDialogSettings()
{
    static const bool done = [] {
        const QString nowhere = QStringLiteral("/dev/null/bitvane-keeps-no-settings");
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
                QSettings::setPath(format, scope, nowhere);
        return true;
    }();
    (void)done;
}

// Every file dialog starts in the working folder, whatever the last one saw.
void startInWorkingFolder(QFileDialog &dialog, const QString &fileName)
{
    dialog.setDirectory(QDir::currentPath());
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
}

} // namespace

QString toQtFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // "Bitvane Projects (*.bvp)" already shows its pattern; Qt would
        // show it twice.
        static const QRegularExpression shownPatterns(QStringLiteral("\\s*\\([^()]*\\*[^()]*\\)$"));
        description.remove(shownPatterns);
        const QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        entries << QStringLiteral("%1 (%2)").arg(description, patterns.join(u' ').trimmed());
    }
    return entries.join(QStringLiteral(";;"));
}

QString defaultSuffix(const QString &qtFilterEntry)
{
    static const QRegularExpression firstPattern(QStringLiteral("\\(\\s*\\*\\.([^\\s*?()]+)"));
    const QRegularExpressionMatch match = firstPattern.match(qtFilterEntry);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString selectionText(const QStringList &files)
{
    if (files.isEmpty())
        return QString();
    if (files.size() == 1)
        return files.front();
    const QDir folder = QFileInfo(files.front()).absoluteDir();
    QString text = folder.path();
    for (const QString &file : files)
        text += QChar(0) + folder.relativeFilePath(file);
    return text;
}

QString displayText(const QString &message)
{
    QString text = message;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QtDialogSeam::QtDialogSeam()
{
    keepNoDialogSettings();
}

std::optional<QString> QtDialogSeam::showOpen(QWidget *parent, const QString &fileName,
                                              const QString &filter, bool multiSelect)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setNameFilter(toQtFilter(filter));
    startInWorkingFolder(dialog, fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return selectionText(dialog.selectedFiles());
}

std::optional<QString> QtDialogSeam::showSave(QWidget *parent, const QString &title,
                                              const QString &fileName, const QString &filter)
{
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString qtFilter = toQtFilter(filter);
    dialog.setNameFilter(qtFilter);
    dialog.setDefaultSuffix(defaultSuffix(qtFilter.section(QStringLiteral(";;"), 0, 0)));
    // The suffix follows the filter the user picks.
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString &entry) { dialog.setDefaultSuffix(defaultSuffix(entry)); });
    startInWorkingFolder(dialog, fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

std::optional<QString> QtDialogSeam::chooseFolder(QWidget *parent, const QString &title)
{
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    startInWorkingFolder(dialog, QString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

void QtDialogSeam::showMessage(QWidget *parent, const QString &text, const QString &title,
                               QMessageBox::Icon icon)
{
    QMessageBox box(icon, title, displayText(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    // The web addresses of the about text can be copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

bool QtDialogSeam::hexOrBin(QWidget *parent)
{
    frmFormat dialog(parent);
    return dialog.HexOrBin();
}

DialogSeam::NamesAnswer QtDialogSeam::askAboutNames(QWidget *parent, const QString &text,
                                                    const QString &title)
{
    const auto box = NamesQuestionBox(parent, text, title);
    box->exec();
    return NamesAnswerOf(*box);
}

bool QtDialogSeam::askDiscard(QWidget *parent, const QString &text, const QString &title)
{
    const auto box = DiscardQuestionBox(parent, text, title);
    box->exec();
    return DiscardChosen(*box);
}

DialogSeam::CompletedAnswer QtDialogSeam::showCompleted(QWidget *parent, const QString &text,
                                                        const QString &title)
{
    const auto box = CompletedBox(parent, text, title);
    box->exec();
    return CompletedAnswerOf(*box);
}

} // namespace bitvane
