// bitvane-compile --watch: inputs watched through the file system, runs debounced, signals ending
// the loop.
#include "cli/watchcommand.h"

#include "cli/oneline.h"
#include "fileaccess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSet>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bitvane {

namespace {

// The signal handler may only write to a pipe; the event loop reads it.
int SignalPipe[2] = {-1, -1};

// The run under way still finishes; a second signal, for a user who will
// not wait, ends the program at once.
extern "C" void OnStopSignal(int signal)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[1], &byte, 1);
    std::signal(signal, SIG_DFL);
}

// What changes when a file is saved, replaced by a rename (editors and
// paint programs save so), removed or made again.
struct FileState {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modified = 0; // nanoseconds
    long long changed = 0;

    friend bool operator==(const FileState &, const FileState &) = default;
};

FileState StateOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {true,
            st.st_dev,
            st.st_ino,
            st.st_size,
            st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
            st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
}

std::vector<FileState> StatesOf(const QStringList &paths)
{
    std::vector<FileState> states;
    states.reserve(std::size_t(paths.size()));
    for (const QString &path : paths)
        states.push_back(StateOf(path));
    return states;
}

// Every input that exists, and every folder that holds one: a file saved by
// a rename, or removed and made again, is only seen by its folder.
QStringList WatchedPaths(const QStringList &inputs)
{
    QSet<QString> seen;
    QStringList paths;
    for (const QString &input : inputs) {
        const QFileInfo info(input);
        for (const QString &path : {info.absoluteFilePath(), info.absolutePath()})
            if (!seen.contains(path) && QFileInfo::exists(path)) {
                seen.insert(path);
                paths.push_back(path);
            }
    }
    return paths;
}

} // namespace

int WatchCommand(std::FILE *err, const QString &headerName,
                 const std::function<int(CompileReport &)> &compile)
{
    if (::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        PrintLine(err,
                  QStringLiteral("bitvane-compile: cannot watch: %1").arg(SystemReason(errno)));
        return 1;
    }
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    QSocketNotifier stop(SignalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });

    QFileSystemWatcher watcher;
    QTimer settle;
    settle.setSingleShot(true);
    settle.setInterval(100);
    QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &settle,
                     qOverload<>(&QTimer::start));
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &settle,
                     qOverload<>(&QTimer::start));

    QStringList inputs;
    std::vector<FileState> states; // of the inputs, as the last run read them
    auto run = [&] {
        // Taken before the run reads the files, so that a change made while
        // it runs starts the next one.
        std::vector<FileState> before = StatesOf(inputs);
        // The same project is judged by its state before the run; the
        // pictures of a changed list by theirs as the run began on them.
        auto asRead = [&](const QStringList &now) {
            std::vector<FileState> read = StatesOf(now);
            if (!before.empty() && !now.isEmpty() && now.front() == inputs.front())
                read.front() = before.front();
            return read;
        };
        std::vector<FileState> read;
        CompileReport report;
        report.picturesKnown = [&] { read = asRead(report.inputs); };
        QElapsedTimer clock;
        clock.start();
        if (compile(report) == 0) {
            std::printf("%s\n", OneLine(QStringLiteral("%1: %2 %3, %4 ms")
                                            .arg(headerName)
                                            .arg(report.sprites)
                                            .arg(report.sprites == 1 ? u"sprite" : u"sprites")
                                            .arg(clock.elapsed()))
                                    .constData());
            std::fflush(stdout);
        }
        std::fflush(err);
        if (report.inputs == inputs)
            states = std::move(before);
        else
            states = read.size() == std::size_t(report.inputs.size()) ? std::move(read)
                                                                      : asRead(report.inputs);
        inputs = report.inputs;
        // Files are watched afresh (one replaced by a rename is another
        // file now); folders stay watched, so that nothing done to them
        // while this runs goes unseen.
        if (!watcher.files().isEmpty())
            watcher.removePaths(watcher.files());
        const QStringList wanted = WatchedPaths(inputs);
        const QStringList folders = watcher.directories();
        for (const QString &folder : folders)
            if (!wanted.contains(folder))
                watcher.removePath(folder);
        QStringList added;
        for (const QString &path : wanted)
            if (!folders.contains(path))
                added.push_back(path);
        if (!added.isEmpty())
            watcher.addPaths(added);
        // A change made while the run read the files, or before they were
        // watched again, shows in the comparison the timer makes.
        settle.start();
    };
    // The folder of the header tells of every header written, and folders
    // tell of files beside the inputs: only a real change runs again.
    QObject::connect(&settle, &QTimer::timeout, [&] {
        if (StatesOf(inputs) != states)
            run();
    });

    run();
    QCoreApplication::exec();

    action.sa_handler = SIG_DFL;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::close(SignalPipe[0]);
    ::close(SignalPipe[1]);
    return 0;
}

} // namespace bitvane
