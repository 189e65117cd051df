// The compile run: preamble, one block per entry in the chosen style, project records, atomic save.
#include "compiler/compilerun.h"

#include "compiler/outputfile.h"
#include "error.h"
#include "fileaccess.h"
#include "imaging/adjustments.h"
#include "project/paths.h"
#include "project/project.h"
#include "project/projectfile.h"

#include <QFileInfo>
#include <QIODevice>

#include <cerrno>
#include <optional>

namespace bitvane {

namespace {

constexpr char LineEnd[] = "\r\n";

// The file name the modern header's guard is made from. A header sent to a
// device (standard output) has none of its own, so it gets the name the
// window proposes for it: the project's.
QString GuardName(const CompileJob &job, const QString &project)
{
    if (!job.headerDevice)
        return job.headerPath;
    const QString base = QFileInfo(project).completeBaseName();
    return (base.isEmpty() ? QStringLiteral("sprites") : base) + QStringLiteral(".h");
}

} // namespace

QByteArray HeaderPreamble()
{
    QByteArray text;
    text += "// Sprite header file made with Bitvane 2.0";
    text += LineEnd;
    text += "// ";
    text += MakerAddress;
    text += LineEnd;
    text += LineEnd;
    return text;
}

void RunCompile(const CompileJob &job)
{
    const int total = int(job.entries.size());
    if (total > MaxProjectRecords)
        throw Error(QStringLiteral("%1 pictures are more than the %2 a project can hold")
                        .arg(total)
                        .arg(MaxProjectRecords));
    const bool withProject = !job.projectPath.isEmpty();
    if (withProject && SameFile(job.headerPath, job.projectPath))
        throw Error(job.headerPath,
                    QStringLiteral("the header and the project file cannot be the same file"));

    // Every target is checked before the first picture is asked for.
    std::optional<OutputFile> headerFile;
    QByteArray headerBytes;
    if (job.headerDevice) {
        if (!job.headerDevice->isWritable())
            throw Error(job.headerPath, QStringLiteral("cannot be written: not open for writing"));
    } else {
        headerFile.emplace(job.headerPath);
    }
    std::optional<OutputFile> project;
    if (withProject)
        project.emplace(job.projectPath);
    // A device cannot be taken back, so it gets the header only once the
    // whole header is made.
    auto write = [&](QByteArrayView bytes) {
        if (headerFile)
            headerFile->write(bytes);
        else
            headerBytes += bytes;
    };

    const bool modern = job.style == HeaderStyle::Modern;
    const QString source = job.sourceProject.isEmpty() ? job.projectPath : job.sourceProject;
    const QString guardName = GuardName(job, source);
    write(modern ? ModernPreamble(guardName, source) : HeaderPreamble());
    for (int i = 0; i < total; ++i) {
        const PictureEntry &entry = job.entries[std::size_t(i)];
        const LoadedSprite &sprite = job.sprite ? job.sprite(i) : entry.Sprite;
        PictureSurface work;
        try {
            ApplyAdjustments(work, sprite.Image, entry.Contrast, entry.Brightness);
        } catch (const Error &e) {
            // The passes know the setting but not the picture it belongs to.
            if (!e.file().isEmpty())
                throw;
            throw Error(entry.Location.isEmpty() ? entry.Name : entry.Location, e.reason());
        }
        SpriteMask opaque;
        if (job.masks && sprite.Mask.rows.empty())
            opaque = OpaqueMask(work.width(), work.height());
        const SpriteMask *mask = !job.masks            ? nullptr
                                 : opaque.rows.empty() ? &sprite.Mask
                                                       : &opaque;
        write(SpriteBlock(job.style, work, entry.Name, job.hex, mask));
        if (project)
            project->write(FormatProjectRecord(RecordOf(entry)));
        if (job.progress)
            job.progress(i + 1, total);
    }
    if (modern)
        write(ModernEnding(guardName));

    if (headerFile) {
        CommitTogether(*headerFile, project ? &*project : nullptr);
        return;
    }
    if (project)
        CommitTogether(*project, nullptr);
    errno = 0;
    if (job.headerDevice->write(headerBytes) != headerBytes.size())
        throw Error(
            job.headerPath,
            QStringLiteral("cannot be written: %1").arg(DeviceReason(*job.headerDevice, errno)));
}

} // namespace bitvane
