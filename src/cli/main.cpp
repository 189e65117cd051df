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
// (watchcommand.cpp).

#include "cli/diagnostics.h"
#include "cli/extractcommand.h"
#include "cli/oneline.h"
#include "cli/picturequeue.h"
#include "cli/watchcommand.h"
#include "compiler/compilerun.h"
#include "compiler/outputset.h"
#include "error.h"
#include "fileaccess.h"
#include "imaging/pictureloader.h"
#include "project/depfile.h"
#include "project/identifiers.h"
#include "project/project.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>
#include <utility>

#include <unistd.h>

using namespace bitvane;

namespace {

constexpr char Usage[] =
    "Usage: bitvane-compile [--hex|--binary] [--style classic|modern] [--shared]\n"
    "                       [--mask|--no-mask] [--fix-names] [-Werror] [--fit cut|scale]\n"
    "                       [--levels LO,HI] [--shade threshold|ordered|diffuse|palette]\n"
    "                       [-M DEPFILE] [--watch] -o HEADER PROJECT.bvp\n"
    "       bitvane-compile --extract HEADER [--force] -o FOLDER";

// After the options in --help: what each style looks like.
constexpr char StylesHelp[] =
    "\n"
    "Styles:\n"
    "  classic  The default: the header Bitvane has always written, byte for byte,\n"
    "           one line per array (unsigned char, short or long by width):\n"
    "             // Sprite header file made with Bitvane 2.0\n"
    "             static unsigned char ship[4] = {0xa1, 0x0, 0xc1, 0x0};\n"
    "             static unsigned char ship_mask[2] = {0xff, 0xff};\n"
    "  modern   For today's C compilers: an include guard, <stdint.h>, const\n"
    "           uint8_t/uint16_t/uint32_t arrays with one row per line, each row\n"
    "           drawn in a /* */ comment (# black, + dark, - light, . white):\n"
    "             #define ship_WIDTH 8\n"
    "             static const uint8_t ship[4] BITVANE_DATA = {\n"
    "                 0xA1, /* #+-....# */\n"
    "           BITVANE_DATA is empty unless defined before the header is included\n"
    "           (for example as PROGMEM or a section attribute).\n"
    "\n"
    "--mask adds NAME_mask after each array, one element per pixel row: a set bit\n"
    "marks a pixel that is drawn (alpha of at least half; columns added to reach\n"
    "8, 16 or 32 never are). A picture without transparency draws all its own.\n"
    "Binary literals (--binary) need C23 or a GNU dialect (-std=gnu99); hexadecimal\n"
    "modern headers are strict C99.\n"
    "\n"
    "--shared (modern only) declares every array extern const for all files that\n"
    "include the header and defines it only in the one C file that has\n"
    "  #define BITVANE_IMPLEMENTATION\n"
    "before its #include, so that the program holds one copy.\n"
    "\n"
    "A project file's first line may hold its settings, which these options\n"
    "override:\n"
    "  #bitvane style=modern;masks=on;notation=binary;locations=relative;shared=on\n"
    "\n"
    "Pictures: --fit, --levels and --shade apply to every record that does not\n"
    "choose for itself in its fifth field (\"fit=scale;shade=diffuse\"); a record's\n"
    "own choice wins, and its levels are one choice.\n"
    "  --fit scale      reduce each whole picture to its width class (at most 240\n"
    "                   rows), keeping its aspect, instead of cutting it:\n"
    "                     bitvane-compile --fit scale -o sprites.h photos.bvp\n"
    "  --levels LO,HI   grey LO and below becomes black, HI and above white, before\n"
    "                   the four shades are chosen:\n"
    "                     bitvane-compile --levels 40,200 -o sprites.h photos.bvp\n"
    "  --shade MODE     threshold (the nearest shade), ordered (a 4 x 4 pattern),\n"
    "                   diffuse (error diffusion) or palette (the four colours of\n"
    "                   a picture drawn in at most four, darkest first):\n"
    "                     bitvane-compile --shade diffuse -o sprites.h photos.bvp\n";

void printFailure(std::FILE *err, const QString &message)
{
    PrintLine(err, QStringLiteral("bitvane-compile: ") + message);
}

// A command-line argument with every byte outside printable ASCII written
// as \xNN, so that the one line shows what was given.
QByteArray ShownBytes(const QByteArray &given)
{
    QByteArray shown;
    for (const char c : given) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\')
            shown += c;
        else
            shown += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
    }
    return shown;
}

