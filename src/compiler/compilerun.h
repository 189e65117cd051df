// The one compile both the window and bitvane-compile run.
#pragma once

#include "compiler/headerstyle.h"
#include "imaging/pictureloader.h"
#include "project/pictureentry.h"
#include "project/projectfile.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace bitvane {

// The web address in the header's second line.
inline constexpr char MakerAddress[] = "http://www.bitvane.example/";

struct CompileJob {
    // Name (written verbatim), Location (for the project record) and the
    // settings of each picture; not owned, kept alive through the run.
    std::span<const PictureEntry> entries;
    // The header's style, notation, masks and sharing, and how the project
    // file stores locations; written as the project file's settings line.
    ProjectSettings settings;
    QString headerPath;
    QString projectPath; // empty: no project file is written
    // The project the header is made from, named in the modern header's
    // first comment; when empty, projectPath.
    QString sourceProject;
    // When set, the header goes to this open device (standard output) once
    // the whole run has succeeded; headerPath then only names it in errors.
    QIODevice *headerDevice = nullptr;
    // Files the run reads besides the pictures (the project it was opened
    // from): like the pictures, no target may be one of them.
    std::vector<QString> inputs;
    // More files made before the compile (the dependency file), replaced
    // together with the header and the project file.
    struct ExtraFile {
        QString path;
        QByteArray bytes;
    };
    std::vector<ExtraFile> alsoWritten;

    // The stored four-shade image of entry i with its mask, asked once per
    // entry in order. May throw Error (bitvane-compile decodes here). When
    // empty, each entry's own Image and Mask are compiled. An empty mask
    // draws every pixel of the image.
    std::function<LoadedSprite(int index)> sprite;
    // Called after each entry with the number done and the total.
    std::function<void(int done, int total)> progress;
};

// The header's first three lines, CR LF ended.
QByteArray HeaderPreamble();

// The one compile both the window and bitvane-compile run. Writes the header
// in the job's style (classic: preamble, then per entry the image with
// contrast then brightness applied, its array line, the mask line when asked
// and an empty line; modern: its preamble, the same pictures as SpriteBlock
// writes them, its ending) and, when asked, the project file (the settings
// line when a setting is not the default, then one record per entry, each
// location as StoredLocation gives it). Both are written beside their targets and replace them only
// when the whole run has succeeded: on any failure this throws Error and
// both targets keep their previous bytes.
void RunCompile(const CompileJob &job);

} // namespace bitvane
