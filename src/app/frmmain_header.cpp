// frmMain's way back from a header: its pictures extracted into a folder and opened as a project.
#include "app/frmmain.h"

#include "app/filelistmodel.h"
#include "app/frmmain_ui.h"

#include "compiler/extractpictures.h"
#include "compiler/headerreader.h"
#include "error.h"
#include "project/project.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>

namespace bitvane {

namespace {

// More warning lines would make the box taller than the screen.
constexpr std::size_t MostWarningsShown = 12;

QString WarningsText(const QString &headerPath, const Extraction &extraction)
{
    const std::vector<HeaderWarning> &warnings = extraction.warnings;
    QStringList lines;
    for (std::size_t i = 0; i < warnings.size() && i < MostWarningsShown; ++i)
        lines << QStringLiteral("%1:%2: warning: %3")
                     .arg(headerPath)
                     .arg(warnings[i].line)
                     .arg(warnings[i].text);
    const std::size_t total = warnings.size() + extraction.warningsLeftOut;
    if (total > MostWarningsShown)
        lines << LeftOutText(total - MostWarningsShown);
    return QStringLiteral("Parts of the header that are no sprite arrays were passed over:\n") +
           lines.join(u'\n');
}

} // namespace

bool IsHeaderPath(const QString &path)
{
    return path.trimmed().endsWith(QStringLiteral(".h"), Qt::CaseInsensitive);
}

bool frmMain::OpenHeader(const QString &headerPath)
{
    // Also run from a queued drop, where nothing outside would catch.
    bool opened = false;
    runGuarded([&] {
        // Read first, so that a faulty header is told before a folder is asked for.
        HeaderContents contents = ReadHeaderFile(headerPath);
        if (contents.sprites.empty())
            throw Error(headerPath, QStringLiteral("holds no sprite array"));
        const std::optional<QString> folder = dialogs().chooseFolder(
            this,
            QStringLiteral("Folder for the pictures of %1").arg(QFileInfo(headerPath).fileName()));
        if (!folder)
            return;
        // Files already in the folder are never replaced from here: the user
        // is told which one and can choose another folder.
        const Extraction extraction =
            WriteExtraction(std::move(contents), headerPath, *folder, false);
        m_files->replace(EntriesFromProjectFile(extraction.projectPath));
        ui->optExistingProject->setChecked(true);
        ui->txtProjectFile->setText(extraction.projectPath);
        showPage(PageEditFiles);
        opened = true;
        if (!extraction.warnings.empty())
            dialogs().showMessage(this, WarningsText(headerPath, extraction), AppTitle,
                                  QMessageBox::Warning);
    });
    return opened;
}

} // namespace bitvane
