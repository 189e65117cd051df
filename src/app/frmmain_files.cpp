// frmMain's project and file list pages: choosing a project, adding and removing pictures.
#include "app/frmmain.h"

#include "app/filelistmodel.h"
#include "app/frmmain_ui.h"

#include "error.h"
#include "fileaccess.h"
#include "project/project.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QTreeView>

namespace bitvane {

namespace {

const QString ProjectFilter = QStringLiteral("Bitvane Projects|*.bvp|Headers (*.h)|*.h");
const QString PictureFilter =
    QStringLiteral("Picture Files (*.bmp *.jpg *.jpeg *.gif *.png)|*.bmp;*.jpg;*.jpeg;*.gif;*.png|"
                   "All Files (*)|*");

} // namespace

void frmMain::chooseProject(const QString &path)
{
    ui->optExistingProject->setChecked(true);
    ui->txtProjectFile->setText(path);
}

namespace {

bool isDrag(const QEvent *event)
{
    return event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove;
}

// The one project file or header a drag carries, or empty.
QString draggedProject(const QMimeData *data)
{
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString path = urls.front().toLocalFile();
    const bool project = QFileInfo(path).suffix().compare(u"bvp", Qt::CaseInsensitive) == 0;
    return project || IsHeaderPath(path) ? path : QString();
}

const QStringList PictureSuffixes{QStringLiteral("bmp"), QStringLiteral("gif"),
                                  QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                  QStringLiteral("png")};

bool isPictureName(const QString &path)
{
    const QFileInfo file(path);
    return !file.isDir() && PictureSuffixes.contains(file.suffix(), Qt::CaseInsensitive);
}

// The pictures directly in folder, sorted by name; its subfolders are left
// alone.
QStringList picturesIn(const QString &folder)
{
    const QDir dir(folder, {}, QDir::Name | QDir::IgnoreCase,
                   QDir::Files | QDir::Readable | QDir::Hidden);
    QStringList paths;
    // The suffixes in any letter case, as elsewhere.
    for (const QFileInfo &file : dir.entryInfoList())
        if (PictureSuffixes.contains(file.suffix(), Qt::CaseInsensitive))
            paths << file.filePath();
    return paths;
}

// Whether a drag carries pictures or folders (and nothing that is not a
// local file), which start a new project when dropped on page 0.
bool draggedPictures(const QMimeData *data)
{
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty())
        return false;
    for (const QUrl &url : urls)
        if (!url.isLocalFile() ||
            !(isPictureName(url.toLocalFile()) || QFileInfo(url.toLocalFile()).isDir()))
            return false;
    return true;
}

} // namespace

bool frmMain::projectPageDrop(QEvent *event)
{
    if (!isDrag(event) && event->type() != QEvent::Drop)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    const QString path = draggedProject(drop->mimeData());
    const bool pictures = path.isEmpty() && draggedPictures(drop->mimeData());
    if (path.isEmpty() && !pictures) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (event->type() != QEvent::Drop)
        return true;
    if (pictures) {
        // A new project of them, once the open one may go; asked after the
        // drop has ended, like every question from a drop.
        const QList<QUrl> urls = drop->mimeData()->urls();
        QMetaObject::invokeMethod(
            this,
            [this, urls] {
                if (!changesMayGo())
                    return;
                ui->optNewProject->setChecked(true);
                m_files->replace({});
                showPage(PageEditFiles);
                runGuarded([this, urls] { dropPictures(urls); });
            },
            Qt::QueuedConnection);
    } else if (IsHeaderPath(path)) {
        // Its dialogs wait until the drop has ended, so that the source of
        // the drag is not held meanwhile.
        QMetaObject::invokeMethod(
            this,
            [this, path] {
                if (changesMayGo())
                    OpenHeader(path);
            },
            Qt::QueuedConnection);
    } else {
        chooseProject(path);
    }
    return true;
}

bool frmMain::fileListDrop(QEvent *event)
{
    if (!isDrag(event) && event->type() != QEvent::Drop)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    // The list's own rows are the view's to move.
    if (!drop->mimeData()->hasUrls())
        return false;
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (event->type() == QEvent::Drop) {
        const QList<QUrl> urls = drop->mimeData()->urls();
        runGuarded([this, urls] { dropPictures(urls); });
    }
    return true;
}

void frmMain::dropPictures(const QList<QUrl> &urls)
{
    // Each picture is added as "Add" adds a selection of one; the others are
    // named together afterwards, and the pictures among them stay.
    QStringList refused;
    for (const QUrl &url : urls) {
        const QString path = url.isLocalFile() ? url.toLocalFile() : url.toString();
        QStringList pictures;
        if (url.isLocalFile() && QFileInfo(path).isDir()) {
            pictures = picturesIn(path);
            if (pictures.isEmpty())
                refused
                    << QStringLiteral("%1 (no pictures in it)").arg(QDir::toNativeSeparators(path));
        } else if (url.isLocalFile() && isPictureName(path)) {
            pictures << path;
        } else {
            refused << QDir::toNativeSeparators(path);
        }
        for (const QString &picture : std::as_const(pictures)) {
            try {
                m_files->appendSelection(picture);
            } catch (const Error &e) {
                refused << QStringLiteral("%1 (%2)").arg(e.file(), e.reason());
            }
        }
    }
    applyButtons();
    if (!refused.isEmpty())
        dialogs().showMessage(this,
                              QStringLiteral("Only BMP, GIF, JPEG and PNG pictures are added; "
                                             "these were not:\r\n") +
                                  refused.join(QStringLiteral("\r\n")),
                              AppTitle, QMessageBox::Warning);
}

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
