// The files one run writes: every target checked before any work, each one
// staged, and all of them replaced together or none.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace bitvane {

// Throws Error naming path unless a run may write there: a new name, or an
// ordinary file (after symbolic links). A folder, device, FIFO or socket is
// refused, so that writing never replaces one.
void CheckOutputTarget(const QString &path);

// One staged target being written. Its bytes go to a hidden file beside the
// target (or in the set's staging folder) and are handed to the disk as
// they come; the target itself is touched only by OutputSet::commit.
class OutputFile {
public:
    void write(QByteArrayView bytes);
    const QString &path() const { return m_target; }

private:
    friend class OutputSet;

    // commit() syncs the file to disk, which for a large header would mean
    // writing all of it at the very end. Handing each written megabyte to
    // the disk at once lets that run while the compile goes on; the sync at
    // the end still decides, so this is only a head start.
    void startWriteback();
    // Flushes, syncs when asked and closes; a full disk shows here.
    void finish(bool sync);
    [[noreturn]] void fail(int errnum);

    QString m_target;  // as the caller named it, for messages
    QString m_replace; // the name that is replaced: symbolic links resolved or not
    QString m_staged;
    QFile m_file;
    qint64 m_started = 0; // bytes already handed to the disk
    qint64 m_pending = 0; // bytes written since
};

// Every target of one run (a compile's header, project and dependency file,
// an extraction's pictures and project). Inputs are named first; each
// target is checked when it is added (an ordinary file or a new name, not an
// input, not another target), before the run does any work, and staged.
// commit() replaces them all, or, when any replacement fails, puts back the
// ones replaced before it; whatever is not committed is removed with the set.
class OutputSet {
public:
    enum class Links {
        // A target that is a symbolic link replaces the file it leads to, as
        // an editor saving through the link would (the compile).
        Follow,
        // The link itself is replaced, so that nothing outside the target's
        // folder is written (an extraction into a folder).
        Replace,
    };

    explicit OutputSet(Links links = Links::Follow);
    ~OutputSet();
    OutputSet(const OutputSet &) = delete;
    OutputSet &operator=(const OutputSet &) = delete;

    // A file the run reads: no target may be it, by any name, symbolic or
    // hard link. A name that does not exist is no file and is passed over.
    void addInput(const QString &path);
    // Throws Error naming path when it could not be added as a target.
    void check(const QString &path) const;
    // Checks path and starts its staged file.
    OutputFile &add(const QString &path);
    // The same with the whole content at once; the file is closed at once,
    // so that thousands of them keep no descriptors open.
    void add(const QString &path, QByteArrayView bytes);
    // Stages the files added from now on in folder (one on the targets' file
    // system, which the caller made and removes) instead of beside each
    // target. Staged files are not synced one by one then. The targets'
    // previous files are kept beside them until the commit has succeeded
    // either way, so that one that cannot be put back outlives the folder.
    void stageIn(const QString &folder);

    // Replaces every target with its staged file, in the order added. When
    // one fails (by an Error or any other exception) the targets replaced
    // before it get their previous files back (new ones are removed again)
    // and the failure is thrown on; an Error then also says what was put
    // back.
    void commit();

    // A seam for tests: called before target i is replaced; what it throws
    // fails the commit there.
    std::function<void(std::size_t)> beforeReplacing;

private:
    struct Identity {
        unsigned long long device, inode;
        friend auto operator<=>(const Identity &, const Identity &) = default;
    };
    OutputFile &stage(const QString &path);

    Links m_links;
    QString m_stagingFolder;
    bool m_syncEach = true;
    std::set<Identity> m_inputs;
    // What the targets already added are: existing files by identity, new
    // names by their absolute path.
    std::set<Identity> m_targetFiles;
    std::set<QString> m_targetNames;
    std::vector<std::unique_ptr<OutputFile>> m_files;
};

} // namespace bitvane
