// The project record's option field: a picture's fit, levels and shading as key=value pairs.
#pragma once

#include "imaging/pictureoptions.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <utility>

namespace bitvane {

// Room for the option field in a project file's longest record, with keys to spare.
inline constexpr int MaxOptionBytes = 1024;

// What a record chooses for its picture. A choice left unset falls to the
// defaults in force (bitvane-compile's --fit, --levels, --shade); one
// written out, even at its default value, wins over them.
struct OptionChoices {
    std::optional<FitMode> fit;
    std::optional<int> width;                  // with fit Scale only: 8, 16 or 32
    std::optional<std::pair<int, int>> levels; // black and white points, taken together
    std::optional<ShadeMode> shade;
    std::optional<std::pair<int, int>> cell; // width and height of a sheet's cells
    std::optional<int> frames;               // 0: all

    friend bool operator==(const OptionChoices &, const OptionChoices &) = default;
};

// The options a picture is made with: its record's choices over the defaults.
// Levels are one choice: a record giving only black or white takes the other
// from 0 and 255, not from the defaults.
PictureOptions ResolveOptions(const OptionChoices &choices, const PictureOptions &defaults = {});

// Every option set as a choice, for a picture whose options are changed in
// the window.
OptionChoices ChoicesOf(const PictureOptions &options);

// Parses the field's text: parts joined by ';', each key=value with a known
// key (fit, width, black, white, shade, cell, frames) and a valid value, no
// spaces, no key twice, width only with fit=scale, black below white, cell
// WxH of 1 to 9999 each, frames a count from 1 or "all". Empty: no choices.
// Throws Error "FILE:LINE: bad option 'PART'" at the first wrong part.
OptionChoices ParseOptionField(QByteArrayView field, const QString &file, int line);

// The field's text: fit, width, black, white, shade in that order, each only
// when it differs from the default, then a sheet's cell and frames, always
// together; empty when none is written.
QByteArray FormatOptionField(const PictureOptions &options);

} // namespace bitvane
