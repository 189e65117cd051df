// PictureOptions: how one picture is fitted, toned and reduced to the four shades.
#pragma once

namespace bitvane {

enum class FitMode { Cut, Scale };
enum class ShadeMode { Threshold, Ordered, Diffuse, Palette };

// The per-picture choices of the pipeline. The defaults give the sprite every
// earlier version wrote: cut to the width class, thresholded.
struct PictureOptions {
    FitMode fit = FitMode::Cut;
    // With Scale: 8, 16 or 32, or 0 for the picture's own width class.
    int width = 0;
    // Levels: black and white points, 0 <= black < white <= 255.
    int black = 0;
    int white = 255;
    ShadeMode shade = ShadeMode::Threshold;
    // A sheet: cells of cellWidth x cellHeight, read left to right, then top
    // to bottom (0 x 0: the picture is one sprite). frames: how many cells
    // (or frames) are taken, 0 for all of them.
    int cellWidth = 0;
    int cellHeight = 0;
    int frames = 1;

    bool isSheet() const { return cellWidth > 0; }
    bool levelsChanged() const { return black != 0 || white != 255; }

    friend bool operator==(const PictureOptions &, const PictureOptions &) = default;
};

} // namespace bitvane
