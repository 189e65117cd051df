// bitvane-compile: the window's compile without the window, for makefiles.
//
//     bitvane-compile [--binary] [-M DEPFILE] -o HEADER PROJECT.bvp
//
// "-o -" writes the header to standard output, once the whole compile has
// succeeded. On failure exactly one line goes to stderr; on success only a warning
// line for each picture that fitting cut or padded.
// Reads the project as the window opens one (every name is the base name of
// its location), loads every picture as the window does and compiles with the
// same routine. The header is replaced only when the whole compile succeeded;
// the project file is only read.

#include "cli/diagnostics.h"
#include "cli/picturequeue.h"
#include "compiler/compilerun.h"
#include "compiler/outputfile.h"
#include "error.h"
#include "imaging/pictureloader.h"
#include "project/depfile.h"
#include "project/paths.h"
#include "project/project.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>

#include <cstdio>
#include <new>
#include <optional>

#include <unistd.h>

using namespace bitvane;

namespace {

constexpr char Usage[] = "Usage: bitvane-compile [--binary] [-M DEPFILE] -o HEADER PROJECT.bvp";

// A message is one line on stderr, even when a path holds a line break.
void printLine(std::FILE *err, const QString &message)
{
    QString line = message;
    for (QChar &c : line)
        if (c.unicode() < 0x20)
            c = u' ';
    std::fprintf(err, "%s\n", line.toLocal8Bit().constData());
}

void printFailure(std::FILE *err, const QString &message)
{
    printLine(err, QStringLiteral("bitvane-compile: ") + message);
}

int usageError(std::FILE *err, const QString &reason)
{
    printFailure(err, reason);
    std::fprintf(err, "%s\nTry 'bitvane-compile --help' for more information.\n", Usage);
    return 2;
}

// The workers decode side by side, so the decoders' own words cannot be told
// apart while they run. Once they have stopped, the picture that failed is
// decoded again, alone, and what the decoder said joins its failure.
Error ExplainPictureFailure(const QString &location, const Error &failure)
{
    ClearThreadDiagnostics();
    try {
        LoadPicture(location);
    } catch (const Error &again) {
        return WithDiagnostics(again);
    }
    return failure;
}

// A picture that fitting cut or padded still compiles, but its author is
// told, in the compiler's PROJECT:LINE: warning: form.
void warnIfFitted(std::FILE *err, const QString &projectPath, const PictureEntry &entry,
                  QSize source)
{
    const QString warning = FittingWarning(entry.Location, source);
    if (!warning.isEmpty())
        printLine(err, QStringLiteral("%1:%2: warning: %3")
                           .arg(projectPath)
                           .arg(entry.ProjectLine)
                           .arg(warning));
}

int compile(std::FILE *err, const QString &projectPath, const QString &headerPath, bool hex,
            const QString &depfilePath)
{
    const bool toStandardOutput = headerPath == u"-";
    QFile standardOutput;
    if (toStandardOutput) {
        if (!standardOutput.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered))
            throw Error(QStringLiteral("standard output"),
                        QStringLiteral("cannot be written: %1").arg(standardOutput.errorString()));
    } else {
        CheckOutputTarget(headerPath);
    }
    if (!toStandardOutput && SameFile(projectPath, headerPath))
        throw Error(headerPath,
                    QStringLiteral("the header would replace the project file it is made from"));
    if (!depfilePath.isEmpty() &&
        (SameFile(depfilePath, projectPath) || SameFile(depfilePath, headerPath)))
        throw Error(depfilePath,
                    QStringLiteral("the dependency file would replace an input or the header"));

    const std::vector<PictureEntry> entries = EntriesFromProjectFile(projectPath);
    CompileJob job;
    job.hex = hex;
    job.headerPath = toStandardOutput ? QStringLiteral("standard output") : headerPath;
    if (toStandardOutput)
        job.headerDevice = &standardOutput;
    job.entries = entries;
    std::vector<QString> locations;
    locations.reserve(entries.size());
    for (const PictureEntry &entry : entries)
        locations.push_back(entry.Location);
    // Image plugins load on the first reader made; made here, they load on
    // this thread before any worker starts, not on whichever worker is first.
    QImageReader::supportedImageFormats();
    int failed = -1; // the picture being taken when the compile failed
    std::optional<Error> pictureFailure;
    {
        PictureQueue pictures(locations);
        job.image = [&](int index) {
            failed = index;
            LoadedSprite sprite = pictures.take(index);
            failed = -1;
            warnIfFitted(err, projectPath, entries[std::size_t(index)], sprite.SourceSize);
            return std::move(sprite.Image);
        };
        try {
            RunCompile(job);
        } catch (const Error &e) {
            if (failed < 0)
                throw;
            pictureFailure = e;
        }
    }
    if (pictureFailure)
        throw ExplainPictureFailure(locations[std::size_t(failed)], *pictureFailure);
    if (!depfilePath.isEmpty())
        WriteDepfile(depfilePath, headerPath, projectPath, entries);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    std::FILE *err = CaptureDiagnostics();
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
        QStringLiteral("Write the header to <HEADER> (- for standard output)."),
        QStringLiteral("HEADER"));
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
        return usageError(err, parser.errorText());
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
        return usageError(err, QStringLiteral("no header named: give it with -o HEADER"));
    if (parser.values(outputOption).size() > 1)
        return usageError(err, QStringLiteral("-o is given more than once"));
    if (positional.size() != 1)
        return usageError(err, positional.isEmpty()
                                   ? QStringLiteral("no project file named")
                                   : QStringLiteral("more than one project file named"));
    const QString headerPath = parser.value(outputOption);
    if (headerPath.isEmpty())
        return usageError(err, QStringLiteral("the header's name is empty"));

    try {
        return compile(err, positional.front(), headerPath, !parser.isSet(binaryOption),
                       parser.value(depfileOption));
    } catch (const Error &e) {
        printFailure(err, e.message());
    } catch (const std::bad_alloc &) {
        printFailure(err, QStringLiteral("out of memory"));
    } catch (const std::exception &e) {
        printFailure(err, QString::fromLocal8Bit(e.what()));
    }
    return 1;
}
