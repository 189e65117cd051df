// The files one run writes: checked first, staged, replaced all together or not at all.
#include "compiler/outputset.h"

#include "error.h"
#include "fileaccess.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

#ifdef __linux__
#include <fcntl.h>
#endif

namespace bitvane {

namespace {

constexpr qint64 WritebackChunk = qint64(1) << 20;

QByteArray Local(const QString &path)
{
    return QFile::encodeName(path);
}

// A hidden name in folder that nothing else uses.
QString HiddenName(const QString &folder, QStringView ending)
{
    const quint64 random = QRandomGenerator::global()->generate64();
    return QDir(folder).filePath(
        QStringLiteral(".bitvane-%1.%2").arg(random, 16, 16, QChar(u'0')).arg(ending));
}

[[noreturn]] void Refuse(const QString &path, const QString &reason)
{
    throw Error(path, reason);
}

} // namespace

void CheckOutputTarget(const QString &path)
{
    struct stat status;
    const QByteArray local = Local(path);
    if (local.contains('\0'))
        Refuse(path, QStringLiteral("the name holds a NUL character"));
    if (::stat(local.constData(), &status) != 0)
        return; // a new file: whether its folder takes it shows when it is made
    if (S_ISDIR(status.st_mode))
        Refuse(path, QStringLiteral("cannot be written: it is a folder"));
    if (!S_ISREG(status.st_mode))
        Refuse(path, QStringLiteral("cannot be written: not a regular file"));
}

void OutputFile::write(QByteArrayView bytes)
{
    errno = 0;
    if (m_file.write(bytes.data(), bytes.size()) != bytes.size())
        fail(errno);
    m_pending += bytes.size();
    if (m_pending >= WritebackChunk)
        startWriteback();
}

void OutputFile::startWriteback()
{
    errno = 0;
    if (!m_file.flush())
        fail(errno);
#ifdef __linux__
    ::sync_file_range(m_file.handle(), m_started, 0, SYNC_FILE_RANGE_WRITE);
#endif
    m_started += m_pending;
    m_pending = 0;
}

void OutputFile::finish(bool sync)
{
    if (!m_file.isOpen())
        return;
    errno = 0;
    if (!m_file.flush() || m_file.error() != QFileDevice::NoError)
        fail(errno);
    if (sync && ::fsync(m_file.handle()) != 0)
        fail(errno);
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        fail(errno);
}

void OutputFile::fail(int errnum)
{
    throw Error(m_target,
                QStringLiteral("cannot be written: %1").arg(DeviceReason(m_file, errnum)));
}

OutputSet::OutputSet(Links links) : m_links(links)
{}

OutputSet::~OutputSet()
{
    for (const std::unique_ptr<OutputFile> &file : m_files) {
        file->m_file.close();
        if (!file->m_staged.isEmpty())
            ::unlink(Local(file->m_staged).constData());
    }
}

void OutputSet::addInput(const QString &path)
{
    struct stat status;
    if (::stat(Local(path).constData(), &status) == 0)
        m_inputs.insert({status.st_dev, status.st_ino});
}

void OutputSet::check(const QString &path) const
{
    const QByteArray local = Local(path);
    if (local.contains('\0'))
        Refuse(path, QStringLiteral("the name holds a NUL character"));
    struct stat status;
    const bool follow = m_links == Links::Follow;
    const int found =
        follow ? ::stat(local.constData(), &status) : ::lstat(local.constData(), &status);
    if (found == 0) {
        if (S_ISDIR(status.st_mode))
            Refuse(path, QStringLiteral("cannot be written: it is a folder"));
        if (!S_ISREG(status.st_mode) && (follow || !S_ISLNK(status.st_mode)))
            Refuse(path, QStringLiteral("cannot be written: not a regular file"));
        const Identity file{status.st_dev, status.st_ino};
        if (m_inputs.contains(file))
            Refuse(path, QStringLiteral("is an input of this compile"));
        if (m_targetFiles.contains(file))
            Refuse(path, QStringLiteral("is named twice among the files to write"));
    }
    if (m_targetNames.contains(QDir::cleanPath(QFileInfo(path).absoluteFilePath())))
        Refuse(path, QStringLiteral("is named twice among the files to write"));
}

OutputFile &OutputSet::stage(const QString &path)
{
    check(path);
    auto file = std::make_unique<OutputFile>();
    file->m_target = path;
    const QFileInfo info(path);
    const bool resolve = m_links == Links::Follow && info.exists();
    file->m_replace = resolve ? info.canonicalFilePath() : info.absoluteFilePath();
    const QString folder =
        m_stagingFolder.isEmpty() ? QFileInfo(file->m_replace).path() : m_stagingFolder;
    file->m_staged = HiddenName(folder, u"new");
    file->m_file.setFileName(file->m_staged);
    errno = 0;
    if (!file->m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        file->m_staged.clear();
        file->fail(errno);
    }
    // The new file keeps the permissions of the one it replaces (not of
    // what a link that is replaced leads to).
    struct stat status;
    if (::lstat(Local(file->m_replace).constData(), &status) == 0) {
        if (S_ISREG(status.st_mode))
            ::fchmod(file->m_file.handle(), status.st_mode & 07777);
        m_targetFiles.insert({status.st_dev, status.st_ino});
    }
    m_targetNames.insert(QDir::cleanPath(info.absoluteFilePath()));
    m_files.push_back(std::move(file));
    return *m_files.back();
}

OutputFile &OutputSet::add(const QString &path)
{
    return stage(path);
}

void OutputSet::add(const QString &path, QByteArrayView bytes)
{
    OutputFile &file = stage(path);
    file.write(bytes);
    file.finish(m_syncEach);
}

void OutputSet::stageIn(const QString &folder)
{
    m_stagingFolder = folder;
    m_syncEach = false;
}

namespace {

// A target's previous file, kept under a second name until the commit has
// succeeded. A second link leaves the target in place meanwhile; where the
// file system has none, an ordinary file is copied and anything else moved.
struct KeptAside {
    QString aside;       // empty: the target is new
    bool inPlace = true; // the target still stands under its own name
};

KeptAside KeepAside(const QString &target, const QString &shown)
{
    struct stat status;
    const QByteArray local = Local(target);
    if (::lstat(local.constData(), &status) != 0)
        return {};
    // What stands there may have changed since it was checked.
    if (S_ISDIR(status.st_mode))
        Refuse(shown, QStringLiteral("cannot be written: it is a folder"));
    if (!S_ISREG(status.st_mode) && !S_ISLNK(status.st_mode))
        Refuse(shown, QStringLiteral("cannot be written: not a regular file"));
    KeptAside kept{HiddenName(QFileInfo(target).path(), u"old")};
    const QByteArray aside = Local(kept.aside);
    if (::link(local.constData(), aside.constData()) == 0)
        return kept;
    const int linkError = errno;
    if (S_ISREG(status.st_mode) ? QFile::copy(target, kept.aside)
                                : ::rename(local.constData(), aside.constData()) == 0) {
        kept.inPlace = S_ISREG(status.st_mode);
        return kept;
    }
    throw Error(shown, QStringLiteral("cannot be replaced: its previous file cannot be kept "
                                      "aside (%1)")
                           .arg(SystemReason(linkError)));
}

} // namespace

void OutputSet::commit()
{
    for (const std::unique_ptr<OutputFile> &file : m_files)
        file->finish(m_syncEach);

    std::vector<KeptAside> kept;
    std::size_t replaced = 0;
    try {
        for (const std::unique_ptr<OutputFile> &file : m_files)
            kept.push_back(KeepAside(file->m_replace, file->m_target));
        for (; replaced < m_files.size(); ++replaced) {
            if (beforeReplacing)
                beforeReplacing(replaced);
            OutputFile &file = *m_files[replaced];
            if (::rename(Local(file.m_staged).constData(), Local(file.m_replace).constData()) != 0)
                throw Error(file.m_target,
                            QStringLiteral("cannot be written: %1").arg(SystemReason(errno)));
            file.m_staged.clear();
        }
    } catch (...) {
        // Back to what was there: the targets replaced so far, and any
        // previous file that had to be moved aside.
        QStringList unrestored;
        int restored = 0;
        QString onlyRestored;
        for (std::size_t i = kept.size(); i-- > 0;) {
            const QString &target = m_files[i]->m_replace;
            const bool wasReplaced = i < replaced;
            if (!wasReplaced && kept[i].inPlace)
                continue;
            const bool back = kept[i].aside.isEmpty() ? ::unlink(Local(target).constData()) == 0
                                                      : ::rename(Local(kept[i].aside).constData(),
                                                                 Local(target).constData()) == 0;
            if (back) {
                kept[i].aside.clear();
                ++restored;
                onlyRestored = m_files[i]->m_target;
            } else {
                unrestored << QStringLiteral("%1 could not be put back%2")
                                  .arg(m_files[i]->m_target,
                                       kept[i].aside.isEmpty()
                                           ? QString()
                                           : QStringLiteral(" (its previous file is %1)")
                                                 .arg(std::exchange(kept[i].aside, QString())));
            }
        }
        for (const KeptAside &k : kept)
            if (!k.aside.isEmpty())
                ::unlink(Local(k.aside).constData());
        try {
            throw;
        } catch (const Error &e) {
            QStringList told = unrestored;
            if (restored == 1)
                told.prepend(QStringLiteral("%1 was put back as it was").arg(onlyRestored));
            else if (restored > 1)
                told.prepend(QStringLiteral("the %1 files replaced before were put back as they "
                                            "were")
                                 .arg(restored));
            if (told.isEmpty())
                throw;
            throw Error(e.file(), e.line(),
                        e.reason() + QStringLiteral("; ") + told.join(QStringLiteral("; ")));
        }
    }
    for (const KeptAside &k : kept)
        if (!k.aside.isEmpty())
            ::unlink(Local(k.aside).constData());
}

} // namespace bitvane
