// PictureEntry: one picture of a project, as the window and the compile see it.
#pragma once

#include "imaging/pictureloader.h"
#include "project/optionfield.h"

#include <QSize>
#include <QString>

#include <cstdint>

namespace bitvane {

// One picture of a project. A list of them, in project order, is the one
// record of what the project holds: the file list shows it, the sliders and
// removal change it, the compile writes it.
struct PictureEntry {
    QString Name; // the array name
    // The picture's path as it is opened: as chosen, or the project file's
    // location resolved against the project file's folder.
    QString Location;
    // The picture as loading gave it (sprite, mask, source size, the fitted
    // picture in the window); empty until loaded.
    LoadedSprite Sprite;
    std::int16_t Contrast = 0;
    std::int16_t Brightness = 0;
    // The location as the project file gives it, written back unchanged;
    // empty for a picture added in the window.
    QString ProjectLocation = {};
    int ProjectLine = 0; // its record's line in the project file it came from, if any
    // Fit, levels and shading as the record chooses them; unset ones fall to
    // the defaults (the window's are the plain defaults).
    OptionChoices Options = {};
};

} // namespace bitvane
