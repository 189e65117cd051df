// Scaling a whole picture down to sprite size by exact area averages.
#pragma once

#include "imaging/decodedpicture.h"
#include "imaging/spritemask.h"
#include "imaging/surface.h"

#include <QSize>

#include <cstdint>
#include <vector>

namespace bitvane {

// The width class a scaled picture is padded to: the one chosen (8, 16 or
// 32), or with 0 the picture's own.
int ScaleWidthClass(int sourceWidth, int chosenWidth);

// The size a picture is scaled to within widthClass x 240, keeping its
// aspect and never enlarging: the source size itself when it fits.
QSize ScaledSize(QSize source, int widthClass);

// Reduces a picture fed row by row to a smaller size (no larger than the
// source either way). Each output pixel is the exact area average of the
// source pixels it covers, in whole numbers: source column x spans
// [x * w, (x + 1) * w), output column i spans [i * W, (i + 1) * W) (W the
// source width), rows alike; each channel is sum(weight * value) / (W * H)
// rounded half up. Colours are averaged as they come, already composited
// over white by the decoders; alpha is averaged on its own.
class AreaScaler {
public:
    AreaScaler(QSize source, QSize target);

    // The next source row: source.width() colours (their top byte, above
    // blue, is not read) and as many alpha bytes, or no alpha (nullptr) for
    // an opaque picture.
    void addRow(const ColorValue *colours, const std::uint8_t *alpha);

    // Once every row is in.
    PictureSurface colours() const;
    std::vector<std::uint8_t> alpha() const; // row by row, target size

private:
    QSize m_source;
    QSize m_target;
    int m_row = 0;
    // The source columns in runs: a run of columns wholly inside one output
    // column (weight w each), or one column split between two (weight
    // `first` in `column`, the rest in the next).
    struct Segment {
        int begin, end, column, first;
    };
    std::vector<Segment> m_segments;
    std::vector<std::uint64_t> m_rowSums; // per output column: red, green, blue, alpha
    std::vector<std::uint64_t> m_sums;    // per output pixel, the same
};

// A picture scaled for a sprite: padded with white to the width class; its
// own pixels are the first `columns`. The mask draws pixels whose averaged
// alpha is at least 128, never the padding.
struct ScaledSprite {
    PictureSurface picture;
    SpriteMask mask;
    int columns = 0;
};

// Scales an opaque picture for a sprite of the chosen width as a decoder
// hands over its rows, so that the whole picture is never held: the same
// pixels as ScalePicture on the decoded picture.
class RowScaler {
public:
    RowScaler(QSize source, int chosenWidth);

    // The source's size: every row of it is wanted, whole.
    int width() const { return m_source.width(); }
    int height() const { return m_source.height(); }

    // Row y (rows come in order) from width() pixels.
    void putRgb(int y, const std::uint8_t *rgb);
    void putGrey(int y, const std::uint8_t *grey);
    // The next row written in place: width() pixels of red, green, blue and
    // a byte that is ignored, at colourRow(), then putColourRow().
    std::uint8_t *colourRow()
    {
        return reinterpret_cast<std::uint8_t *>(m_same ? m_kept.row(m_rows) : m_row.data());
    }
    void putColourRow();

    // Once every row is in.
    ScaledSprite take() const;

private:
    QSize m_source;
    int m_widthClass;
    // A picture that fits its sprite is left as it is (each pixel its own
    // average): its rows are kept, not summed.
    bool m_same;
    AreaScaler m_scaler;
    PictureSurface m_kept;
    int m_rows = 0; // how many are in
    std::vector<ColorValue> m_row;
};

// A decoded picture (all of it) scaled for a sprite of the chosen width (8,
// 16 or 32; 0 for the picture's own width class).
ScaledSprite ScalePicture(const DecodedPicture &picture, int chosenWidth);
// The same for an opaque picture already on a surface.
ScaledSprite ScaleSurface(const PictureSurface &picture, int chosenWidth);

} // namespace bitvane
