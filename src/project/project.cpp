// Picture lists from project files and from file dialog selections.
#include "project/project.h"

#include "error.h"
#include "project/paths.h"
#include "project/projectfile.h"

#include <QDir>
#include <QFileInfo>

namespace bitvane {

namespace {

std::vector<PictureEntry> EntriesFromRecords(const std::vector<ProjectRecord> &records,
                                             const QString &path)
{
    // A project read from the working folder keeps its locations as written,
    // so that messages name the pictures as the project does.
    const QString folder = QFileInfo(path).path();
    const bool here = folder == u".";
    std::vector<PictureEntry> entries(records.size());
    for (std::size_t k = 0; k < records.size(); ++k) {
        const ProjectRecord &record = records[k];
        PictureEntry &entry = entries[k];
        entry.Name = record.name ? *record.name : GetBaseName(record.location);
        entry.ProjectLocation = record.location;
        entry.Location = here || QDir::isAbsolutePath(record.location)
                             ? record.location
                             : QDir(folder).filePath(record.location);
        entry.Brightness = record.brightness;
        entry.Contrast = record.contrast;
        entry.ProjectLine = record.line;
        entry.Options = record.options;
    }
    return entries;
}

} // namespace

std::vector<PictureEntry> EntriesFromProjectFile(const QString &path)
{
    return ReadProject(path).entries;
}

ProjectContents ReadProject(const QString &path)
{
    ProjectFileContents file = ReadProjectFileContents(path);
    return {file.settings, EntriesFromRecords(file.records, path)};
}

QString StoredLocation(const PictureEntry &entry, const QString &projectPath, bool relative)
{
    const QString given = entry.ProjectLocation.isEmpty() ? entry.Location : entry.ProjectLocation;
    const QString picture = QDir::cleanPath(QFileInfo(entry.Location).absoluteFilePath());
    const QDir folder(QFileInfo(projectPath).absolutePath());
    if (!relative) {
        if (QDir::isAbsolutePath(given) ||
            QDir::cleanPath(folder.absoluteFilePath(given)) == picture)
            return given;
        return picture;
    }
    // "../../../tmp/x.png" from a project in a home folder says less than
    // "/tmp/x.png" and breaks as soon as the project moves.
    const QStringList from = folder.absolutePath().split(u'/', Qt::SkipEmptyParts);
    const QStringList to = picture.split(u'/', Qt::SkipEmptyParts);
    const bool sharedRoot = from.isEmpty() || (!to.isEmpty() && from.front() == to.front());
    const QString path = folder.relativeFilePath(picture);
    return sharedRoot && !QDir::isAbsolutePath(path) ? path : picture;
}

ProjectRecord RecordOf(const PictureEntry &entry)
{
    const QString location =
        entry.ProjectLocation.isEmpty() ? entry.Location : entry.ProjectLocation;
    ProjectRecord record{location, entry.Brightness, entry.Contrast, std::nullopt};
    if (entry.Name != GetBaseName(location))
        record.name = entry.Name;
    record.options = entry.Options;
    return record;
}

QStringList EntryNames(std::span<const PictureEntry> entries)
{
    QStringList names;
    names.reserve(qsizetype(entries.size()));
    for (const PictureEntry &entry : entries)
        names.push_back(entry.Name);
    return names;
}

std::vector<NameUse> EntryNameUses(std::span<const PictureEntry> entries)
{
    std::vector<NameUse> uses;
    uses.reserve(entries.size());
    for (const PictureEntry &entry : entries) {
        if (!entry.Sprite.Image.isEmpty()) {
            uses.push_back(NameUseOf(entry.Sprite));
            continue;
        }
        const PictureOptions options = ResolveOptions(entry.Options);
        // An animated GIF's frames are written as a sheet's are; taking all
        // of them may write any index until the picture is read.
        uses.push_back({options.isSheet() || options.frames != 1, options.frames});
    }
    return uses;
}

NameUse NameUseOf(const LoadedSprite &sprite)
{
    // One frame, of a still picture or a sheet of one cell, is written
    // under NAME alone.
    const int frames = sprite.frameCount();
    return {frames != 1, frames};
}

void AppendSelection(std::vector<PictureEntry> &entries, const QString &selection)
{
    const std::int16_t count = GetFileCount(selection);
    for (std::int16_t i = 1; i <= count; ++i) {
        const QString location = GetFilePath(selection, i);
        // A name typed into the dialog need not exist; taking it would only
        // fail later, at loading, far from the choice that caused it.
        if (!QFileInfo::exists(location))
            throw Error(location, QStringLiteral("does not exist"));
        QString name;
        try {
            name = GetBaseName(location);
        } catch (const Error &e) {
            throw Error(location, e.reason());
        }
        PictureEntry entry;
        entry.Name = name;
        entry.Location = location;
        entries.push_back(std::move(entry));
    }
}

} // namespace bitvane
