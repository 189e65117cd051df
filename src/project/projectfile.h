// ProjectRecord and the .bvp project file's writer and reader.
#pragma once

#include "project/optionfield.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace bitvane {

// One line of a .bvp project file: "location",brightness,contrast CR LF, or
// "location",brightness,contrast,"name" CR LF for a picture whose array name
// is not its file's base name, or "location",brightness,contrast,"name","options"
// CR LF for a picture with options other than the defaults.
struct ProjectRecord {
    QString location;
    std::int16_t brightness = 0;
    std::int16_t contrast = 0;
    std::optional<QString> name = {}; // none: the base name of the location
    int line = 0; // where the reader found it (1-based); 0 for a record made in memory
    OptionChoices options = {}; // the fifth field; written as the choices resolve over the defaults

    // The same record wherever it stands in its file.
    friend bool operator==(const ProjectRecord &a, const ProjectRecord &b)
    {
        return a.location == b.location && a.brightness == b.brightness &&
               a.contrast == b.contrast && a.name == b.name && a.options == b.options;
    }
};

inline constexpr int MaxProjectRecords = 32767;
inline constexpr int MinBrightness = -255, MaxBrightness = 255;
inline constexpr int MinContrast = -100, MaxContrast = 100;
// Names are stored as UTF-8; a name may be as long as a path.
inline constexpr int MaxNameBytes = 4096;

// Why name cannot be stored in a project file ("holds a double quote"), or
// an empty string when it can.
QString NameStorageProblem(const QString &name);

// The record's line, CR LF included. Locations are stored as the file
// system's own bytes (UTF-8), names as UTF-8. Throws Error for a location or
// name the format cannot hold (a double quote or a line break in it).
QByteArray FormatProjectRecord(const ProjectRecord &record);

// Parses a whole project file; fileName only names the file in errors.
// Throws Error naming the file, the line and what is wrong; there is never a
// partial result.
std::vector<ProjectRecord> ParseProject(const QByteArray &bytes, const QString &fileName);

// Reads and parses the file at path. Throws Error (missing, not an ordinary
// file, unreadable, longer than a project can be, malformed).
std::vector<ProjectRecord> ReadProjectFile(const QString &path);

} // namespace bitvane
