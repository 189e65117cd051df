// Writing the sprites read from a header as PNG pictures into a folder,
// with the project file that compiles them back, all of them or none.
#pragma once

#include "compiler/headerreader.h"
#include "project/projectfile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace bitvane {

// One picture written: the array's name as the header gives it (the entry
// name that compiles back to it) and the PNG's path.
struct ExtractedPicture {
    QString name;
    QString path;

    friend bool operator==(const ExtractedPicture &, const ExtractedPicture &) = default;
};

struct Extraction {
    std::vector<ExtractedPicture> pictures; // in header order
    QString projectPath;                    // FOLDER/NAME.bvp listing them
    std::vector<HeaderWarning> warnings;    // from reading the header, the first ones
    std::size_t warningsLeftOut = 0;        // and how many more
    // What compiles the pictures back into the header's arrays.
    HeaderStyle style = HeaderStyle::Classic;
    bool hex = true;
    bool masks = false;
    // Hidden staging folders that runs killed before their end had left in
    // the folder, removed once this one had succeeded.
    QStringList removedStaging;
};

// The PNG of one sprite: 8-bit grey (0, 85, 170, 255) without a mask; with
// one, grey and alpha, drawn pixels opaque. An undrawn pixel is written as
// what, laid over white, gives its shade back with alpha below a half
// (white fully transparent, light as black at a third); dark and black
// have no such form and are kept as transparent grey. A sheet's picture is
// its frames side by side, its mask one frame wide with the frames' rows one
// after another.
QByteArray SpritePng(const PictureSurface &picture, const SpriteMask *mask);

// The file names, "NAME.png" in sprite order: characters no file name may
// hold become '_', a leading '.' too, an empty name "sprite", a long one is
// cut to 200 bytes (whole characters); a name taken before (in any letter
// case) gets "_2", "_3", ... Linear in the number of sprites.
std::vector<QString> PictureFileNames(const std::vector<HeaderSprite> &sprites);

// Writes every sprite into folder, which is created if missing. Unless
// force, a name already there (a dangling symbolic link too) is an Error
// before anything is written; with it, what stands under the name is
// replaced (a symbolic link itself, never what it leads to). The pictures
// are staged in a hidden folder inside it and moved into place together, so
// that a failure leaves folder as it was (or not created), previous files
// put back. Staging folders that killed runs left there (ten minutes old,
// held by no running one) are removed after a success.
std::vector<ExtractedPicture> WritePictures(const std::vector<HeaderSprite> &sprites,
                                            const QString &folder, bool force);

// The project file's name for a header: "sprites.h" gives "sprites.bvp".
QString ProjectFileNameFor(const QString &headerPath);

// The project file listing the pictures in order, each by its bare file
// name (taken from the project's folder), brightness and contrast 0, the
// array's name where it is not the file's base name, a sheet's cell and
// frame count as its options (cell=WxH;frames=N), after the settings
// line of the header's style, notation, masks and sharing, so that it
// compiles back to the same arrays without options. Throws Error naming
// headerPath and the array's line for a name a project file cannot hold.
QByteArray ExtractionProject(const std::vector<HeaderSprite> &sprites, const QString &headerPath,
                             const ProjectSettings &settings = {});

// WritePictures with the project file: the pictures of contents and
// FOLDER/NAME.bvp (NAME from headerPath) written together, all or none, and
// a file already there refused unless force, as WritePictures does. A header
// without sprite arrays, or with more than a project can list, is an Error
// naming it.
Extraction WriteExtraction(HeaderContents contents, const QString &headerPath,
                           const QString &folder, bool force);

// ReadHeaderFile, then WriteExtraction.
Extraction ExtractHeader(const QString &headerPath, const QString &folder, bool force);

// The one line that tells what staging folders an extraction into folder
// removed ("FOLDER: note: removed .bitvane-extract-Ab12Cd, left by an
// interrupted extraction"), or an empty string when it removed none.
QString RemovedStagingNote(const QString &folder, const QStringList &removed);

} // namespace bitvane
