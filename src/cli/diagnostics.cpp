// Qt's and the decoders' own messages, folded into the one line of a failure.
#include "cli/diagnostics.h"

#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

namespace bitvane {

namespace {

// A picture is decoded on one thread from start to end, so what a thread
// kept belongs to the picture it is working on.
thread_local QStringList kept;
thread_local off_t libraryMark = 0;

void Keep(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    const QString line = message.simplified();
    if (!line.isEmpty() && !kept.contains(line))
        kept.append(line);
}

off_t LibraryOutputSize()
{
    struct stat status;
    return ::fstat(STDERR_FILENO, &status) == 0 && S_ISREG(status.st_mode) ? status.st_size : 0;
}

QStringList LibraryOutputSince(off_t mark)
{
    const off_t end = LibraryOutputSize();
    QStringList lines;
    if (end <= mark)
        return lines;
    QByteArray text(qsizetype(end - mark), '\0');
    const ssize_t n = ::pread(STDERR_FILENO, text.data(), std::size_t(text.size()), mark);
    text.truncate(n > 0 ? qsizetype(n) : 0);
    for (const QByteArray &line : text.split('\n')) {
        const QString s = QString::fromLocal8Bit(line).simplified();
        if (!s.isEmpty() && !lines.contains(s))
            lines.append(s);
    }
    return lines;
}

} // namespace

std::FILE *CaptureDiagnostics()
{
    qInstallMessageHandler(Keep);
    const int real = ::dup(STDERR_FILENO);
    std::FILE *captured = std::tmpfile();
    std::FILE *realStderr = real >= 0 ? ::fdopen(real, "w") : nullptr;
    if (!captured || !realStderr || ::dup2(::fileno(captured), STDERR_FILENO) < 0) {
        if (realStderr)
            std::fclose(realStderr);
        return stderr;
    }
    std::setvbuf(realStderr, nullptr, _IOLBF, 0);
    return realStderr;
}

void ClearThreadDiagnostics()
{
    kept.clear();
    libraryMark = LibraryOutputSize();
}

Error WithDiagnostics(const Error &failure)
{
    QStringList words = kept;
    for (const QString &line : LibraryOutputSince(libraryMark))
        if (!words.contains(line))
            words.append(line);
    ClearThreadDiagnostics();
    if (words.isEmpty())
        return failure;
    return Error(failure.file(), failure.line(),
                 QStringLiteral("%1; %2").arg(failure.reason(), words.join(u"; ")));
}

} // namespace bitvane
