// The files a compile writes: ordinary files only, each replaced only when
// whole, and two of them replaced together or not at all.
#pragma once

#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

namespace bitvane {

// Throws Error naming path unless a compile may write there: a new name in
// an existing folder, or an ordinary file (after symbolic links). A folder,
// device, FIFO or socket is refused, so that writing never replaces one.
void CheckOutputTarget(const QString &path);

// Everything goes to a temporary file beside the target; the target is
// replaced only by CommitTogether. A run that fails leaves the target as it
// was, and the destructor removes the temporary file.
class OutputFile {
public:
    explicit OutputFile(const QString &path);

    void write(QByteArrayView bytes);
    // Pushes the buffered rest to the temporary file, so that a full disk is
    // found before any target is replaced.
    void flush();

    const QString &path() const { return m_path; }

private:
    friend void CommitTogether(OutputFile &first, OutputFile *second);

    // commit() syncs the file to disk, which for a large header would mean
    // writing all of it at the very end. Handing each written megabyte to
    // the disk at once lets that run while the compile goes on; the sync at
    // the end still decides, so this is only a head start.
    void startWriteback();
    [[noreturn]] void fail(const QString &reason);
    [[noreturn]] void fail();

    QString m_path;
    QSaveFile m_file;
    qint64 m_started = 0; // bytes already handed to the disk
    qint64 m_pending = 0; // bytes written since
};

// Replaces first's target and then second's (when given). When second's
// cannot be replaced, first's previous bytes (kept aside until then) are put
// back, and the Error thrown says so.
void CommitTogether(OutputFile &first, OutputFile *second);

} // namespace bitvane