enum class NameRule { Warn, Fail, Fix };

// Names a C compiler would refuse: with Warn one warning line each, in the
// compilers' form so that editors find the line; with Fail the same as
// errors, and false (nothing is compiled); with Fix they are changed.
bool checkNames(std::FILE *err, const QString &projectPath, std::vector<PictureEntry> &entries,
                NameRule rule)
{
    const QStringList names = EntryNames(entries);
    if (rule == NameRule::Fix) {
        const QStringList fixed = FixNames(names);
        for (std::size_t i = 0; i < entries.size(); ++i)
            entries[i].Name = fixed[qsizetype(i)];
        return true;
    }
    const std::vector<QString> problems = NameProblems(names);
    bool clean = true;
    for (std::size_t i = 0; i < problems.size(); ++i) {
        if (problems[i].isEmpty())
            continue;
        clean = false;
        PrintLine(err, QStringLiteral("%1:%2: %3: name '%4' is not a C identifier (%5)")
                           .arg(projectPath)
                           .arg(entries[i].ProjectLine)
                           .arg(rule == NameRule::Fail ? u"error" : u"warning", names[qsizetype(i)],
                                problems[i]));
    }
    return clean || rule != NameRule::Fail;
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
Error ExplainPictureFailure(const QString &location, const PictureOptions &options,
                            const Error &failure)
{
    ClearThreadDiagnostics();
    try {
        LoadPicture(location, options);
    } catch (const Error &again) {
        return WithDiagnostics(again);
    }
    return failure;
}

// A picture's failure named at its record, as a compiler names the line
// that included a file: "game.bvp:3: nope.png: file not found".
Error AtRecord(const QString &projectPath, const PictureEntry &entry, const Error &failure)
{
    const QString what =
        failure.file() == entry.Location && !entry.ProjectLocation.isEmpty()
            ? Error(entry.ProjectLocation, failure.line(), failure.reason()).message()
            : failure.message();
    return Error(projectPath, entry.ProjectLine, what);
}

// A picture that fitting cut or padded still compiles, but its author is
// told, in the compiler's PROJECT:LINE: warning: form; under -Werror it is
// an error, and true comes back. A scaled picture is as its author chose,
// and gets none.
bool warnIfFitted(std::FILE *err, const QString &projectPath, const PictureEntry &entry,
                  const PictureOptions &options, QSize source, bool werror)
{
    if (options.fit == FitMode::Scale)
        return false;
    const QString warning = FittingWarning(entry.Location, source);
    if (!warning.isEmpty())
        PrintLine(err, QStringLiteral("%1:%2: %3: %4")
                           .arg(projectPath)
                           .arg(entry.ProjectLine)
                           .arg(werror ? u"error" : u"warning", warning));
    return !warning.isEmpty() && werror;
}

// Thrown once the last picture is in when -Werror made a warning an error:
// the lines are printed, and nothing may be written.
struct WarningsWereErrors {};

struct Options {
    // Each set only by its option; unset, the project's settings line decides.
    std::optional<bool> hex;
    std::optional<HeaderStyle> style;
    std::optional<bool> masks;
    std::optional<bool> shared;
    QString depfilePath;
    NameRule nameRule = NameRule::Warn;
    PictureOptions pictures;           // for records that do not choose
    bool standardOutputClosed = false; // and opened on /dev/null since
    bool werror = false;               // every warning an error, also with --fix-names
};

int compile(std::FILE *err, const QString &projectPath, const QString &headerPath,
            const Options &options, CompileReport *report = nullptr)
{
    // Whatever fails first, the watch follows at least the project.
    if (report)
        report->inputs = {projectPath};
    const bool toStandardOutput = headerPath == u"-";
    QFile standardOutput;
    if (toStandardOutput) {
        if (options.standardOutputClosed)
            throw Error(QStringLiteral("standard output"),
                        QStringLiteral("cannot be written: it was closed when bitvane-compile "
                                       "started"));
        if (!standardOutput.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered))
            throw Error(QStringLiteral("standard output"),
                        QStringLiteral("cannot be written: %1").arg(standardOutput.errorString()));
    } else {
        CheckOutputTarget(headerPath);
    }
    const QString &depfilePath = options.depfilePath;
    if (!depfilePath.isEmpty())
        CheckOutputTarget(depfilePath);

    ProjectContents project = ReadProject(projectPath);
    std::vector<PictureEntry> &entries = project.entries;
    if (report) {
        for (const PictureEntry &entry : entries)
            report->inputs.push_back(entry.Location);
        report->picturesKnown();
    }
    if (!checkNames(err, projectPath, entries, options.nameRule))
        return 1;
    CompileJob job;
    job.settings = project.settings;
    job.settings.hex = options.hex.value_or(job.settings.hex);
    job.settings.style = options.style.value_or(job.settings.style);
    job.settings.masks = options.masks.value_or(job.settings.masks);
    job.settings.shared = options.shared.value_or(job.settings.shared);
    job.sourceProject = projectPath;
    job.inputs = {projectPath};
    // Made before the compile, so that a name make cannot read stops it
    // before anything is written.
    if (!depfilePath.isEmpty())
        job.alsoWritten.push_back({depfilePath, MakeDepfileText(headerPath, projectPath, entries)});
    job.headerPath = toStandardOutput ? QStringLiteral("standard output") : headerPath;
    if (toStandardOutput)
        job.headerDevice = &standardOutput;
    job.entries = entries;
    std::vector<PictureQueue::Picture> pictures;
    pictures.reserve(entries.size());
    for (const PictureEntry &entry : entries)
        pictures.push_back({entry.Location, ResolveOptions(entry.Options, options.pictures)});
    // Image plugins load on the first reader made; made here, they load on
    // this thread before any worker starts, not on whichever worker is first.
    QImageReader::supportedImageFormats();
    int failed = -1; // the picture being taken when the compile failed
    std::optional<Error> pictureFailure;
    bool warningsWereErrors = false;
    {
        PictureQueue queue(pictures);
        job.sprite = [&](int index) {
            failed = index;
            LoadedSprite sprite = queue.take(index);
            failed = -1;
            if (warnIfFitted(err, projectPath, entries[std::size_t(index)],
                             pictures[std::size_t(index)].options, sprite.SourceSize,
                             options.werror))
                warningsWereErrors = true;
            return sprite;
        };
        job.progress = [&](int done, int total) {
            if (done == total && warningsWereErrors)
                throw WarningsWereErrors{};
        };
        try {
            RunCompile(job);
        } catch (const Error &e) {
            if (failed < 0)
                throw;
            pictureFailure = e;
        } catch (const WarningsWereErrors &) {
            return 1;
        }
    }
    if (pictureFailure)
        throw AtRecord(projectPath, entries[std::size_t(failed)],
                       ExplainPictureFailure(pictures[std::size_t(failed)].path,
                                             pictures[std::size_t(failed)].options,
                                             *pictureFailure));
    if (report)
        report->sprites = int(entries.size());
    return 0;
}

