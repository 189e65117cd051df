// Reading ordinary files without ever blocking on a special one.
#include "fileaccess.h"

#include "error.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bitvane {

namespace {

// Closes the descriptor however the reading ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

[[noreturn]] void ThrowFor(int errnum, const QString &name)
{
    if (errnum == ENOENT)
        throw Error(name, QStringLiteral("file not found"));
    throw Error(name, QStringLiteral("cannot be read (%1)").arg(SystemReason(errnum)));
}

void CheckStatus(const struct stat &status, const QString &name, QStringView kind)
{
    if (S_ISDIR(status.st_mode))
        throw Error(name, QStringLiteral("this is a folder, not a %1").arg(kind));
    if (!S_ISREG(status.st_mode))
        throw Error(name, QStringLiteral("not a regular file"));
}

// Opening a FIFO for reading waits for a writer, and opening a device may
// do anything, so the status decides first. The file could be swapped for
// a special one between the two steps: the open does not wait either way,
// and the status of what was opened is checked again.
int OpenRegular(const QString &path, const QString &name, QStringView kind, struct stat &status)
{
    const QByteArray local = QFile::encodeName(path);
    if (local.contains('\0'))
        throw Error(name, QStringLiteral("the name holds a NUL character"));
    if (::stat(local.constData(), &status) != 0)
        ThrowFor(errno, name);
    CheckStatus(status, name, kind);
    const int fd = ::open(local.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        ThrowFor(errno, name);
    Descriptor guard(fd);
    if (::fstat(fd, &status) != 0)
        ThrowFor(errno, name);
    CheckStatus(status, name, kind);
    return guard.release();
}

} // namespace

QString SystemReason(int errnum)
{
    QString reason = qt_error_string(errnum);
    if (!reason.isEmpty())
        reason[0] = reason[0].toLower();
    return reason;
}

QString DeviceReason(const QIODevice &device, int errnum)
{
    QString reason = device.errorString();
    if (errnum != 0 && (reason.isEmpty() || reason.startsWith(QLatin1String("Unknown error"))))
        return SystemReason(errnum);
    if (!reason.isEmpty())
        reason[0] = reason[0].toLower();
    return reason;
}

void CheckRegularFile(const QString &path, const QString &name, QStringView kind)
{
    struct stat status;
    Descriptor fd(OpenRegular(path, name, kind, status));
}

RegularFile::RegularFile(const QString &path, const QString &name, qint64 maxBytes,
                         QStringView kind)
    : m_name(name), m_kind(kind.toString()), m_maxBytes(maxBytes)
{
    struct stat status;
    m_fd = OpenRegular(path, name, kind, status);
    m_size = status.st_size;
    if (m_size > maxBytes) {
        ::close(m_fd);
        throw tooLarge(m_size);
    }
}

RegularFile::~RegularFile()
{
    ::close(m_fd);
}

Error RegularFile::tooLarge(qint64 size) const
{
    return Error(m_name,
                 QStringLiteral("the file is too large for a %1 (%2 bytes)").arg(m_kind).arg(size));
}

qsizetype RegularFile::read(char *into, qsizetype room)
{
    for (;;) {
        const ssize_t n = ::read(m_fd, into, std::size_t(room));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ThrowFor(errno, m_name);
        if (m_done + n > m_maxBytes)
            throw tooLarge(m_done + n);
        m_done += n;
        return qsizetype(n);
    }
}

QByteArray RegularFile::readRest(QByteArray data)
{
    qint64 done = data.size();
    data.resize(qsizetype(std::max(m_size, done)));
    // Past the size the status gave, reads go through a small buffer: a file
    // that grows while it is read is noticed without doubling the memory.
    char probe[4096];
    for (;;) {
        const bool inData = done < data.size();
        char *into = inData ? data.data() + done : probe;
        const qsizetype n = read(into, inData ? data.size() - done : qsizetype(sizeof probe));
        if (n == 0)
            break;
        if (!inData)
            data.append(probe, n);
        done += n;
    }
    data.truncate(qsizetype(done));
    return data;
}

QByteArray ReadRegularFile(const QString &path, const QString &name, qint64 maxBytes,
                           QStringView kind)
{
    return RegularFile(path, name, maxBytes, kind).readRest({});
}

bool SurvivesDecoding(const char *argument)
{
    const QByteArray given(argument);
    return QFile::encodeName(QFile::decodeName(given)) == given;
}

StandardDescriptors OpenClosedStandardDescriptors()
{
    bool closed[3] = {};
    for (int fd = 0; fd < 3; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        closed[fd] = true;
        // The lowest free number is the one just found closed.
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
    return {closed[0], closed[1], closed[2]};
}

} // namespace bitvane
