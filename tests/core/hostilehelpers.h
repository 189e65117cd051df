// Special files, encoded pictures and time-limited runs of bitvane-compile,
// for the tests of hostile and unusual files.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace hostile {

inline QByteArray encode(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes;
}

inline void makeFifo(const QString &path)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0) << path.toStdString();
}

// A bound socket file; the descriptor stays open for the test's life.
inline void makeSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray local = QFile::encodeName(path);
    ASSERT_LT(std::size_t(local.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, local.constData(), std::size_t(local.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
}

inline bool isFifo(const QString &path)
{
    struct stat s;
    return ::lstat(QFile::encodeName(path).constData(), &s) == 0 && S_ISFIFO(s.st_mode);
}

struct ChildRun {
    bool started = false;  // false: the program could not be started
    QString startFailure;  // the reason then
    bool finished = false; // false: killed after the time limit
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs bitvane-compile (or program) and ends it after ten seconds whatever
// it does, so that a program that blocks fails the test instead of hanging
// the suite. standardOutputFile is opened for appending (/dev/full); inChild
// runs in the child before the program starts.
inline ChildRun runLimited(const QStringList &args, const QString &standardOutputFile = {},
                           const std::function<void()> &inChild = {},
                           const QString &program = QStringLiteral(BITVANE_COMPILE_EXE))
{
    QProcess p;
    if (!standardOutputFile.isEmpty())
        p.setStandardOutputFile(standardOutputFile, QIODevice::Append);
    if (inChild)
        p.setChildProcessModifier(inChild);
    p.start(program, args);
    ChildRun r;
    if (!p.waitForStarted(10000)) {
        r.startFailure = p.errorString();
        return r;
    }
    r.started = true;
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(-1);
        return r;
    }
    r.finished = p.exitStatus() == QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// Runs bitvane-compile as the unprivileged user (65534) when the test runs
// as root, who may enter any folder. That user may not enter the build when
// the checkout sits in a folder only its owner may enter (as /root is), so
// the program then runs from a copy in folder, which the caller opens to all.
inline ChildRun runUnprivileged(const QStringList &args, const QString &folder)
{
    if (::geteuid() != 0)
        return runLimited(args);
    const QString copy = folder + QStringLiteral("/bitvane-compile");
    EXPECT_TRUE(QFile::exists(copy) || QFile::copy(QStringLiteral(BITVANE_COMPILE_EXE), copy));
    EXPECT_TRUE(QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                QFileDevice::ExeOther));
    return runLimited(
        args, {},
        [] {
            ::setgroups(0, nullptr);
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(99);
        },
        copy);
}

// The one line a failure prints: "bitvane-compile: FILE: reason" (FILE with
// its project's "PROJECT:LINE: " in front for a picture).
inline void expectOneLine(const ChildRun &r, const QString &file, const char *reason)
{
    ASSERT_TRUE(r.started) << "could not be started: " << r.startFailure.toStdString();
    ASSERT_TRUE(r.finished) << "still running after ten seconds";
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith("bitvane-compile: " + QFile::encodeName(file) + ": "))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(reason)) << r.err.toStdString() << " lacks " << reason;
}

} // namespace hostile