// --fit, --levels and --shade into the defaults for records that do not
// choose; the reason when one is wrong.
std::optional<QString> pictureDefaults(const QCommandLineParser &parser,
                                       const QCommandLineOption &fit,
                                       const QCommandLineOption &levels,
                                       const QCommandLineOption &shade, PictureOptions &defaults)
{
    for (const QCommandLineOption *option : {&fit, &levels, &shade})
        if (parser.values(*option).size() > 1)
            return QStringLiteral("--%1 is given more than once").arg(option->names().front());
    if (parser.isSet(fit)) {
        const QString value = parser.value(fit);
        if (value != u"cut" && value != u"scale")
            return QStringLiteral("unknown fit \"%1\": give --fit cut or --fit scale").arg(value);
        defaults.fit = value == u"scale" ? FitMode::Scale : FitMode::Cut;
    }
    if (parser.isSet(shade)) {
        const QString value = parser.value(shade);
        const std::pair<const char16_t *, ShadeMode> modes[] = {
            {u"threshold", ShadeMode::Threshold},
            {u"ordered", ShadeMode::Ordered},
            {u"diffuse", ShadeMode::Diffuse},
            {u"palette", ShadeMode::Palette}};
        const auto *mode = std::find_if(std::begin(modes), std::end(modes),
                                        [&](const auto &m) { return value == m.first; });
        if (mode == std::end(modes))
            return QStringLiteral("unknown shading \"%1\": give --shade threshold, ordered, "
                                  "diffuse or palette")
                .arg(value);
        defaults.shade = mode->second;
    }
    if (parser.isSet(levels)) {
        const QString value = parser.value(levels);
        static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,3}),([0-9]{1,3})$"));
        const QRegularExpressionMatch match = pattern.match(value);
        const int lo = match.hasMatch() ? match.captured(1).toInt() : -1;
        const int hi = match.hasMatch() ? match.captured(2).toInt() : -1;
        if (lo < 0 || lo >= hi || hi > 255)
            return QStringLiteral("bad levels \"%1\": give --levels LO,HI with "
                                  "0 <= LO < HI <= 255")
                .arg(value);
        defaults.black = lo;
        defaults.white = hi;
    }
    return std::nullopt;
}

