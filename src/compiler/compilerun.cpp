// The compile run: preamble, one block per entry in the chosen style, project records, atomic save.
#include "compiler/compilerun.h"

#include "compiler/outputset.h"
#include "error.h"
#include "fileaccess.h"
#include "imaging/adjustments.h"
#include "project/project.h"
#include "project/projectfile.h"

#include <QFileInfo>
#include <QIODevice>

#include <cerrno>

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
    // Every target is checked before the first picture is asked for.
    OutputSet outputs;
    for (const QString &input : job.inputs)
        outputs.addInput(input);
    for (const PictureEntry &entry : job.entries)
        outputs.addInput(entry.Location);
    OutputFile *headerFile = nullptr;
    QByteArray headerBytes;
    if (job.headerDevice) {
        if (!job.headerDevice->isWritable())
            throw Error(job.headerPath, QStringLiteral("cannot be written: not open for writing"));
    } else {
        headerFile = &outputs.add(job.headerPath);
    }
    OutputFile *project = job.projectPath.isEmpty() ? nullptr : &outputs.add(job.projectPath);
    for (const CompileJob::ExtraFile &file : job.alsoWritten)
        outputs.add(file.path, file.bytes);
    // A device cannot be taken back, so it gets the header only once the
    // whole header is made.
    auto write = [&](QByteArrayView bytes) {
        if (headerFile)
            headerFile->write(bytes);
        else
            headerBytes += bytes;
    };

    const ProjectSettings &settings = job.settings;
    const bool modern = settings.style == HeaderStyle::Modern;
    const bool shared = modern && settings.shared;
    const QString source = job.sourceProject.isEmpty() ? job.projectPath : job.sourceProject;
    const QString guardName = GuardName(job, source);
    write(modern ? ModernPreamble(guardName, source, shared) : HeaderPreamble());
    if (project)
        project->write(FormatSettingsLine(settings));
    int sprites = 0;
    // Kept from entry to entry, so that a project of single pictures
    // allocates no more than one frame's worth.
    std::vector<PictureSurface> work;
    std::vector<SpriteMask> opaque;
    std::vector<const SpriteMask *> masks;
    for (int i = 0; i < total; ++i) {
        const PictureEntry &entry = job.entries[std::size_t(i)];
        const LoadedSprite &sprite = job.sprite ? job.sprite(i) : entry.Sprite;
        const int frames = sprite.frameCount();
        sprites += frames;
        if (sprites > MaxSprites)
            throw Error(source.isEmpty() ? QStringLiteral("the project") : source,
                        QStringLiteral("more than the %1 sprites a project can hold (a sheet's "
                                       "frames each counted)")
                            .arg(MaxSprites));
        work.resize(std::size_t(frames));
        opaque.resize(std::size_t(frames));
        masks.clear();
        for (int f = 0; f < frames; ++f) {
            try {
                ApplyAdjustments(work[std::size_t(f)], sprite.frameImage(f), entry.Contrast,
                                 entry.Brightness);
            } catch (const Error &e) {
                // The passes know the setting but not the picture it belongs to.
                if (!e.file().isEmpty())
                    throw;
                throw Error(entry.Location.isEmpty() ? entry.Name : entry.Location, e.reason());
            }
            if (!settings.masks)
                continue;
            const SpriteMask &own = sprite.frameMask(f);
            if (own.rows.empty())
                opaque[std::size_t(f)] =
                    OpaqueMask(work[std::size_t(f)].width(), work[std::size_t(f)].height());
            masks.push_back(own.rows.empty() ? &opaque[std::size_t(f)] : &own);
        }
        if (frames == 1)
            write(SpriteBlock(settings.style, work[0], entry.Name, settings.hex,
                              masks.empty() ? nullptr : masks[0], shared));
        else if (modern)
            write(SheetBlock(work, entry.Name, settings.hex, masks, shared));
        else
            for (int f = 0; f < frames; ++f)
                write(SpriteBlock(settings.style, work[std::size_t(f)],
                                  entry.Name + QLatin1Char('_') + QString::number(f), settings.hex,
                                  masks.empty() ? nullptr : masks[std::size_t(f)], shared));
        if (project) {
            ProjectRecord record = RecordOf(entry);
            record.location = StoredLocation(entry, job.projectPath, settings.relativeLocations);
            project->write(FormatProjectRecord(record));
        }
        if (job.progress)
            job.progress(i + 1, total);
    }
    if (modern)
        write(ModernEnding(guardName));

    outputs.commit();
    if (headerFile)
        return;
    errno = 0;
    if (job.headerDevice->write(headerBytes) != headerBytes.size())
        throw Error(
            job.headerPath,
            QStringLiteral("cannot be written: %1").arg(DeviceReason(*job.headerDevice, errno)));
}

} // namespace bitvane
