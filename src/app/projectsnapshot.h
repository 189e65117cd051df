// ProjectSnapshot: what of a project the user would lose, to tell whether anything changed.
#pragma once

#include "project/pictureentry.h"
#include "project/projectfile.h"

#include <span>
#include <vector>

namespace bitvane {

// A project as the project file would record it: its settings line and its
// pictures' order, locations, names and settings (fit, levels and shading
// too). Two snapshots are equal exactly when nothing worth keeping differs,
// so that a slider moved and moved back is no change.
class ProjectSnapshot {
public:
    ProjectSnapshot() = default;
    ProjectSnapshot(std::span<const PictureEntry> entries, const ProjectSettings &settings)
        : m_settings(settings)
    {
        m_rows.reserve(entries.size());
        for (const PictureEntry &e : entries)
            m_rows.push_back(
                {e.Location, e.Name, e.Brightness, e.Contrast, ResolveOptions(e.Options)});
    }

    friend bool operator==(const ProjectSnapshot &, const ProjectSnapshot &) = default;

private:
    struct Row {
        QString location;
        QString name;
        std::int16_t brightness;
        std::int16_t contrast;
        PictureOptions options; // fit, levels and shading as they take effect
        friend bool operator==(const Row &, const Row &) = default;
    };
    ProjectSettings m_settings;
    std::vector<Row> m_rows;
};

} // namespace bitvane
