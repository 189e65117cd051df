// Error: building a failure's one-line message.
#include "error.h"

namespace bitvane {

namespace {

QString compose(const QString &file, int line, const QString &reason)
{
    if (file.isEmpty())
        return reason;
    if (line > 0)
        return QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(reason);
    return QStringLiteral("%1: %2").arg(file, reason);
}

} // namespace

Error::Error(const QString &reason) : Error(QString(), 0, reason)
{}

Error::Error(const QString &file, const QString &reason) : Error(file, 0, reason)
{}

Error::Error(const QString &file, int line, const QString &reason)
    : std::runtime_error(compose(file, line, reason).toStdString()), m_file(file), m_line(line),
      m_reason(reason)
{}

QString Error::message() const
{
    return compose(m_file, m_line, m_reason);
}

} // namespace bitvane
