// Reading a header back: the sprite arrays this program writes, in either
// style and notation, with their masks, as four-shade pictures.
#pragma once

#include "compiler/headerstyle.h"
#include "imaging/spritemask.h"
#include "imaging/surface.h"

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

namespace bitvane {

// A part of the header that was passed over; the caller shows it as
// "HEADER:LINE: warning: TEXT".
struct HeaderWarning {
    int line = 0;
    QString text;

    friend bool operator==(const HeaderWarning &, const HeaderWarning &) = default;
};

// One sprite array as the header holds it.
struct HeaderSprite {
    QString name;
    int line = 0; // where its declaration starts, 1-based
    HeaderStyle style = HeaderStyle::Classic;
    bool hex = true;
    bool shared = false; // defined without "static", as --shared writes it
    // 8, 16 or 32 pixels wide (from the element type), half the element
    // count high, every pixel one of the four shades; a sheet's frames side
    // by side, left to right.
    PictureSurface picture;
    // A modern sheet's frame count (NAME[FRAMES][COUNT]); 0 for a plain array.
    int frames = 0;
    // From the NAME_mask array that directly follows, if there is one; a
    // sheet's is one frame wide, the frames' rows one after another.
    std::optional<SpriteMask> mask;
};

// The most warnings a header's reading keeps; the rest are only counted.
inline constexpr std::size_t MostWarningsKept = 100;

// The line that stands for warnings left out: "... and 99,900 more".
QString LeftOutText(std::size_t leftOut);

struct HeaderContents {
    std::vector<HeaderSprite> sprites;   // in header order
    std::vector<HeaderWarning> warnings; // the first MostWarningsKept, by line
    std::size_t warningsLeftOut = 0;     // how many more there were
    // How to compile the pictures to get the arrays back: the first
    // array's style, notation, sharing and whether it has a mask. An array
    // that differs from the first gets a warning, as one compile cannot give
    // both.
    HeaderStyle style = HeaderStyle::Classic;
    bool hex = true;
    bool masks = false;
    bool shared = false;
};

// The sprite arrays of a header's text (CR LF or LF line ends). Comments,
// preprocessor lines and an `extern "C"` block's braces are passed over
// silently; any other declaration is skipped with a warning, one for each
// run of them. An array whose element count no sprite has (odd, zero or
// above 480, two planes of 240 rows), or a modern sheet without frames or
// with more than MaxSprites, is skipped with a warning of its own.
// Throws Error naming headerName, the line and the reason for an array whose
// digits are no number or do not fit the element type, whose count differs
// from its elements, or that is cut short, and for a sprite array beyond the
// MaxProjectRecords a project can list.
HeaderContents ReadHeader(QByteArrayView text, const QString &headerName);

// ReadHeader on a file's contents; throws Error when it cannot be read or is
// not text ("not a text file (a PNG picture)").
// Messages name the file as given.
HeaderContents ReadHeaderFile(const QString &headerPath);

} // namespace bitvane
