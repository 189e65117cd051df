// Error: the one failure type of the core, with file, line and reason.
#pragma once

#include <QString>

#include <stdexcept>

namespace bitvane {

// The one failure type of the core.
//
// Every routine of the core that can fail throws an Error whose message a
// user can act on: the file it concerns, the line when the file is text, and
// what is wrong with it ("ship.bmp: not a picture (unknown format)",
// "tiles.bvp:3: contrast 140 is outside -100 to 100"). The core never prints,
// never exits and never shows anything: the window puts message() in a
// message box titled "Bitvane", bitvane-compile prints it as one line on
// stderr and exits with status 1.
class Error : public std::runtime_error {
public:
    explicit Error(const QString &reason);
    Error(const QString &file, const QString &reason);
    Error(const QString &file, int line, const QString &reason);

    const QString &file() const { return m_file; }
    int line() const { return m_line; } // 1-based; 0 when no line applies
    const QString &reason() const { return m_reason; }

    // "file:line: reason", "file: reason" or "reason", as one line.
    QString message() const;

private:
    QString m_file;
    int m_line = 0;
    QString m_reason;
};

} // namespace bitvane
