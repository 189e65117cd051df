// Picture loading: a BMP, GIF, JPEG or PNG file to the sprite image an entry keeps.
#pragma once

#include "imaging/pictureoptions.h"
#include "imaging/spritemask.h"
#include "imaging/surface.h"

#include <QByteArray>
#include <QSize>
#include <QString>

namespace bitvane {

inline constexpr int MaxSpriteHeight = 240;

// The sprite width a picture w pixels wide is fitted to: 8, 16 or 32.
constexpr int SpriteWidthFor(int w)
{
    return w <= 8 ? 8 : w <= 16 ? 16 : 32;
}

// Decodes a BMP, GIF, JPEG or PNG picture at its own size (the first frame
// of an animation), without colour management, transparency composited over
// white. Throws Error naming the file and saying why it cannot be read:
// missing, a folder, not an ordinary file, not readable, empty, not a
// picture, truncated, damaged or too large (more than 2^27 pixels).
PictureSurface DecodePicture(const QString &path);
// The same from bytes already read; fileName only names the file in errors.
PictureSurface DecodePicture(const QByteArray &data, const QString &fileName);

// Width rule (8, 16 or 32: padded on the right with white, or cut) and
// height rule (cut at 240).
void FitToSprite(PictureSurface &picture);

// What loading a picture gives: the sprite, which of its pixels the source
// draws, and the source's own size, to tell the user what fitting did.
struct LoadedSprite {
    PictureSurface Image = {};  // fitted and reduced to the four shades
    SpriteMask Mask = {};       // alpha of at least half; padding never drawn
    QSize SourceSize = {};      // as the file declares it, before any cut
    PictureSurface Fitted = {}; // fitted, not yet reduced: what the adjustments are judged against
    int Columns = 0;            // the fitted picture's own columns; the rest is white padding
};

// What fitting did to a picture of this source size, for the user: "cut from
// 160 x 120", "padded from 5 px wide", both joined by "; ", or empty when the
// picture is used whole.
QString FittingNote(QSize source);
// The same for a picture fitted with these options: a scaled one is "scaled
// from 640 x 480", with the padding note when it is padded.
QString FittingNote(QSize source, const PictureOptions &options);

// The same for bitvane-compile's warning: "picture.png is 160 x 120; only the
// left 32 x 120 is used", or empty when the picture is used whole.
QString FittingWarning(const QString &fileName, QSize source);

// Decode, fit (cut, or scale the whole picture), apply the levels and shade
// to the four shades as the options say, keeping the mask of the source's
// transparency (the shades themselves see it composited over white). The
// default options give the sprite of every earlier version.
LoadedSprite LoadSprite(const QString &path, const PictureOptions &options = {});

// LoadSprite's image alone: the image a picture entry keeps.
PictureSurface LoadPicture(const QString &path, const PictureOptions &options = {});

} // namespace bitvane
