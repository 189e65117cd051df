// SpritePreview: drawing the enlarged sprite in device pixels, and its info line.
#include "app/spritepreview.h"

#include "compiler/spritearray.h"
#include "imaging/pictureloader.h"
#include "imaging/qtimage.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace bitvane {

namespace {

constexpr QRgb Slate = 0xFF6070A0;
constexpr QRgb CheckerLight = 0xFFEEEEEE;
constexpr QRgb CheckerDark = 0xFFCCCCCC;

} // namespace

SpritePreview::SpritePreview(QWidget *parent) : QWidget(parent)
{
    // Every pixel is drawn; nothing underneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SpritePreview::setSurface(const PictureSurface &surface)
{
    m_surface = surface;
    refresh();
}

void SpritePreview::refresh()
{
    updateSize();
    update();
}

void SpritePreview::setMask(const SpriteMask &mask)
{
    m_mask = mask;
    update();
}

void SpritePreview::setZoom(int zoom)
{
    m_zoom = std::max(1, zoom);
    refresh();
}

int SpritePreview::deviceScale(qreal dpr) const
{
    return std::max(1, int(std::lround(m_zoom * dpr)));
}

int SpritePreview::frameWidth(qreal dpr)
{
    return std::max(1, int(std::floor(dpr)));
}

QRgb SpritePreview::frameColour()
{
    return Slate;
}

QRgb SpritePreview::gridColour(QRgb rgb)
{
    return qRgb((qRed(rgb) + qRed(Slate)) / 2, (qGreen(rgb) + qGreen(Slate)) / 2,
                (qBlue(rgb) + qBlue(Slate)) / 2);
}

QRgb SpritePreview::checkerColour(bool dark)
{
    return dark ? CheckerDark : CheckerLight;
}

QSize SpritePreview::deviceSize(qreal dpr) const
{
    const int s = deviceScale(dpr), f = frameWidth(dpr);
    return {m_surface.width() * s + 2 * f, m_surface.height() * s + 2 * f};
}

QSize SpritePreview::sizeHint() const
{
    const qreal dpr = devicePixelRatioF();
    const QSize device = deviceSize(dpr);
    return {int(std::ceil(device.width() / dpr)), int(std::ceil(device.height() / dpr))};
}

void SpritePreview::updateSize()
{
    setFixedSize(sizeHint());
}

void SpritePreview::paintEvent(QPaintEvent *event)
{
    const qreal dpr = devicePixelRatioF();
    const int s = deviceScale(dpr), f = frameWidth(dpr);
    const QSize canvas = deviceSize(dpr);
    const int w = m_surface.width(), h = m_surface.height();
    const bool grid = m_zoom >= GridFromZoom;
    const QRgb background = palette().color(QPalette::Window).rgb();
    const bool masked = m_mask.width == w && m_mask.height() == h && w > 0;
    // Each pixel outside the mask shows two by two checks; at a scale too
    // small for that, the checks are whole pixels.
    const int check = std::max(1, s / 2);

    // Only the exposed part is drawn, in device pixels, and then put on the
    // screen one to one: no scaling, so no smoothing.
    const QRectF exposed = event->rect();
    const QRect device =
        QRect(QPoint(int(std::floor(exposed.left() * dpr)), int(std::floor(exposed.top() * dpr))),
              QPoint(int(std::ceil((exposed.right() + 1) * dpr)) - 1,
                     int(std::ceil((exposed.bottom() + 1) * dpr)) - 1));
    if (device.isEmpty())
        return;
    QImage image(device.size(), QImage::Format_RGB32);

    // One row of device pixels for sprite row y (-1: a frame row, -2: below
    // the canvas), with or without a grid line along it, in the given row of
    // checks, filled in runs: a sprite pixel is s device pixels of one colour
    // (or of two checks where the mask hides it).
    std::vector<QRgb> row(std::size_t(device.width()));
    const int left = device.left(), right = device.left() + device.width();
    auto fill = [&](int from, int to, QRgb c) {
        from = std::max(from, left);
        to = std::min(to, right);
        if (from < to)
            std::fill(row.begin() + (from - left), row.begin() + (to - left), c);
    };
    auto makeRow = [&](int y, bool gridRow, int checkRow) {
        fill(y < -1 ? left : canvas.width(), right, background);
        if (y < -1)
            return;
        if (y < 0) {
            fill(0, canvas.width(), Slate);
            return;
        }
        fill(0, f, Slate);
        fill(f + w * s, canvas.width(), Slate);
        const ColorValue *pixels = m_surface.row(y);
        auto checkAt = [&](int inner) {
            return checkerColour(((inner / check + checkRow) & 1) != 0);
        };
        auto lined = [&](QRgb c) { return grid && gridRow ? gridColour(c) : c; };
        const int first = std::clamp((left - f) / s, 0, w),
                  last = std::clamp((right - f) / s + 1, 0, w);
        for (int sx = first; sx < last; ++sx) {
            const int x = f + sx * s;
            const bool hidden = masked && !m_mask.drawn(sx, y);
            if (!hidden) {
                fill(x, x + s, lined(ToQRgb(pixels[sx])));
            } else {
                for (int inner = sx * s; inner < (sx + 1) * s;) {
                    const int next = std::min((sx + 1) * s, (inner / check + 1) * check);
                    fill(f + inner, f + next, lined(checkAt(inner)));
                    inner = next;
                }
            }
            if (grid && !gridRow && sx > 0)
                fill(x, x + 1, gridColour(hidden ? checkAt(sx * s) : ToQRgb(pixels[sx])));
        }
    };
    int madeY = -3; // the sprite row, grid and check state row holds, -3 for none
    bool madeGrid = false;
    int madeCheck = 0;
    for (int j = 0; j < device.height(); ++j) {
        const int y = device.top() + j;
        int sy = -2; // below the canvas: background
        bool gridRow = false;
        int checkRow = 0;
        if (y < canvas.height()) {
            const int inner = y - f;
            sy = inner < 0 || inner >= h * s ? -1 : inner / s;
            gridRow = grid && sy > 0 && inner % s == 0;
            checkRow = masked && inner >= 0 ? (inner / check) & 1 : 0;
        }
        if (sy != madeY || gridRow != madeGrid || checkRow != madeCheck) {
            makeRow(sy, gridRow, checkRow);
            madeY = sy;
            madeGrid = gridRow;
            madeCheck = checkRow;
        }
        std::memcpy(image.scanLine(j), row.data(), row.size() * sizeof(QRgb));
    }
    image.setDevicePixelRatio(dpr);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPointF(device.left() / dpr, device.top() / dpr), image);
}

