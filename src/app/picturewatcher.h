// PictureWatcher: the open project's picture files, watched for new saves and for disappearing.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

namespace bitvane {

// Watches a set of files and says, once their changes have settled, which
// of them were written again, replaced, removed or came back. A file saved
// by writing a new one and renaming it over the old is followed to the new
// file; a file that is gone is looked for again whenever its folder changes.
class PictureWatcher : public QObject {
    Q_OBJECT
public:
    // How long a file must stay quiet before its change is told: a save
    // comes as several writes, a rename-save as a removal and a creation.
    static constexpr int SettleMs = 100;

    explicit PictureWatcher(QObject *parent = nullptr);

    // Watches exactly paths from now on.
    void watch(const QStringList &paths);
    void clear();

signals:
    // The paths that changed, in order, once they settled.
    void changed(const QStringList &paths);

private:
    void fileChanged(const QString &path);
    void folderChanged(const QString &folder);
    void settle();

    QFileSystemWatcher m_watcher;
    QStringList m_paths;     // as given
    QSet<QString> m_missing; // of m_paths, the ones last seen gone
    QSet<QString> m_pending; // changed, not yet told
    QTimer m_settle;
};

} // namespace bitvane
