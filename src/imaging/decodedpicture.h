// DecodedPicture, what every decoder gives, and the builder the decoders fill it through.
#pragma once

#include "imaging/surface.h"

#include <QSize>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace bitvane {

// A decoded picture: the part of it that was kept (the top-left corner, or
// all of it), its transparency composited over white, and the size the file
// declares for the whole.
struct DecodedPicture {
    PictureSurface Picture;
    // The kept part's alpha, one byte a pixel, rows top to bottom; empty
    // when the file has no transparency.
    std::vector<std::uint8_t> Alpha;
    QSize SourceSize;
};

inline constexpr qint64 DefaultDecodeBudgetBytes = qint64(256) << 20;

// The memory decoding may take at once, shared by every decode of a run
// (the workers of bitvane-compile, the window's loading). A decode that
// needs more than the whole budget is refused; one that needs less waits
// while others hold the rest, so what is refused never depends on timing.
class DecodeBudget {
public:
    explicit DecodeBudget(qint64 bytes = DefaultDecodeBudgetBytes) : m_total(bytes) {}

    qint64 total() const { return m_total; }

    // Holds bytes of the budget until destroyed.
    class Share {
    public:
        Share() = default;
        Share(Share &&other) noexcept;
        Share &operator=(Share &&other) noexcept;
        ~Share();

    private:
        friend class DecodeBudget;
        Share(DecodeBudget *budget, qint64 bytes) : m_budget(budget), m_bytes(bytes) {}
        DecodeBudget *m_budget = nullptr;
        qint64 m_bytes = 0;
    };

    // Throws Error "NAME: needs N MB to decode, more than the budget" when
    // bytes pass the whole budget.
    Share take(const QString &name, qint64 bytes);

private:
    void give(qint64 bytes);

    qint64 m_total;
    qint64 m_used = 0;
    std::mutex m_mutex;
    std::condition_variable m_freed;
};

// The budget of this process's run.
DecodeBudget &RunDecodeBudget();

// Fills a DecodedPicture row by row: the decoders hand over each row of the
// picture they decode, and only its kept columns are taken.
class PictureBuilder {
public:
    // The kept part is the top-left keep of a picture of the source size;
    // withAlpha when the file can hold transparency.
    PictureBuilder(QSize source, QSize keep, bool withAlpha);

    int width() const { return m_result.Picture.width(); }
    int height() const { return m_result.Picture.height(); }

    // Row y of the kept part from pixels of the picture's row, starting at
    // the picture's first column: at least width() of them.
    void putRgba(int y, const std::uint8_t *rgba);
    void putRgb(int y, const std::uint8_t *rgb);
    void putGrey(int y, const std::uint8_t *grey);
    // Every pixel of the kept part, for a background.
    void fill(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha = 255);
    // One pixel, for the decoders that place pixels themselves.
    void put(int x, int y, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
             std::uint8_t alpha = 255);

    DecodedPicture take() { return std::move(m_result); }

    // The bytes a kept part of this size takes, for the budget.
    static qint64 BytesFor(QSize kept, bool withAlpha);

private:
    DecodedPicture m_result;
};

} // namespace bitvane
