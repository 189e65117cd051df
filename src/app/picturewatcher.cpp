// PictureWatcher: file system notices gathered, settled and followed across rename-saves.
#include "app/picturewatcher.h"

#include <QFileInfo>

#include <utility>

namespace bitvane {

namespace {

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

} // namespace

PictureWatcher::PictureWatcher(QObject *parent) : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, &PictureWatcher::settle);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &PictureWatcher::fileChanged);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &PictureWatcher::folderChanged);
}

void PictureWatcher::watch(const QStringList &paths)
{
    clear();
    m_paths = paths;
    m_paths.removeDuplicates();
    QStringList folders;
    for (const QString &path : std::as_const(m_paths)) {
        folders << folderOf(path);
        if (QFileInfo::exists(path))
            m_watcher.addPath(path);
        else
            m_missing.insert(path);
    }
    // The folders tell when a file that is gone comes back.
    folders.removeDuplicates();
    m_watcher.addPaths(folders);
}

void PictureWatcher::clear()
{
    m_settle.stop();
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    m_paths.clear();
    m_missing.clear();
    m_pending.clear();
}

void PictureWatcher::fileChanged(const QString &path)
{
    m_pending.insert(path);
    m_settle.start();
}

void PictureWatcher::folderChanged(const QString &folder)
{
    // Only a file appearing or going matters here; its own watch tells of
    // writes to it.
    bool any = false;
    for (const QString &path : std::as_const(m_paths)) {
        if (folderOf(path) == folder && QFileInfo::exists(path) == m_missing.contains(path)) {
            m_pending.insert(path);
            any = true;
        }
    }
    if (any)
        m_settle.start();
}

void PictureWatcher::settle()
{
    QStringList told;
    for (const QString &path : std::as_const(m_paths)) {
        if (!m_pending.contains(path))
            continue;
        told << path;
        // Watched again in any case: after a rename-save the old watch
        // follows the replaced file, not the one now at path.
        m_watcher.removePath(path);
        if (QFileInfo::exists(path)) {
            m_watcher.addPath(path);
            m_missing.remove(path);
        } else {
            m_missing.insert(path);
        }
    }
    m_pending.clear();
    if (!told.isEmpty())
        emit changed(told);
}

} // namespace bitvane
