// bitvane-compile: the window's compile without the window, for makefiles.
//
//     bitvane-compile [--binary] [-M DEPFILE] -o HEADER PROJECT.bvp
//
// Reads the project as the window opens one (every name is the base name of
// its location), loads every picture as the window does and compiles with the
// same routine. The header is replaced only when the whole compile succeeded;
// the project file is only read.

#include "compiler/compilerun.h"
#include "error.h"
#include "imaging/pictureloader.h"
#include "project/depfile.h"
#include "project/paths.h"
#include "project/project.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

using namespace bitvane;

namespace {

constexpr char Usage[] = "Usage: bitvane-compile [--binary] [-M DEPFILE] -o HEADER PROJECT.bvp";

// Decoding is nearly all of a compile's time, so the pictures are decoded
// ahead on worker threads while the compile writes the ones before. The
// compile still takes them strictly in order, and a failure is reported for
// the first bad picture in project order, so the output and the message do
// not depend on timing. The look-ahead is bounded, so memory does not grow
// with the size of the project.
class PictureQueue {
public:
    explicit PictureQueue(std::vector<QString> paths) : m_paths(std::move(paths)) {}

    ~PictureQueue()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_space.notify_all();
        for (std::thread &t : m_workers)
            t.join();
    }

    PictureQueue(const PictureQueue &) = delete;
    PictureQueue &operator=(const PictureQueue &) = delete;

    // The pictures must be taken in order, from 0.
    PictureSurface take(int index)
    {
        if (m_workers.empty())
            start();
        std::unique_lock lock(m_mutex);
        if (!readyUpTo(index, index)) {
            // The compile writes faster than pictures decode, so it would
            // sleep and wake once per picture; it waits for a few instead.
            m_wantedUpTo = std::min(index + WakeBatch, int(m_paths.size())) - 1;
            m_ready.wait(lock, [&] { return readyUpTo(index, m_wantedUpTo); });
            m_wantedUpTo = -1;
        }
        Slot &slot = m_slots[std::size_t(index) % m_slots.size()];
        PictureSurface image = std::move(slot.image);
        const std::exception_ptr error = slot.error;
        slot = Slot{};
        m_taken = index + 1;
        lock.unlock();
        m_space.notify_one();
        if (error)
            std::rethrow_exception(error);
        return image;
    }

private:
    static constexpr int WakeBatch = 4; // at most the number of slots

    struct Slot {
        int index = -1; // the picture the slot holds, -1 while it is empty
        PictureSurface image;
        std::exception_ptr error;
    };

    // Whether pictures first to last have all arrived (mutex held).
    bool readyUpTo(int first, int last) const
    {
        for (int i = first; i <= last; ++i)
            if (m_slots[std::size_t(i) % m_slots.size()].index != i)
                return false;
        return true;
    }

    void start()
    {
        const int workers = int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
        m_slots.resize(std::size_t(workers) * 4);
        for (int i = 0; i < workers; ++i)
            m_workers.emplace_back([this] { work(); });
    }

    void work()
    {
        const int total = int(m_paths.size());
        for (;;) {
            int index;
            {
                std::unique_lock lock(m_mutex);
                m_space.wait(lock, [&] {
                    return m_stop || m_next >= total || m_next < m_taken + int(m_slots.size());
                });
                if (m_stop || m_next >= total)
                    return;
                index = m_next++;
            }
            Slot done;
            done.index = index;
            try {
                done.image = LoadPicture(m_paths[std::size_t(index)]);
            } catch (...) {
                done.error = std::current_exception();
            }
            bool wanted;
            {
                std::lock_guard lock(m_mutex);
                m_slots[std::size_t(index) % m_slots.size()] = std::move(done);
                wanted = m_wantedUpTo >= 0 && readyUpTo(m_taken, m_wantedUpTo);
            }
            if (wanted)
                m_ready.notify_one();
        }
    }

    std::vector<QString> m_paths;
    std::vector<Slot> m_slots;
    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_ready; // a picture arrived in its slot
    std::condition_variable m_space; // a slot was emptied, or stop
    int m_next = 0;                  // the next picture a worker decodes
    int m_taken = 0;                 // pictures the compile has taken
    int m_wantedUpTo = -1;           // the compile waits for the pictures up to this one
    bool m_stop = false;
};

