// Picture loading: a BMP, GIF, JPEG or PNG file to the sprite image an entry keeps.
#pragma once

#include "imaging/decodedpicture.h"
#include "imaging/pictureoptions.h"
#include "imaging/spritemask.h"
#include "imaging/surface.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSize>
#include <QString>

#include <vector>

namespace bitvane {

inline constexpr int MaxSpriteHeight = 240;

// The sprite width a picture w pixels wide is fitted to: 8, 16 or 32.
constexpr int SpriteWidthFor(int w)
{
    return w <= 8 ? 8 : w <= 16 ? 16 : 32;
}

// Decodes the top-left keep of a BMP, GIF, JPEG or PNG picture in data
// (the first image of an animation, on its logical screen), without colour
// management, transparency composited over white and kept as alpha; only as
// much of the file is decoded as the kept part needs. The format comes from
// the content; name only names the file in errors. Throws Error naming the
// file and saying why it cannot be read: empty, not a picture, truncated,
// damaged, too large (more than 2^27 pixels) or needing more memory than
// the budget has.
DecodedPicture DecodeKept(QByteArrayView data, const QString &name, QSize keep,
                          DecodeBudget &budget);

// The whole picture in a file (missing, a folder, not an ordinary file or
// not readable are refused too), for what uses more than a sprite's corner.
DecodedPicture DecodeWholePicture(const QString &path, DecodeBudget &budget = RunDecodeBudget());

// The same, its pixels alone; from bytes already read, fileName only names
// the file in errors.
PictureSurface DecodePicture(const QString &path, DecodeBudget &budget = RunDecodeBudget());
PictureSurface DecodePicture(const QByteArray &data, const QString &fileName,
                             DecodeBudget &budget = RunDecodeBudget());

// Width rule (8, 16 or 32: padded on the right with white, or cut) and
// height rule (cut at 240).
void FitToSprite(PictureSurface &picture);

// One more frame of a sheet: its sprite, mask and fitted picture, as
// LoadedSprite holds the first.
struct SpriteFrame {
    PictureSurface Image = {};
    SpriteMask Mask = {};
    PictureSurface Fitted = {};
};

// What loading a picture gives: the sprite, which of its pixels the source
// draws, and the source's own size, to tell the user what fitting did. A
// picture entry holds it as it comes. A sheet's first frame is the sprite,
// the others follow in MoreFrames (empty for a single picture, so that one
// costs no more than before); an animation's frames keep their delays.
struct LoadedSprite {
    PictureSurface Image = {}; // fitted (cut or scaled) and reduced to the four shades
    SpriteMask Mask = {};      // alpha of at least half; padding never drawn
    QSize SourceSize = {};     // as the file declares it, before any cut
    // Fitted, not yet reduced: what the window's "before" view shows; only
    // kept when asked for.
    PictureSurface Fitted = {};
    int Columns = 0; // the fitted picture's own columns; the rest is white padding
    std::vector<SpriteFrame> MoreFrames = {};
    // A sheet's whole picture, of which SourceSize is one cell; empty for a
    // picture that is no sheet.
    QSize SheetSize = {};
    // An animated GIF's frames' delays in centiseconds, as the file gives
    // them, one per frame; empty for a sheet or a single picture.
    std::vector<int> Delays = {};
    // Read from a GIF, which may hold more frames than were taken.
    bool Gif = false;

    int frameCount() const { return 1 + int(MoreFrames.size()); }
    const PictureSurface &frameImage(int i) const
    {
        return i == 0 ? Image : MoreFrames[std::size_t(i - 1)].Image;
    }
    const SpriteMask &frameMask(int i) const
    {
        return i == 0 ? Mask : MoreFrames[std::size_t(i - 1)].Mask;
    }
    const PictureSurface &frameFitted(int i) const
    {
        return i == 0 ? Fitted : MoreFrames[std::size_t(i - 1)].Fitted;
    }
};

// The most sprites a project writes, a sheet's frames each counted.
inline constexpr int MaxSprites = 32767;

enum class KeepFitted { No, Yes };

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
// default options give the sprite of every earlier version. Cutting decodes
// only the corner it keeps; scaling decodes the whole picture, within the
// budget.
//
// A sheet (options.cellWidth > 0) is decoded whole and cut into cells, left
// to right, then top to bottom; each of the first options.frames cells (0:
// all whole cells) is fitted and shaded like a picture of its own, except
// that palette order ranks the colours of all of them together. SourceSize
// is then the cell's. Refused: a picture smaller than one cell, more frames
// than whole cells or than MaxSprites, and more than one frame of a picture
// that is no sheet.
LoadedSprite LoadSprite(const QString &path, const PictureOptions &options = {},
                        KeepFitted keepFitted = KeepFitted::No,
                        DecodeBudget &budget = RunDecodeBudget());

// How many frames LoadSprite would give the picture at path, read only as
// far as that needs: a sheet's declared size, an animated GIF's images
// counted, not decoded. A picture LoadSprite would refuse may be counted
// all the same. Throws Error naming the file when it cannot be read.
int CountFrames(const QString &path, const PictureOptions &options,
                DecodeBudget &budget = RunDecodeBudget());

// LoadSprite's image alone.
PictureSurface LoadPicture(const QString &path, const PictureOptions &options = {},
                           DecodeBudget &budget = RunDecodeBudget());

} // namespace bitvane
