// bitvane-compile's compile: the window's compile without the window, pictures decoded on worker
// threads.
#include "cli/compilecommand.h"

#include "cli/diagnostics.h"
#include "cli/oneline.h"
#include "cli/picturequeue.h"
#include "cli/watchcommand.h"
#include "compiler/compilerun.h"
#include "compiler/outputset.h"
#include "error.h"
#include "imaging/pictureloader.h"
#include "project/depfile.h"
#include "project/identifiers.h"
#include "project/project.h"

#include <QFile>

#include <unistd.h>

namespace bitvane {

namespace {

// Names a C compiler would refuse: with Warn one warning line each, in the
// compilers' form so that editors find the line; with Fail the same as
// errors, and false (nothing is compiled); with Fix they are changed.
bool checkNames(std::FILE *err, const QString &projectPath, std::vector<PictureEntry> &entries,
                NameRule rule, bool modern)
{
    const QStringList names = EntryNames(entries);
    // A sheet writes the names of its frames, which its record's options
    // tell before any picture is read, unless it takes all of them: then
    // the picture's frames are counted (a still one writes NAME alone). One
    // that cannot be counted is left as possibly writing any NAME_<index>;
    // the compile reports why it cannot be read.
    std::vector<NameUse> uses = EntryNameUses(entries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (uses[i].frames != 0)
            continue;
        try {
            const int frames = CountFrames(entries[i].Location, ResolveOptions(entries[i].Options));
            uses[i] = {frames != 1, frames};
        } catch (const Error &) {
        }
    }
    if (rule == NameRule::Fix) {
        const QStringList fixed = FixNames(names, uses, modern);
        for (std::size_t i = 0; i < entries.size(); ++i)
            entries[i].Name = fixed[qsizetype(i)];
        return true;
    }
    const std::vector<QString> problems = NameProblems(names, uses, modern);
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
// and gets none. A sheet's warning speaks of its cells, which are fitted.
bool warnIfFitted(std::FILE *err, const QString &projectPath, const PictureEntry &entry,
                  const PictureOptions &options, QSize source, bool werror)
{
    if (options.fit == FitMode::Scale)
        return false;
    const QString warning = FittingWarning(
        options.isSheet() ? QStringLiteral("each cell of %1").arg(entry.Location) : entry.Location,
        source);
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

} // namespace

int CompileCommand(std::FILE *err, const QString &projectPath, const QString &headerPath,
                   const CompileOptions &options, CompileReport *report)
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
    CompileJob job;
    job.settings = project.settings;
    job.settings.hex = options.hex.value_or(job.settings.hex);
    job.settings.style = options.style.value_or(job.settings.style);
    if (!checkNames(err, projectPath, entries, options.nameRule,
                    job.settings.style == HeaderStyle::Modern))
        return 1;
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
    int failed = -1; // the picture being taken when the compile failed
    std::optional<Error> pictureFailure;
    bool warningsWereErrors = false;
    {
        PictureQueue queue(pictures);
        LoadedSprite sprite; // the one being written
        job.sprite = [&](int index) -> const LoadedSprite & {
            failed = index;
            sprite = queue.take(index);
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

} // namespace bitvane