// A message is one line on stderr, even when a path holds a line break.
void printFailure(const QString &message)
{
    QString line = message;
    for (QChar &c : line)
        if (c.unicode() < 0x20)
            c = u' ';
    std::fprintf(stderr, "bitvane-compile: %s\n", line.toLocal8Bit().constData());
}

int usageError(const QString &reason)
{
    printFailure(reason);
    std::fprintf(stderr, "%s\nTry 'bitvane-compile --help' for more information.\n", Usage);
    return 2;
}

int compile(const QString &projectPath, const QString &headerPath, bool hex,
            const QString &depfilePath)
{
    if (SameFile(projectPath, headerPath))
        throw Error(headerPath,
                    QStringLiteral("the header would replace the project file it is made from"));
    if (!depfilePath.isEmpty() &&
        (SameFile(depfilePath, projectPath) || SameFile(depfilePath, headerPath)))
        throw Error(depfilePath,
                    QStringLiteral("the dependency file would replace an input or the header"));

    const std::vector<PictureEntry> entries = EntriesFromProjectFile(projectPath);
    CompileJob job;
    job.hex = hex;
    job.headerPath = headerPath;
    job.entries = entries;
    std::vector<QString> locations;
    locations.reserve(entries.size());
    for (const PictureEntry &entry : entries)
        locations.push_back(entry.Location);
    PictureQueue pictures(std::move(locations));
    job.image = [&pictures](int index) { return pictures.take(index); };
    RunCompile(job);
    if (!depfilePath.isEmpty())
        WriteDepfile(depfilePath, headerPath, projectPath, entries);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bitvane-compile"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BITVANE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Compiles a Bitvane project into a C header of four-shade sprite arrays.\n"
                       "The header is replaced only when the whole compile succeeds; the project\n"
                       "file is only read. Relative picture locations are taken from the working\n"
                       "folder. Exit status: 0 done, 1 failed (one line on stderr says why),\n"
                       "2 wrong arguments."));
    // Our own -h and -v: Qt's would add --help-all with the options of a
    // window program, and name the program by the path it was started with.
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help and exit."));
    const QCommandLineOption versionOption(
        QStringList{QStringLiteral("v"), QStringLiteral("version")},
        QStringLiteral("Show the version and exit."));
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    const QCommandLineOption binaryOption(
        QStringLiteral("binary"),
        QStringLiteral("Write the arrays in binary (0b...), not hexadecimal."));
    const QCommandLineOption outputOption(
        QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Write the header to <HEADER>."), QStringLiteral("HEADER"));
    const QCommandLineOption depfileOption(
        QStringLiteral("M"),
        QStringLiteral("Also write <DEPFILE>, a make rule naming the project and every "
                       "picture the header is made from."),
        QStringLiteral("DEPFILE"));
    parser.addOption(binaryOption);
    parser.addOption(outputOption);
    parser.addOption(depfileOption);
    parser.addPositionalArgument(QStringLiteral("PROJECT.bvp"),
                                 QStringLiteral("The project file to compile."));

    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        QString help = parser.helpText();
        help.replace(0, help.indexOf(u'\n'), QLatin1StringView(Usage));
        std::fputs(help.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::printf("bitvane-compile %s\n", BITVANE_VERSION);
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    if (!parser.isSet(outputOption))
        return usageError(QStringLiteral("no header named: give it with -o HEADER"));
    if (parser.values(outputOption).size() > 1)
        return usageError(QStringLiteral("-o is given more than once"));
    if (positional.size() != 1)
        return usageError(positional.isEmpty()
                              ? QStringLiteral("no project file named")
                              : QStringLiteral("more than one project file named"));
    const QString headerPath = parser.value(outputOption);
    if (headerPath.isEmpty())
        return usageError(QStringLiteral("the header's name is empty"));

    try {
        return compile(positional.front(), headerPath, !parser.isSet(binaryOption),
                       parser.value(depfileOption));
    } catch (const Error &e) {
        printFailure(e.message());
    } catch (const std::bad_alloc &) {
        printFailure(QStringLiteral("out of memory"));
    } catch (const std::exception &e) {
        printFailure(QString::fromLocal8Bit(e.what()));
    }
    return 1;
}
