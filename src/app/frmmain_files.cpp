// frmMain's project and file list pages: choosing a project, adding and removing pictures.
#include "app/frmmain.h"

#include "app/filelistmodel.h"
#include "app/frmmain_ui.h"

#include "error.h"
#include "fileaccess.h"
#include "project/project.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTreeView>

namespace bitvane {

namespace {

const QString AppTitle = QStringLiteral("Bitvane");
const QString ProjectFilter = QStringLiteral("Bitvane Projects|*.bvp|Headers (*.h)|*.h");
const QString PictureFilter =
    QStringLiteral("Picture Files (*.bmp *.jpg *.jpeg *.gif *.png)|*.bmp;*.jpg;*.jpeg;*.gif;*.png|"
                   "All Files (*)|*");

} // namespace

void frmMain::optNewProject_Click()
{
    SetPathBoxEnabled(*ui, false);
}

void frmMain::optExistingProject_Click()
{
    SetPathBoxEnabled(*ui, true);
}

void frmMain::cmdProjectFile_Click()
{
    ui->txtProjectFile->setFocus();
    // One project file only, whatever the picture dialog allowed last.
    if (const auto answer = dialogs().showOpen(this, QString(), ProjectFilter, false))
        ui->txtProjectFile->setText(*answer);
}

bool frmMain::CanOpenFile(const QString &path)
{
    QString failure;
    if (path.trimmed().isEmpty()) {
        failure = QStringLiteral("No project file is named: type its path or choose it with "
                                 "\"...\".");
    } else {
        // A FIFO named here would hang the window in open().
        try {
            CheckRegularFile(path, path, u"project file");
            return true;
        } catch (const Error &e) {
            failure = Error(path, QStringLiteral("cannot be opened: %1").arg(e.reason())).message();
        }
    }
    dialogs().showMessage(this, failure, AppTitle, QMessageBox::Critical);
    return false;
}

void frmMain::LoadFromFile()
{
    // Read and name everything first: a file that fails half-way leaves the
    // list as it was.
    m_files->replace(EntriesFromProjectFile(ui->txtProjectFile->text()));
}

void frmMain::cmdAddFile_Click()
{
    const std::optional<QString> selection =
        dialogs().showOpen(this, QString(), PictureFilter, true);
    if (!selection)
        return;
    try {
        m_files->appendSelection(*selection);
    } catch (const Error &e) {
        // The files before it stay; the user learns which one was refused
        // and why, and the buttons match what the list now holds.
        applyButtons();
        dialogs().showMessage(this,
                              QStringLiteral("%1 was not added: %2").arg(e.file(), e.reason()),
                              AppTitle, QMessageBox::Warning);
        return;
    }
    applyButtons();
}

void frmMain::cmdRemove_Click()
{
    std::vector<int> rows;
    for (const QModelIndex &index : ui->lvwFiles->selectionModel()->selectedRows())
        rows.push_back(index.row());
    m_files->removeRowsAt(std::move(rows));
    applyButtons();
}

} // namespace bitvane
