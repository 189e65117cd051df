// PictureBox: a borderless box showing a PictureSurface or a fixed picture.
#pragma once

#include "imaging/surface.h"

#include <QLabel>

namespace bitvane {

// A borderless picture box on a white ground. The work boxes (picLoad,
// picCompile) show a PictureSurface and take its size, as the wizard's
// sizing and centring rely on; the banner shows a fixed pixmap and
// doubles as the about button.
class PictureBox : public QLabel {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    // Keeps a copy, resizes the box to the surface and shows it.
    void setSurface(const PictureSurface &surface);
    const PictureSurface &surface() const { return m_surface; }
    // For pixel passes that write into the box's own surface; call refresh()
    // afterwards so the box shows what was written.
    PictureSurface &surface() { return m_surface; }
    void refresh();

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    PictureSurface m_surface;
};

} // namespace bitvane
