// Messages of bitvane-compile as single lines on stderr.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>

namespace bitvane {

// A message is one line on stderr, even when a path holds a line break.
inline QByteArray OneLine(const QString &message)
{
    QString line = message;
    for (QChar &c : line)
        if (c.unicode() < 0x20)
            c = u' ';
    return line.toLocal8Bit();
}

inline void PrintLine(std::FILE *err, const QString &message)
{
    std::fprintf(err, "%s\n", OneLine(message).constData());
}

// A failure of the run, named as the program's own.
inline void PrintFailure(std::FILE *err, const QString &message)
{
    PrintLine(err, QStringLiteral("bitvane-compile: ") + message);
}

} // namespace bitvane
