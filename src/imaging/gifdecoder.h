// DecodeGif: the first image of a GIF on its logical screen; DecodeGifFrames: its frames
// composited.
#pragma once

#include "imaging/decodedpicture.h"

#include <QByteArrayView>
#include <QSize>
#include <QString>

#include <functional>

namespace bitvane {

// Decodes the top-left keep of the GIF picture in data: the logical screen
// (the declared size) with the first image placed on it, decoded only as far
// as the kept rows need. The screen outside the image is transparent when
// the image has a transparent colour, else the background colour of the
// global table (black without one), as the generic reader drew it. Refused
// as damaged, as the GIF test suites expect: a pixel whose colour index is
// outside its colour table, an LZW minimum code size over 8, image data
// that ends before the kept rows. Throws Error naming the file.
DecodedPicture DecodeGif(QByteArrayView data, QSize keep, const QString &name,
                         DecodeBudget &budget);

// Decodes the first frames of an animated GIF (0: all of them), each the
// whole logical screen of which the top-left keep is handed to take, in
// order. The screen starts
// as DecodeGif fills it around the first image; each image is drawn at its
// offset, its transparent pixels leaving the screen as it was; afterwards
// disposal 2 restores the starting fill over the image's rectangle and
// disposal 3 the screen as it was before the image. take also gets the
// frame's delay in centiseconds as its graphic control gives it (0 without
// one). Only the screen, its saved copy and one frame are held at once. Returns how many frames the
// file has when that is fewer than asked for (nothing is then refused here),
// else the frames taken. Refused as DecodeGif refuses.
int DecodeGifFrames(QByteArrayView data, int frames, QSize keep, const QString &name,
                    DecodeBudget &budget,
                    const std::function<void(const DecodedPicture &, int delay)> &take);

// How many images the GIF in data holds, their pixel data skipped, not
// decoded. Refused as the file's structure is damaged.
int CountGifFrames(QByteArrayView data, const QString &name);

} // namespace bitvane
