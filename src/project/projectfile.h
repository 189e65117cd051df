// ProjectRecord and the .bvp project file's writer and reader.
#pragma once

#include "compiler/headerstyle.h"
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

// What a project remembers of its output besides the pictures: the header's
// style, masks and notation, whether a modern header is shared by several C
// files, and how the project file stores picture locations. Relative
// locations are written relative to the project file's folder; otherwise
// each location is kept as the project file gave it or as it was chosen.
struct ProjectSettings {
    HeaderStyle style = HeaderStyle::Classic;
    bool masks = false;
    bool hex = true;
    bool relativeLocations = false;
    bool shared = false; // modern only: extern declarations, one definition

    friend bool operator==(const ProjectSettings &, const ProjectSettings &) = default;
};

// The project file's first line,
// "#bitvane style=modern;masks=on;notation=binary;locations=relative;shared=on"
// CR LF with only the keys whose value differs from the default, in that
// order; empty when every setting is the default, so that such projects keep
// the record-only format byte for byte.
QByteArray FormatSettingsLine(const ProjectSettings &settings);

// The settings a project file's first line holds, or the defaults when it
// has no settings line. Throws Error naming the file and line 1 for an
// unknown key, a value the key does not take, a key given twice, or shared
// without the modern style.
ProjectSettings ParseProjectSettings(QByteArrayView bytes, const QString &fileName);

// Parses a whole project file; fileName only names the file in errors.
// The settings line is passed over (ParseProjectSettings reads it).
// Throws Error naming the file, the line and what is wrong; there is never a
// partial result.
std::vector<ProjectRecord> ParseProject(const QByteArray &bytes, const QString &fileName);

// A project file's settings and records together.
struct ProjectFileContents {
    ProjectSettings settings;
    std::vector<ProjectRecord> records;
};

// Reads the file at path and parses its settings line and records. Throws
// Error (missing, not an ordinary file, unreadable, longer than a project
// can be, malformed, a settings line refused, a picture or header rather
// than a project).
ProjectFileContents ReadProjectFileContents(const QString &path);

// ReadProjectFileContents' records.
std::vector<ProjectRecord> ReadProjectFile(const QString &path);

} // namespace bitvane
