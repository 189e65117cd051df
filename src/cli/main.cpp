// bitvane-compile: the window's compile without the window, for makefiles.
//
//     bitvane-compile [--hex|--binary] [--style classic|modern] [--shared] [--mask]
//                     [--fix-names] [-Werror] [--fit cut|scale] [--levels LO,HI]
//                     [--shade threshold|ordered|diffuse|palette] [-M DEPFILE] [--watch]
//                     -o HEADER PROJECT.bvp
//     bitvane-compile --extract HEADER [--force] -o FOLDER
//
// Reads the project as the window opens one (stored names, relative locations
// from the project's folder), loads every picture as the window does and
// compiles with the same routine, in the style, notation and masks the
// project's settings line names unless options say otherwise. The header is
// replaced only when the whole compile succeeded; the project file is only
// read. "-o -" writes the header to standard output, also only once the
// whole compile has succeeded. On failure exactly one line goes to stderr;
// besides, each name that is no usable C identifier, and each picture that
// fitting cut or padded, gives one warning line (an error one with -Werror),
// as compilers do. --extract goes the other way
// (extractcommand.cpp); --watch compiles again after every change
// (watchcommand.cpp). The options are judged in arguments.cpp, the compile
// is compilecommand.cpp: main only dispatches.

#include "cli/arguments.h"
#include "cli/compilecommand.h"
#include "cli/diagnostics.h"
#include "cli/extractcommand.h"
#include "cli/oneline.h"
#include "cli/watchcommand.h"
#include "error.h"
#include "fileaccess.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

using namespace bitvane;

namespace {

// Runs a command; a failure is the one line on stderr and exit status 1.
template <typename Command> int guarded(std::FILE *err, Command command)
{
    try {
        return command();
    } catch (const Error &e) {
        PrintFailure(err, e.message());
    } catch (const std::bad_alloc &) {
        PrintFailure(err, QStringLiteral("out of memory"));
    } catch (const std::exception &e) {
        PrintFailure(err, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        PrintFailure(err, QStringLiteral("an unexpected failure ended the run"));
    }
    return 1;
}

// Of the environment's locale only what reaches the output is taken: the
// system's error texts (qt_error_string) in their language and character
// set. The other categories would change nothing (Qt converts and formats
// without them), and each costs a file to load; nor is anything loaded when
// the texts stay the built-in English ones.
void TakeMessagesLocale()
{
    const char *messages = "";
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(variable);
        if (value && *value) {
            messages = value;
            break;
        }
    }
    // The plain C locale (also when nothing is named) overrules LANGUAGE,
    // the list of languages to translate into; its UTF-8 form does not.
    const char *languages = std::getenv("LANGUAGE");
    const bool english =
        !*messages || std::strcmp(messages, "C") == 0 || std::strcmp(messages, "POSIX") == 0 ||
        ((std::strcmp(messages, "C.UTF-8") == 0 || std::strcmp(messages, "C.utf8") == 0) &&
         (!languages || !*languages));
    if (english)
        return;
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
}

} // namespace

int main(int argc, char *argv[])
{
    // Before anything opens a file, so that no file of ours takes their place.
    const StandardDescriptors closed = OpenClosedStandardDescriptors();
    std::FILE *err = CaptureDiagnostics();
    // No application object: it costs as much start-up as all the rest of
    // an empty run, and only the watch needs an event loop (it makes its
    // own).
    TakeMessagesLocale();

    CommandLine run = ParseArguments(err, argc, argv);
    if (run.exitStatus)
        return *run.exitStatus;
    if (run.extracting)
        return guarded(err, [&] {
            ExtractCommand(err, run.extractHeader, run.outputPath, run.force);
            return 0;
        });
    run.options.standardOutputClosed = closed.output;
    if (run.watch)
        return WatchCommand(err, run.outputPath, [&](CompileReport &report) {
            return guarded(err, [&] {
                return CompileCommand(err, run.projectPath, run.outputPath, run.options, &report);
            });
        });
    return guarded(
        err, [&] { return CompileCommand(err, run.projectPath, run.outputPath, run.options); });
}
