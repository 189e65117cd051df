// The files a compile writes: ordinary files only, replaced whole and together.
#include "compiler/outputfile.h"

#include "error.h"
#include "fileaccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#ifdef __linux__
#include <fcntl.h>
#endif

namespace bitvane {

namespace {

constexpr qint64 WritebackChunk = qint64(1) << 20;

// Keeps a target's previous bytes under a second name beside it (a second
// link where the file system allows, else a copy) until the caller knows
// whether they are needed again. A target that did not exist is put back by
// removing the new one.
class KeptAside {
public:
    explicit KeptAside(const QString &target)
    {
        const QFileInfo info(target);
        m_target = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
        if (!info.exists())
            return;
        const QFileInfo canonical(m_target);
        m_aside = canonical.dir().filePath(
            QStringLiteral(".%1.%2.old")
                .arg(canonical.fileName(), QUuid::createUuid().toString(QUuid::Id128).left(12)));
        if (::link(QFile::encodeName(m_target).constData(),
                   QFile::encodeName(m_aside).constData()) != 0 &&
            !QFile::copy(m_target, m_aside))
            throw Error(target, QStringLiteral("cannot be replaced: its previous bytes cannot be "
                                               "kept aside (%1)")
                                    .arg(SystemReason(errno)));
    }

    ~KeptAside()
    {
        if (!m_aside.isEmpty())
            QFile::remove(m_aside);
    }

    KeptAside(const KeptAside &) = delete;
    KeptAside &operator=(const KeptAside &) = delete;

    // Whether the previous bytes are back in place.
    bool putBack()
    {
        const QByteArray target = QFile::encodeName(m_target);
        if (m_aside.isEmpty())
            return ::unlink(target.constData()) == 0;
        if (::rename(QFile::encodeName(m_aside).constData(), target.constData()) != 0)
            return false;
        m_aside.clear();
        return true;
    }

private:
    QString m_target;
    QString m_aside; // empty: nothing was kept
};

} // namespace

void CheckOutputTarget(const QString &path)
{
    struct stat status;
    const QByteArray local = QFile::encodeName(path);
    if (::stat(local.constData(), &status) != 0)
        return; // a new file: whether its folder takes it shows when it is made
    if (S_ISDIR(status.st_mode))
        throw Error(path, QStringLiteral("cannot be written: it is a folder"));
    if (!S_ISREG(status.st_mode))
        throw Error(path, QStringLiteral("cannot be written: not a regular file"));
}

OutputFile::OutputFile(const QString &path) : m_path(path), m_file(path)
{
    CheckOutputTarget(path);
    if (!m_file.open(QIODevice::WriteOnly))
        fail();
}

void OutputFile::write(QByteArrayView bytes)
{
    if (m_file.write(bytes.data(), bytes.size()) != bytes.size())
        fail();
    m_pending += bytes.size();
    if (m_pending >= WritebackChunk)
        startWriteback();
}

void OutputFile::flush()
{
    if (!m_file.flush() || m_file.error() != QFileDevice::NoError)
        fail();
}

void OutputFile::startWriteback()
{
    flush();
#ifdef __linux__
    ::sync_file_range(m_file.handle(), m_started, 0, SYNC_FILE_RANGE_WRITE);
#endif
    m_started += m_pending;
    m_pending = 0;
}

void OutputFile::fail(const QString &reason)
{
    throw Error(m_path, QStringLiteral("cannot be written: %1").arg(reason));
}

void OutputFile::fail()
{
    fail(DeviceReason(m_file, errno));
}

void CommitTogether(OutputFile &first, OutputFile *second)
{
    first.flush();
    if (second)
        second->flush();
    std::optional<KeptAside> previous;
    if (second)
        previous.emplace(first.path());
    if (!first.m_file.commit())
        first.fail();
    if (!second || second->m_file.commit())
        return;
    const QString reason = DeviceReason(second->m_file, errno);
    const QString put =
        previous->putBack()
            ? QStringLiteral("%1 was put back as it was").arg(first.path())
            : QStringLiteral("%1 is new and could not be put back").arg(first.path());
    second->fail(QStringLiteral("%1; %2").arg(reason, put));
}

} // namespace bitvane
