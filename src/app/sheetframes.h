// Page 3's rules for sheets and animations: the cell and frame choices, what a cell leaves over,
// frame delays.
#pragma once

#include "imaging/pictureoptions.h"

#include <QSize>
#include <QString>

namespace bitvane {

struct LoadedSprite;

// How long the player shows each frame of a sheet: 8 frames a second.
inline constexpr int SheetFrameMs = 125;

// The largest cell side a project record holds (four digits).
inline constexpr int MaxCellSide = 9999;

// The size of the whole picture a sprite was loaded from: a sheet's, else
// the source's own (an animation's screen).
QSize WholePictureSize(const LoadedSprite &sprite);

// The whole cells of this size in a picture of this size, left to right,
// then top to bottom; 0 when the picture is smaller than one cell.
int WholeCells(QSize picture, QSize cell);

// The pixel columns and rows a cell size leaves over at the right and bottom
// of a picture: "4 columns and 3 rows left over", "1 column left over";
// empty when the cells divide the picture (or there is no cell).
QString LeftoverNote(QSize picture, QSize cell);

// The options with the sheet the page's boxes give (cell sides, 0 for none;
// frames, 0 for all), made into a choice the loader takes for a picture of
// this size: a cell needs both sides, so a side chosen while the other is 0
// makes a square cell (as far as the picture allows), and a side set back
// to 0 ends the sheet; a new sheet takes all its whole cells, an ended one
// one frame; a sheet's frames stay within its whole cells.
PictureOptions WithSheetChoice(const PictureOptions &previous, QSize cell, int frames,
                               QSize picture);

// How long the player shows frame i: an animated GIF's own delay (0 or 1
// centiseconds played as 10, as browsers do), else SheetFrameMs.
int FrameDelayMs(const LoadedSprite &sprite, int frame);

} // namespace bitvane
