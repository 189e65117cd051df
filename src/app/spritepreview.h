// SpritePreview: a sprite drawn at a whole-number zoom, one device pixel block per sprite pixel.
#pragma once

#include "compiler/headerstyle.h"
#include "imaging/pictureoptions.h"
#include "imaging/spritemask.h"
#include "imaging/surface.h"

#include <QSize>
#include <QString>
#include <QWidget>

namespace bitvane {

// Shows a surface enlarged by nearest neighbour inside a thin frame, so that
// white pixels stand out from the page, with a grid between the pixels from
// 4x up. Every sprite pixel becomes a square of whole device pixels (zoom
// times the device pixel ratio, rounded), so the picture stays crisp on any
// screen and holds no colour that the surface does not, apart from the frame,
// the grid, and the checker pattern that stands for the pixels outside a
// mask when one is set. The widget takes the size the drawing needs.
class SpritePreview : public QWidget {
    Q_OBJECT
public:
    static constexpr int GridFromZoom = 4;

    explicit SpritePreview(QWidget *parent = nullptr);

    // Keeps a copy and resizes to it.
    void setSurface(const PictureSurface &surface);
    const PictureSurface &surface() const { return m_surface; }
    // For pixel passes that write into the preview's own surface; call
    // refresh() afterwards.
    PictureSurface &surface() { return m_surface; }
    void refresh();

    // The pixels a mask leaves out are drawn as a light checker pattern, as
    // paint programs show transparency; an empty mask, or one of another
    // size than the surface, shows every pixel.
    void setMask(const SpriteMask &mask);

    void setZoom(int zoom);
    int zoom() const { return m_zoom; }

    // Device pixels per sprite pixel, and the frame's width in device pixels,
    // at this device pixel ratio.
    int deviceScale(qreal dpr) const;
    static int frameWidth(qreal dpr);

    // The frame's colour, and a grid line's over a pixel of colour rgb: a
    // slate blue, which no four-shade sprite holds.
    static QRgb frameColour();
    static QRgb gridColour(QRgb rgb);
    // The two colours of the checker pattern, light greys no four-shade
    // sprite holds.
    static QRgb checkerColour(bool dark);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The size in device pixels of the whole drawing, frame included.
    QSize deviceSize(qreal dpr) const;
    void updateSize();

    PictureSurface m_surface;
    SpriteMask m_mask;
    int m_zoom = 1;
};

// What a header of this style will hold for a sprite of this fitted size,
// and what fitting did to a source of this size: "16 x 16 -> unsigned
// short[32]" (modern: "uint16_t[32]"), then on a line of its own "cut from
// 160 x 120" or "padded from 5 px wide" when it did anything ("scaled from
// 640 x 480" for a picture whose options scale it). A sheet of more than
// one frame: "6 frames of 16 x 16 -> unsigned short[6][32]".
QString SpriteInfoText(QSize fitted, QSize source, HeaderStyle style = HeaderStyle::Classic,
                       const PictureOptions &options = {}, int frames = 1);

// The largest whole zoom at which two previews of a sprite, side by side with
// a gap between them, fit into area; at least 1.
int FitZoom(QSize sprite, QSize area, int gap);

} // namespace bitvane
