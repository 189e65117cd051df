// PictureEntry: one picture of a project, as the window and the compile see it.
#pragma once

#include "imaging/spritemask.h"
#include "imaging/surface.h"

#include <QSize>
#include <QString>

#include <cstdint>

namespace bitvane {

// One picture of a project. A list of them, in project order, is the one
// record of what the project holds: the file list shows it, the sliders and
// removal change it, the compile writes it.
struct PictureEntry {
    QString Name;         // the array name
    QString Location;     // the picture's path, as chosen or as the project file gives it
    PictureSurface Image; // fitted and reduced to the four shades; empty until loaded
    std::int16_t Contrast = 0;
    std::int16_t Brightness = 0;
    SpriteMask Mask;  // the pixels the source draws, from its transparency; empty until loaded
    QSize SourceSize; // the picture's own size before fitting
    PictureSurface Fitted = {}; // the picture fitted, before the reduction to four shades
    int ProjectLine = 0;        // its record's line in the project file it came from, if any
};

} // namespace bitvane
