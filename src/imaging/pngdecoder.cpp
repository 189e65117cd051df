// PNG decoding through libpng, row by row.
#include "imaging/pngdecoder.h"

#include "error.h"
#include "imaging/formatchecks.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <png.h>

namespace bitvane {

namespace {

struct Reader {
    QByteArrayView data;
    qsizetype at = 8;
    char message[200] = {};
};

void ReadBytes(png_structp png, png_bytep out, png_size_t count)
{
    auto *reader = static_cast<Reader *>(png_get_io_ptr(png));
    if (qsizetype(count) > reader->data.size() - reader->at)
        png_error(png, "the file ends early");
    std::memcpy(out, reader->data.data() + reader->at, count);
    reader->at += qsizetype(count);
}

[[noreturn]] void Fail(png_structp png, png_const_charp message)
{
    auto *reader = static_cast<Reader *>(png_get_error_ptr(png));
    std::snprintf(reader->message, sizeof reader->message, "%s", message);
    png_longjmp(png, 1);
}

// Warnings (a CRC the structure check cannot see, unknown chunks) do not
// stop the generic reader either.
void Warn(png_structp, png_const_charp)
{}

// One read: the library's state, and its failures as Error.
class Decompression {
public:
    Decompression(QByteArrayView data, const QString &name) : m_name(name)
    {
        m_reader.data = data;
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &m_reader, Fail, Warn);
        if (!png)
            throw std::bad_alloc();
        info = png_create_info_struct(png);
        if (!info) {
            png_destroy_read_struct(&png, nullptr, nullptr);
            throw std::bad_alloc();
        }
        png_set_read_fn(png, &m_reader, ReadBytes);
        png_set_sig_bytes(png, 8);
    }
    ~Decompression() { png_destroy_read_struct(&png, &info, nullptr); }
    Decompression(const Decompression &) = delete;
    Decompression &operator=(const Decompression &) = delete;

    // Runs library calls; a failure among them jumps back here. The steps
    // keep no object that needs destroying, since the jump skips them.
    template <typename Steps> void run(Steps &&steps)
    {
        if (setjmp(png_jmpbuf(png)))
            throw Error(m_name, QStringLiteral("the PNG picture is damaged (%1)")
                                    .arg(QString::fromLocal8Bit(m_reader.message)));
        steps();
    }

    png_structp png = nullptr;
    png_infop info = nullptr;

private:
    Reader m_reader;
    QString m_name;
};

} // namespace

DecodedPicture DecodePng(QByteArrayView data, QSize keep, const QString &name, DecodeBudget &budget)
{
    Decompression read(data, name);
    png_structp png = read.png;
    png_infop info = read.info;
    png_uint_32 width = 0, height = 0;
    int depth = 0, colourType = 0, interlace = 0;
    read.run([&] {
        png_read_info(png, info);
        png_get_IHDR(png, info, &width, &height, &depth, &colourType, &interlace, nullptr, nullptr);
    });
    CheckPictureSize(name, width, height);
    const bool alpha =
        (colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    const QSize declared{int(width), int(height)};
    const QSize kept = declared.boundedTo(keep);
    // The kept part, and rows of at most 8 bytes a pixel: libpng's two and ours.
    const qint64 rowBytes = qint64(width) * 8;
    const DecodeBudget::Share share =
        budget.take(name, PictureBuilder::BytesFor(kept, alpha) + rowBytes * 3);
    PictureBuilder builder(declared, keep, alpha);

    int passes = 1;
    read.run([&] {
        png_set_expand(png);
        png_set_scale_16(png);
        png_set_gray_to_rgb(png);
        passes = png_set_interlace_handling(png);
        png_read_update_info(png, info);
    });
    const std::size_t channels = alpha ? 4 : 3;
    std::vector<std::uint8_t> row(std::size_t(width) * channels);
    const auto keepRow = [&](int y, const std::uint8_t *pixels) {
        if (alpha)
            builder.putRgba(y, pixels);
        else
            builder.putRgb(y, pixels);
    };
    if (passes == 1) {
        read.run([&] {
            for (int y = 0; y < kept.height(); ++y) {
                png_read_row(png, row.data(), nullptr);
                keepRow(y, row.data());
            }
        });
        return builder.take();
    }
    // Interlaced, each pass adds pixels to rows the earlier passes began, so
    // the kept rows are held until the last pass, which ends after them.
    const std::size_t keptBytes = std::size_t(kept.width()) * channels;
    std::vector<std::uint8_t> held(keptBytes * std::size_t(kept.height()));
    read.run([&] {
        for (int pass = 0; pass < passes; ++pass) {
            const int rows = pass + 1 == passes ? kept.height() : int(height);
            for (int y = 0; y < rows; ++y) {
                std::uint8_t *heldRow =
                    y < kept.height() ? held.data() + keptBytes * std::size_t(y) : nullptr;
                if (heldRow)
                    std::memcpy(row.data(), heldRow, keptBytes);
                png_read_row(png, row.data(), nullptr);
                if (heldRow)
                    std::memcpy(heldRow, row.data(), keptBytes);
            }
        }
    });
    for (int y = 0; y < kept.height(); ++y)
        keepRow(y, held.data() + keptBytes * std::size_t(y));
    return builder.take();
}

} // namespace bitvane
