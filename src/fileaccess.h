// Reading ordinary files without ever blocking on a special one, and the
// operating system's own words for why a file operation failed.
#pragma once

#include "error.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringView>

namespace bitvane {

// The system's reason for errno value errnum, as a message's tail:
// "no space left on device", "permission denied".
QString SystemReason(int errnum);

// Why a device's last operation failed, as a message's tail. Qt words the
// system's reasons capitalised and has none for some failures ("Unknown
// error"); errnum, errno just after the failure, stands in then.
QString DeviceReason(const QIODevice &device, int errnum);

// Throws Error naming the file (name) unless path is an ordinary file (after
// symbolic links) that can be opened for reading. A FIFO, socket or device
// is refused from its status alone, never opened. kind ("picture file",
// "project file") completes the reason given for a folder.
void CheckRegularFile(const QString &path, const QString &name, QStringView kind);

// The whole content of the ordinary file at path, checked as above; a file
// of more than maxBytes bytes (or one that grows past them while it is read)
// is refused.
QByteArray ReadRegularFile(const QString &path, const QString &name, qint64 maxBytes,
                           QStringView kind);

// The same file open and read a piece at a time from its start, for a reader
// that may stop long before the end. Every step throws Error naming the file
// as ReadRegularFile would.
class RegularFile {
public:
    RegularFile(const QString &path, const QString &name, qint64 maxBytes, QStringView kind);
    ~RegularFile();
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    // The size its status gave when it was opened.
    qint64 size() const { return m_size; }
    // Up to room bytes more into into; 0 at the end.
    qsizetype read(char *into, qsizetype room);
    // data (what was read so far) followed by the rest of the file.
    QByteArray readRest(QByteArray data);

private:
    Error tooLarge(qint64 size) const;

    int m_fd = -1;
    QString m_name;
    QString m_kind;
    qint64 m_maxBytes;
    qint64 m_size = 0;
    qint64 m_done = 0;
};

// Whether a command-line argument comes through QString (which turns bytes
// that are no UTF-8 into U+FFFD) back to the same bytes, so that a file it
// names is the one opened.
bool SurvivesDecoding(const char *argument);

// Which of the standard descriptors were closed when the program started.
struct StandardDescriptors {
    bool input = false;
    bool output = false;
    bool error = false;
};

// Opens each of descriptors 0, 1 and 2 that is closed on /dev/null, so that
// the first file the program opens cannot take its number and receive what
// is printed (or be read as input). Called first thing in main.
StandardDescriptors OpenClosedStandardDescriptors();

} // namespace bitvane
