// bitvane-compile's command line: its options and their help, judged before anything is read.
#include "cli/arguments.h"

#include "cli/oneline.h"
#include "fileaccess.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>
#include <utility>

namespace bitvane {

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
    "                     bitvane-compile --shade diffuse -o sprites.h photos.bvp\n"
    "\n"
    "Sheets and animations: a record's fifth field may cut its picture into\n"
    "frames, each one sprite (classic NAME_0, NAME_1...; modern NAME[N][2*H]):\n"
    "  \"./walk.png\",0,0,\"walk\",\"cell=16x16;frames=6\"   six 16 x 16 cells of a sheet\n"
    "  \"./coin.gif\",0,0,\"coin\",\"frames=all\"           every frame of an animated GIF\n";

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

CommandLine answered(int status)
{
    CommandLine done;
    done.exitStatus = status;
    return done;
}

CommandLine refused(std::FILE *err, const QString &reason)
{
    PrintFailure(err, reason);
    std::fprintf(err, "%s\nTry 'bitvane-compile --help' for more information.\n", Usage);
    return answered(2);
}

} // namespace

CommandLine ParseArguments(std::FILE *err, int argc, char *argv[])
{
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
            return refused(err, QStringLiteral("argument %1 (%2) is not valid UTF-8: file "
                                               "names must be, or they would be changed")
                                    .arg(i)
                                    .arg(QString::fromLatin1(ShownBytes(argv[i]))));
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(arguments))
        return refused(err, parser.errorText());
    if (parser.isSet(helpOption)) {
        QString help = parser.helpText();
        help.replace(0, help.indexOf(u'\n'), QLatin1StringView(Usage));
        help.replace(QStringLiteral("--Werror"), QStringLiteral("-Werror "));
        help += QLatin1StringView(StylesHelp);
        std::fputs(help.toLocal8Bit().constData(), stdout);
        return answered(0);
    }
    if (parser.isSet(versionOption)) {
        std::printf("bitvane-compile %s\n", BITVANE_VERSION);
        return answered(0);
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
                return refused(err, QStringLiteral("%1 cannot be used with --extract")
                                        .arg(QLatin1StringView(shown)));
        if (parser.values(extractOption).size() > 1)
            return refused(err, QStringLiteral("--extract is given more than once"));
        if (!positional.isEmpty())
            return refused(err, QStringLiteral("--extract takes no project file: it writes one"));
        if (parser.value(outputOption) == u"-")
            return refused(err, QStringLiteral("--extract writes files, not standard output: "
                                               "give a folder with -o FOLDER"));
    } else if (parser.isSet(forceOption)) {
        return refused(err, QStringLiteral("--force is only used with --extract"));
    }
    const QString target = extracting ? QStringLiteral("folder") : QStringLiteral("header");
    if (!parser.isSet(outputOption))
        return refused(
            err, QStringLiteral("no %1 named: give it with -o %2").arg(target, target.toUpper()));
    if (parser.values(outputOption).size() > 1)
        return refused(err, QStringLiteral("-o is given more than once"));
    const QString outputPath = parser.value(outputOption);
    if (outputPath.isEmpty())
        return refused(err, QStringLiteral("the %1's name is empty").arg(target));
    if (extracting) {
        const QString headerPath = parser.value(extractOption);
        if (headerPath.isEmpty())
            return refused(err, QStringLiteral("the header's name is empty"));
        CommandLine extraction;
        extraction.extracting = true;
        extraction.extractHeader = headerPath;
        extraction.outputPath = outputPath;
        extraction.force = parser.isSet(forceOption);
        return extraction;
    }
    if (positional.size() != 1)
        return refused(err, positional.isEmpty()
                                ? QStringLiteral("no project file named")
                                : QStringLiteral("more than one project file named"));
    const QString &headerPath = outputPath;
    const std::pair<const QCommandLineOption *, const QCommandLineOption *> opposites[] = {
        {&hexOption, &binaryOption},
        {&maskOption, &noMaskOption},
        {&sharedOption, &noSharedOption}};
    for (const auto &[one, other] : opposites)
        if (parser.isSet(*one) && parser.isSet(*other))
            return refused(err, QStringLiteral("--%1 and --%2 cannot be used together")
                                    .arg(one->names().front(), other->names().front()));
    CommandLine run;
    run.outputPath = outputPath;
    run.projectPath = positional.front();
    CompileOptions &options = run.options;
    if (parser.isSet(hexOption) || parser.isSet(binaryOption))
        options.hex = parser.isSet(hexOption);
    if (parser.isSet(maskOption) || parser.isSet(noMaskOption))
        options.masks = parser.isSet(maskOption);
    if (parser.isSet(sharedOption) || parser.isSet(noSharedOption))
        options.shared = parser.isSet(sharedOption);
    options.depfilePath = parser.value(depfileOption);
    if (parser.isSet(styleOption)) {
        const QStringList styles = parser.values(styleOption);
        if (styles.size() > 1)
            return refused(err, QStringLiteral("--style is given more than once"));
        if (styles.front() == u"modern")
            options.style = HeaderStyle::Modern;
        else if (styles.front() == u"classic")
            options.style = HeaderStyle::Classic;
        else
            return refused(err, QStringLiteral("unknown style \"%1\": give --style classic or "
                                               "--style modern")
                                    .arg(styles.front()));
    }
    if (options.shared.value_or(false)) {
        if (options.style == HeaderStyle::Classic)
            return refused(err, QStringLiteral("--shared writes a modern header: it cannot be "
                                               "used with --style classic"));
        options.style = HeaderStyle::Modern;
    }

    if (const std::optional<QString> problem =
            pictureDefaults(parser, fitOption, levelsOption, shadeOption, options.pictures))
        return refused(err, *problem);

    options.nameRule = parser.isSet(fixNamesOption) ? NameRule::Fix
                       : parser.isSet(werrorOption) ? NameRule::Fail
                                                    : NameRule::Warn;
    options.werror = parser.isSet(werrorOption);
    if (parser.isSet(watchOption)) {
        if (headerPath == u"-")
            return refused(err, QStringLiteral("--watch writes a header file, not standard "
                                               "output: give it with -o HEADER"));
        run.watch = true;
    }
    return run;
}

} // namespace bitvane
