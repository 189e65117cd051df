// Picture lists from project files and from file dialog selections.
#include "project/project.h"

#include "error.h"
#include "project/paths.h"
#include "project/projectfile.h"

#include <QFileInfo>

namespace bitvane {

std::vector<PictureEntry> EntriesFromProjectFile(const QString &path)
{
    const std::vector<ProjectRecord> records = ReadProjectFile(path);
    std::vector<PictureEntry> entries(records.size());
    for (std::size_t k = 0; k < records.size(); ++k) {
        PictureEntry &entry = entries[k];
        entry.Name = GetBaseName(records[k].location);
        entry.Location = records[k].location;
        entry.Brightness = records[k].brightness;
        entry.Contrast = records[k].contrast;
        entry.ProjectLine = records[k].line;
    }
    return entries;
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
