#pragma once

#include "imaging/surface.h"

#include <QString>

#include <cstdint>

namespace bitvane {

// One picture of a project, matched by position with a row of the file list.
struct PictureEntry {
    QString Name;         // the array name
    PictureSurface Image; // fitted and reduced to the four shades
    std::int16_t Contrast = 0;
    std::int16_t Brightness = 0;
};

} // namespace bitvane