// Runs a command; a failure is the one line on stderr and exit status 1.
template <typename Command> int guarded(std::FILE *err, Command command)
{
    try {
        return command();
    } catch (const Error &e) {
        printFailure(err, e.message());
    } catch (const std::bad_alloc &) {
        printFailure(err, QStringLiteral("out of memory"));
    } catch (const std::exception &e) {
        printFailure(err, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        printFailure(err, QStringLiteral("an unexpected failure ended the run"));
    }
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // Before anything opens a file, so that no file of ours takes their place.
    const StandardDescriptors closed = OpenClosedStandardDescriptors();
    std::FILE *err = CaptureDiagnostics();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bitvane-compile"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BITVANE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Compiles a Bitvane project into a C header of four-shade sprite arrays.\n"
                       "The header is replaced only when the whole compile succeeds; the project\n"
                       "file is only read. Relative picture locations are taken from the project\n"
                       "file's folder. A name that is no C identifier gives a warning.\n"
                       "With --extract it turns a header back into pictures and a project.\n"
                       "Exit status: 0 done, 1 failed (one line on stderr says why),\n"
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
    const QCommandLineOption hexOption(
        QStringLiteral("hex"),
        QStringLiteral("Write the arrays in hexadecimal (0x...), whatever the project says."));
    const QCommandLineOption outputOption(
        QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Write the header to <HEADER> (- for standard output); with --extract, "
                       "the folder to write into."),
        QStringLiteral("HEADER"));
    const QCommandLineOption depfileOption(
        QStringLiteral("M"),
        QStringLiteral("Also write <DEPFILE>, a make rule naming the project and every "
                       "picture the header is made from."),
        QStringLiteral("DEPFILE"));
    const QCommandLineOption styleOption(
        QStringLiteral("style"),
        QStringLiteral("Write the header in <STYLE>: classic (the default) or modern; see "
                       "Styles below."),
        QStringLiteral("STYLE"));
    const QCommandLineOption maskOption(
        QStringLiteral("mask"),
        QStringLiteral("After each array write NAME_mask, the pixels the picture draws."));
    const QCommandLineOption noMaskOption(
        QStringLiteral("no-mask"), QStringLiteral("Write no masks, whatever the project says."));
    const QCommandLineOption sharedOption(
        QStringLiteral("shared"),
        QStringLiteral("Write a modern header for programs of several C files: arrays "
                       "declared extern const, defined only where BITVANE_IMPLEMENTATION is "
                       "defined. Implies --style modern."));
    const QCommandLineOption noSharedOption(
        QStringLiteral("no-shared"),
        QStringLiteral("Define the arrays in every includer, whatever the project says."));
    const QCommandLineOption watchOption(
        QStringLiteral("watch"),
        QStringLiteral("Compile, then again whenever the project or one of its pictures "
                       "changes, one line per run, until interrupted."));
    const QCommandLineOption fixNamesOption(
        QStringLiteral("fix-names"),
        QStringLiteral("Write names that are no C identifiers as usable ones (the project "
                       "file is not changed)."));
    const QCommandLineOption werrorOption(
        QStringLiteral("Werror"),
        QStringLiteral("Make every warning an error: nothing is written, exit status 1."));
    const QCommandLineOption extractOption(
        QStringLiteral("extract"),
        QStringLiteral("Write the sprite arrays of <HEADER> as PNG pictures into the "
                       "folder -o names (made if missing), with NAME.bvp listing them "
                       "(sprites.h gives sprites.bvp); compiled in the header's style and "
                       "notation, that project gives the arrays back. All files are written or "
                       "none; files already there stay unless --force."),
        QStringLiteral("HEADER"));
    const QCommandLineOption forceOption(
        QStringLiteral("force"),
        QStringLiteral("With --extract, replace files already in the folder."));
    const QCommandLineOption fitOption(
        QStringLiteral("fit"),
        QStringLiteral("Fit pictures by <FIT>: cut (the default) or scale; see Pictures below."),
        QStringLiteral("FIT"));
    const QCommandLineOption levelsOption(
        QStringLiteral("levels"),
        QStringLiteral("Black and white points <LO,HI>, 0 <= LO < HI <= 255 (the default "
                       "0,255 changes nothing)."),
        QStringLiteral("LO,HI"));
    const QCommandLineOption shadeOption(
        QStringLiteral("shade"),
        QStringLiteral("Reduce to the four shades by <MODE>: threshold (the default), ordered, "
                       "diffuse or palette."),
        QStringLiteral("MODE"));
    parser.addOption(hexOption);
    parser.addOption(binaryOption);
    parser.addOption(styleOption);
    parser.addOption(sharedOption);
    parser.addOption(noSharedOption);
    parser.addOption(maskOption);
    parser.addOption(noMaskOption);
    parser.addOption(fixNamesOption);
    parser.addOption(werrorOption);
    parser.addOption(fitOption);
    parser.addOption(levelsOption);
    parser.addOption(shadeOption);
    parser.addOption(outputOption);
    parser.addOption(depfileOption);
    parser.addOption(extractOption);
    parser.addOption(forceOption);
    parser.addOption(watchOption);
    // -Werror is one word, as compilers spell it, not six short options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addPositionalArgument(QStringLiteral("PROJECT.bvp"),
                                 QStringLiteral("The project file to compile."));

    for (int i = 1; i < argc; ++i)
        if (!SurvivesDecoding(argv[i]))
            return usageError(err, QStringLiteral("argument %1 (%2) is not valid UTF-8: file "
                                                  "names must be, or they would be changed")
                                       .arg(i)
                                       .arg(QString::fromLatin1(ShownBytes(argv[i]))));
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(err, parser.errorText());
    if (parser.isSet(helpOption)) {
        QString help = parser.helpText();
        help.replace(0, help.indexOf(u'\n'), QLatin1StringView(Usage));
        help.replace(QStringLiteral("--Werror"), QStringLiteral("-Werror "));
        help += QLatin1StringView(StylesHelp);
        std::fputs(help.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::printf("bitvane-compile %s\n", BITVANE_VERSION);
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    const bool extracting = parser.isSet(extractOption);
    if (extracting) {
        const std::pair<const QCommandLineOption *, const char *> compileOnly[] = {
            {&binaryOption, "--binary"},
            {&styleOption, "--style"},
            {&maskOption, "--mask"},
            {&fixNamesOption, "--fix-names"},
            {&werrorOption, "-Werror"},
            {&depfileOption, "-M"},
            {&fitOption, "--fit"},
            {&levelsOption, "--levels"},
            {&shadeOption, "--shade"},
            {&hexOption, "--hex"},
            {&noMaskOption, "--no-mask"},
            {&sharedOption, "--shared"},
            {&noSharedOption, "--no-shared"},
            {&watchOption, "--watch"}};
        for (const auto &[option, shown] : compileOnly)
            if (parser.isSet(*option))
                return usageError(err, QStringLiteral("%1 cannot be used with --extract")
                                           .arg(QLatin1StringView(shown)));
        if (parser.values(extractOption).size() > 1)
            return usageError(err, QStringLiteral("--extract is given more than once"));
        if (!positional.isEmpty())
            return usageError(err,
                              QStringLiteral("--extract takes no project file: it writes one"));
        if (parser.value(outputOption) == u"-")
            return usageError(err, QStringLiteral("--extract writes files, not standard output: "
                                                  "give a folder with -o FOLDER"));
    } else if (parser.isSet(forceOption)) {
        return usageError(err, QStringLiteral("--force is only used with --extract"));
    }
    const QString target = extracting ? QStringLiteral("folder") : QStringLiteral("header");
    if (!parser.isSet(outputOption))
        return usageError(
            err, QStringLiteral("no %1 named: give it with -o %2").arg(target, target.toUpper()));
    if (parser.values(outputOption).size() > 1)
        return usageError(err, QStringLiteral("-o is given more than once"));
    const QString outputPath = parser.value(outputOption);
    if (outputPath.isEmpty())
        return usageError(err, QStringLiteral("the %1's name is empty").arg(target));
    if (extracting) {
        const QString headerPath = parser.value(extractOption);
        if (headerPath.isEmpty())
            return usageError(err, QStringLiteral("the header's name is empty"));
        return guarded(err, [&] {
            ExtractCommand(err, headerPath, outputPath, parser.isSet(forceOption));
            return 0;
        });
    }
    if (positional.size() != 1)
        return usageError(err, positional.isEmpty()
                                   ? QStringLiteral("no project file named")
                                   : QStringLiteral("more than one project file named"));
    const QString &headerPath = outputPath;
    const std::pair<const QCommandLineOption *, const QCommandLineOption *> opposites[] = {
        {&hexOption, &binaryOption},
        {&maskOption, &noMaskOption},
        {&sharedOption, &noSharedOption}};
    for (const auto &[one, other] : opposites)
        if (parser.isSet(*one) && parser.isSet(*other))
            return usageError(err, QStringLiteral("--%1 and --%2 cannot be used together")
                                       .arg(one->names().front(), other->names().front()));
    Options options;
    if (parser.isSet(hexOption) || parser.isSet(binaryOption))
        options.hex = parser.isSet(hexOption);
    if (parser.isSet(maskOption) || parser.isSet(noMaskOption))
        options.masks = parser.isSet(maskOption);
    if (parser.isSet(sharedOption) || parser.isSet(noSharedOption))
        options.shared = parser.isSet(sharedOption);
    options.depfilePath = parser.value(depfileOption);
    options.standardOutputClosed = closed.output;
    if (parser.isSet(styleOption)) {
        const QStringList styles = parser.values(styleOption);
        if (styles.size() > 1)
            return usageError(err, QStringLiteral("--style is given more than once"));
        if (styles.front() == u"modern")
            options.style = HeaderStyle::Modern;
        else if (styles.front() == u"classic")
            options.style = HeaderStyle::Classic;
        else
            return usageError(err, QStringLiteral("unknown style \"%1\": give --style classic or "
                                                  "--style modern")
                                       .arg(styles.front()));
    }
    if (options.shared.value_or(false)) {
        if (options.style == HeaderStyle::Classic)
            return usageError(err, QStringLiteral("--shared writes a modern header: it cannot be "
                                                  "used with --style classic"));
        options.style = HeaderStyle::Modern;
    }

    if (const std::optional<QString> problem =
            pictureDefaults(parser, fitOption, levelsOption, shadeOption, options.pictures))
        return usageError(err, *problem);

    options.nameRule = parser.isSet(fixNamesOption) ? NameRule::Fix
                       : parser.isSet(werrorOption) ? NameRule::Fail
                                                    : NameRule::Warn;
    options.werror = parser.isSet(werrorOption);
    if (parser.isSet(watchOption)) {
        if (headerPath == u"-")
            return usageError(err, QStringLiteral("--watch writes a header file, not standard "
                                                  "output: give it with -o HEADER"));
        return WatchCommand(err, headerPath, [&](CompileReport &report) {
            return guarded(err, [&] {
                return compile(err, positional.front(), headerPath, options, &report);
            });
        });
    }
    return guarded(err, [&] { return compile(err, positional.front(), headerPath, options); });
}
