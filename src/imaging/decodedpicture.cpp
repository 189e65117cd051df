// The decoders' common ground: the builder of kept rows and the run's memory budget.
#include "imaging/decodedpicture.h"

#include "error.h"

#include <algorithm>

namespace bitvane {

namespace {

// Composites one component of a (non-premultiplied) pixel over white.
constexpr std::uint8_t OverWhite(int c, int alpha)
{
    return std::uint8_t((c * alpha + 255 * (255 - alpha) + 127) / 255);
}

} // namespace

DecodeBudget::Share::Share(Share &&other) noexcept
    : m_budget(std::exchange(other.m_budget, nullptr)), m_bytes(std::exchange(other.m_bytes, 0))
{}

DecodeBudget::Share &DecodeBudget::Share::operator=(Share &&other) noexcept
{
    if (this != &other) {
        if (m_budget)
            m_budget->give(m_bytes);
        m_budget = std::exchange(other.m_budget, nullptr);
        m_bytes = std::exchange(other.m_bytes, 0);
    }
    return *this;
}

DecodeBudget::Share::~Share()
{
    if (m_budget)
        m_budget->give(m_bytes);
}

DecodeBudget::Share DecodeBudget::take(const QString &name, qint64 bytes)
{
    constexpr qint64 Megabyte = qint64(1) << 20;
    if (bytes > m_total)
        throw Error(name, QStringLiteral("needs %1 MB to decode, more than the budget")
                              .arg((bytes + Megabyte - 1) / Megabyte));
    std::unique_lock lock(m_mutex);
    m_freed.wait(lock, [&] { return m_used + bytes <= m_total; });
    m_used += bytes;
    return Share(this, bytes);
}

void DecodeBudget::give(qint64 bytes)
{
    {
        std::lock_guard lock(m_mutex);
        m_used -= bytes;
    }
    m_freed.notify_all();
}

DecodeBudget &RunDecodeBudget()
{
    static DecodeBudget budget;
    return budget;
}

PictureBuilder::PictureBuilder(QSize source, QSize keep, bool withAlpha)
{
    const QSize kept = source.boundedTo(keep);
    m_result.Picture = PictureSurface(kept.width(), kept.height());
    if (withAlpha)
        m_result.Alpha.assign(std::size_t(kept.width()) * kept.height(), 255);
    m_result.SourceSize = source;
}

qint64 PictureBuilder::BytesFor(QSize kept, bool withAlpha)
{
    return qint64(kept.width()) * kept.height() * (withAlpha ? 5 : 4);
}

void PictureBuilder::put(int x, int y, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                         std::uint8_t alpha)
{
    if (alpha != 255) {
        red = OverWhite(red, alpha);
        green = OverWhite(green, alpha);
        blue = OverWhite(blue, alpha);
    }
    m_result.Picture.row(y)[x] = PackColor({blue, green, red});
    if (!m_result.Alpha.empty())
        m_result.Alpha[std::size_t(y) * width() + x] = alpha;
}

void PictureBuilder::fill(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                          std::uint8_t alpha)
{
    if (width() == 0 || height() == 0)
        return;
    put(0, 0, red, green, blue, alpha);
    const ColorValue colour = m_result.Picture.row(0)[0];
    std::fill_n(m_result.Picture.row(0), std::size_t(width()) * height(), colour);
    std::fill(m_result.Alpha.begin(), m_result.Alpha.end(), alpha);
}

void PictureBuilder::putRgba(int y, const std::uint8_t *rgba)
{
    for (int x = 0; x < width(); ++x, rgba += 4)
        put(x, y, rgba[0], rgba[1], rgba[2], rgba[3]);
}

void PictureBuilder::putRgb(int y, const std::uint8_t *rgb)
{
    ColorValue *out = m_result.Picture.row(y);
    for (int x = 0; x < width(); ++x, rgb += 3)
        out[x] = PackColor({rgb[2], rgb[1], rgb[0]});
}

void PictureBuilder::putGrey(int y, const std::uint8_t *grey)
{
    ColorValue *out = m_result.Picture.row(y);
    for (int x = 0; x < width(); ++x)
        out[x] = PackColor({grey[x], grey[x], grey[x]});
}

} // namespace bitvane
