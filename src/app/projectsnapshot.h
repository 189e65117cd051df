// ProjectSnapshot: what of a project the user would lose, to tell whether anything changed.
#pragma once

#include "project/pictureentry.h"

#include <span>
#include <vector>

namespace bitvane {

// The pictures of a project as the project file would record them: their
// order, locations, names and settings (fit, levels and shading too). Two snapshots are equal
// exactly when nothing worth keeping differs, so that a slider moved and moved back is no change.
class ProjectSnapshot {
public:
    ProjectSnapshot() = default;
    explicit ProjectSnapshot(std::span<const PictureEntry> entries)
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
    std::vector<Row> m_rows;
};

} // namespace bitvane
