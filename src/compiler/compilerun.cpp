// The compile run: preamble, one array line per entry, project records, atomic save.
#include "compiler/compilerun.h"

#include "compiler/outputfile.h"
#include "compiler/spritearray.h"
#include "error.h"
#include "fileaccess.h"
#include "imaging/adjustments.h"
#include "project/paths.h"
#include "project/project.h"
#include "project/projectfile.h"

#include <QIODevice>

#include <cerrno>
#include <optional>

namespace bitvane {

namespace {

constexpr char LineEnd[] = "\r\n";

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

    write(HeaderPreamble());
    for (int i = 0; i < total; ++i) {
        const PictureEntry &entry = job.entries[std::size_t(i)];
        PictureSurface work = job.image ? job.image(i) : entry.Image;
        try {
            ApplyAdjustments(work, work, entry.Contrast, entry.Brightness);
        } catch (const Error &e) {
            // The passes know the setting but not the picture it belongs to.
            if (!e.file().isEmpty())
                throw;
            throw Error(entry.Location.isEmpty() ? entry.Name : entry.Location, e.reason());
        }
        write(MakeSpriteArray(work, entry.Name, job.hex));
        write(LineEnd);
        write(LineEnd);
        if (project)
            project->write(FormatProjectRecord(RecordOf(entry)));
        if (job.progress)
            job.progress(i + 1, total);
    }

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
