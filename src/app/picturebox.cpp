// PictureBox: drawing a surface and reporting clicks.
#include "app/picturebox.h"

#include "imaging/qtimage.h"

#include <QMouseEvent>

namespace bitvane {

PictureBox::PictureBox(QWidget *parent) : QLabel(parent)
{
    setFrameShape(QFrame::NoFrame);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::Text));
    setPalette(pal);
}

void PictureBox::setSurface(const PictureSurface &surface)
{
    m_surface = surface;
    resize(m_surface.width(), m_surface.height());
    refresh();
}

void PictureBox::refresh()
{
    if (m_surface.isEmpty())
        clear();
    else
        setPixmap(QPixmap::fromImage(ImageFromSurface(m_surface)));
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace bitvane