QString SpriteInfoText(QSize fitted, QSize source, HeaderStyle style, const PictureOptions &options,
                       int frames)
{
    QString type;
    if (style == HeaderStyle::Modern) {
        type = QString::fromLatin1(ModernType(fitted.width()));
    } else {
        type = QString::fromLatin1(ClassicPrefix(fitted.width())).trimmed();
        type.remove(QStringLiteral("static "));
    }
    QString text = QStringLiteral("%1 x %2 -> %3%4[%5]")
                       .arg(fitted.width())
                       .arg(fitted.height())
                       .arg(type, frames > 1 ? QStringLiteral("[%1]").arg(frames) : QString())
                       .arg(2 * fitted.height());
    if (frames > 1)
        text.prepend(QStringLiteral("%1 frames of ").arg(frames));
    const QString note = FittingNote(source, options);
    if (!note.isEmpty())
        text += u'\n' + note;
    return text;
}

int FitZoom(QSize sprite, QSize area, int gap)
{
    if (sprite.isEmpty())
        return 1;
    // Each preview has a frame of one pixel on either side.
    const int across = (area.width() - gap) / 2 - 2;
    const int down = area.height() - 2;
    return std::max(1, std::min(across / sprite.width(), down / sprite.height()));
}

} // namespace bitvane
