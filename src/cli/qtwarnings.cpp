// Qt's and the decoders' own warnings, folded into the one line of a failure.
#include "cli/qtwarnings.h"

#include <QStringList>

namespace bitvane {

namespace {

// A picture is decoded on one thread from start to end, so what a thread
// kept belongs to the picture it is working on.
thread_local QStringList kept;

void Keep(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    const QString line = message.simplified();
    if (!line.isEmpty() && !kept.contains(line))
        kept.append(line);
}

} // namespace

void CaptureQtWarnings()
{
    qInstallMessageHandler(Keep);
}

void ClearThreadWarnings()
{
    kept.clear();
}

Error WithThreadWarnings(const Error &failure)
{
    if (kept.isEmpty())
        return failure;
    const QString reason = QStringLiteral("%1; %2").arg(failure.reason(), kept.join(u"; "));
    kept.clear();
    return Error(failure.file(), failure.line(), reason);
}

} // namespace bitvane
