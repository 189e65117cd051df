// JPEG decoding through libjpeg-turbo, cropped to the kept corner.
#include "imaging/jpegdecoder.h"

#include "error.h"
#include "imaging/formatchecks.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <exception>
#include <limits>
#include <vector>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace bitvane {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr info)
{
    auto *manager = reinterpret_cast<ErrorManager *>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings (extraneous bytes, a premature end the structure check let
// through) are the decoder's business: the generic reader ignored them too.
void IgnoreMessage(j_common_ptr, int)
{}

// The file in up to three pieces from memory: before the frame's height,
// the height as the decoder is told it, and the rest of what was read; then,
// when that was only the file's head, the rest as the decoder asks for it;
// then an end marker for a decoder that reads past the end.
struct PiecedSource {
    jpeg_source_mgr pub;
    std::array<QByteArrayView, 3> pieces;
    std::size_t next = 0;
    JOCTET patch[2];
    const JpegMore *more = nullptr;
    std::vector<char> buffer;
    bool ended = false; // the decoder asked for more than the file holds
    std::exception_ptr failure;
};

void InitSource(j_decompress_ptr)
{}

boolean FillInput(j_decompress_ptr info)
{
    static const JOCTET End[] = {0xFF, JPEG_EOI};
    auto *source = reinterpret_cast<PiecedSource *>(info->src);
    while (source->next < source->pieces.size() && source->pieces[source->next].isEmpty())
        ++source->next;
    QByteArrayView piece;
    if (source->next < source->pieces.size()) {
        piece = source->pieces[source->next++];
    } else if (source->more && !source->ended) {
        qsizetype n = 0;
        try {
            n = (*source->more)(source->buffer.data(), qsizetype(source->buffer.size()));
        } catch (...) {
            // Reading failed: the decoder is stopped, and run() throws this.
            source->failure = std::current_exception();
            ERREXIT(info, JERR_FILE_READ);
        }
        piece = QByteArrayView(source->buffer.data(), n);
        source->ended = n == 0;
    }
    if (!piece.isEmpty()) {
        source->pub.next_input_byte = reinterpret_cast<const JOCTET *>(piece.data());
        source->pub.bytes_in_buffer = std::size_t(piece.size());
    } else {
        source->pub.next_input_byte = End;
        source->pub.bytes_in_buffer = sizeof End;
    }
    return TRUE;
}

void SkipInput(j_decompress_ptr info, long count)
{
    jpeg_source_mgr *source = info->src;
    while (count > long(source->bytes_in_buffer)) {
        count -= long(source->bytes_in_buffer);
        FillInput(info);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= std::size_t(count);
}

void TermSource(j_decompress_ptr)
{}

// Where the first frame header's height is, or -1.
qsizetype FrameHeightAt(QByteArrayView d)
{
    qsizetype p = 2;
    while (p + 4 <= d.size()) {
        if (quint8(d[p]) != 0xFF)
            return -1;
        const int marker = quint8(d[p + 1]);
        if (marker == 0xFF) {
            ++p;
            continue;
        }
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame)
            return p + 5 + 2 <= d.size() ? p + 5 : -1;
        if (marker == 0xDA || marker == 0xD9)
            return -1;
        p += 2 + Be16(d, p + 2);
    }
    return -1;
}

// Rows decoded beyond the kept ones: the deepest block row (four blocks of
// vertical sampling) plus the one whose chroma the last kept row blends in.
constexpr int RowsAfterKept = 64;

// What the decoder is given of a file read as it goes, at a time.
constexpr qsizetype ReadBytes = 64 * 1024;

Error Truncated(const QString &name)
{
    return Error(name, QStringLiteral("the JPEG picture is truncated: the file ends before its "
                                      "picture data does"));
}

// One decompression: the library's state, and its failures as Error.
class Decompression {
public:
    Decompression(const QString &name, const PiecedSource &source) : m_name(name), m_source(source)
    {
        info.err = jpeg_std_error(&m_errors.pub);
        m_errors.pub.error_exit = ErrorExit;
        m_errors.pub.emit_message = IgnoreMessage;
        jpeg_create_decompress(&info);
    }
    ~Decompression() { jpeg_destroy_decompress(&info); }
    Decompression(const Decompression &) = delete;
    Decompression &operator=(const Decompression &) = delete;

    // Runs library calls; a failure among them jumps back here. The steps
    // keep no object that needs destroying, since the jump skips them.
    template <typename Steps> void run(Steps &&steps)
    {
        if (setjmp(m_errors.jump)) {
            if (m_source.failure)
                std::rethrow_exception(m_source.failure);
            // The decoder's complaint about data a short file lacks.
            if (m_source.ended)
                throw Truncated(m_name);
            throw Error(m_name, QStringLiteral("the JPEG picture is damaged (%1)")
                                    .arg(QString::fromLocal8Bit(m_errors.message)));
        }
        steps();
    }

    jpeg_decompress_struct info{};

private:
    ErrorManager m_errors{};
    QString m_name;
    const PiecedSource &m_source;
};

// Decodes the rows of the picture that make(declared size) wants into what
// it returns (a PictureBuilder or a RowScaler: width() and height() say how
// much of the picture, putRgb and putGrey take its rows), which takes
// bytes(declared size) of the budget. data is the whole file, or its head
// when more reads the rest.
template <class Bytes, class Make>
auto ReadJpeg(QByteArrayView data, const JpegMore *more, QSize keep, const QString &name,
              DecodeBudget &budget, Bytes bytes, Make make)
{
    const qsizetype heightAt = FrameHeightAt(data);
    PiecedSource source{};
    if (more) {
        source.more = more;
        source.buffer.resize(ReadBytes);
    }
    source.pub.init_source = InitSource;
    source.pub.fill_input_buffer = FillInput;
    source.pub.skip_input_data = SkipInput;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = TermSource;
    source.pieces[0] = data;
    const int height = heightAt > 0 ? int(Be16(data, heightAt)) : 0;
    const int told = int(std::min<qint64>(height, qint64(keep.height()) + RowsAfterKept));
    if (told < height) {
        source.patch[0] = JOCTET(told >> 8);
        source.patch[1] = JOCTET(told & 0xFF);
        source.pieces = {data.first(heightAt),
                         QByteArrayView(reinterpret_cast<const char *>(source.patch), 2),
                         data.sliced(heightAt + 2)};
    }

    Decompression jpeg(name, source);
    jpeg_decompress_struct &info = jpeg.info;
    jpeg.run([&] {
        info.src = &source.pub;
        jpeg_read_header(&info, TRUE);
    });
    const QSize declared(int(info.image_width), height > 0 ? height : int(info.image_height));
    CheckPictureSize(name, declared.width(), declared.height());
    // The kept part, and the decoder's blocks: of every row it is told of
    // when the scans must be gathered first, of a few rows otherwise.
    const bool gathered = info.progressive_mode || info.comps_in_scan < info.num_components;
    const qint64 blockRows = gathered ? info.image_height : 32;
    const qint64 working = qint64(info.image_width) * blockRows * info.num_components * 2;
    const DecodeBudget::Share share = budget.take(name, bytes(declared) + working);
    auto builder = make(declared);

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    JSAMPARRAY row = nullptr;
    // A taker of whole colours has the decoder write them into its own row
    // (red, green, blue and a byte it ignores), with no conversion on our
    // side.
    constexpr bool takesColours = requires
    {
        builder.colourRow();
    };
    jpeg.run([&] {
        info.out_color_space = cmyk                       ? JCS_CMYK
                               : info.num_components == 1 ? JCS_GRAYSCALE
                               : takesColours             ? JCS_EXT_RGBX
                                                          : JCS_RGB;
        info.dct_method = JDCT_ISLOW;
        info.do_fancy_upsampling = TRUE;
        jpeg_start_decompress(&info);
        JDIMENSION left = 0, width = info.output_width;
        const JDIMENSION wanted = JDIMENSION(builder.width()) + 8 * info.max_h_samp_factor;
        if (wanted < info.output_width) {
            width = wanted;
            jpeg_crop_scanline(&info, &left, &width);
        }
        row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                        info.output_width * info.output_components, 1);
    });
    std::vector<std::uint8_t> rgb(std::size_t(builder.width()) * 3);
    jpeg.run([&] {
        while (int(info.output_scanline) < builder.height()) {
            const int y = int(info.output_scanline);
            if constexpr (takesColours) {
                if (info.out_color_space == JCS_EXT_RGBX) {
                    JSAMPROW colours = builder.colourRow();
                    jpeg_read_scanlines(&info, &colours, 1);
                    builder.putColourRow();
                    continue;
                }
            }
            jpeg_read_scanlines(&info, row, 1);
            if (info.out_color_space == JCS_RGB) {
                builder.putRgb(y, row[0]);
            } else if (info.out_color_space == JCS_GRAYSCALE) {
                builder.putGrey(y, row[0]);
            } else {
                // Ink amounts as the generic reader turned them into colours.
                const JSAMPLE *in = row[0];
                for (std::size_t x = 0; x < std::size_t(builder.width()); ++x, in += 4) {
                    const int k = in[3];
                    rgb[x * 3] = std::uint8_t(k * in[0] / 255);
                    rgb[x * 3 + 1] = std::uint8_t(k * in[1] / 255);
                    rgb[x * 3 + 2] = std::uint8_t(k * in[2] / 255);
                }
                builder.putRgb(y, rgb.data());
            }
        }
        jpeg_abort_decompress(&info);
    });
    // The decoder went on with made-up data.
    if (source.ended)
        throw Truncated(name);
    return builder;
}

DecodedPicture DecodeKeptJpeg(QByteArrayView data, const JpegMore *more, QSize keep,
                              const QString &name, DecodeBudget &budget)
{
    return ReadJpeg(
               data, more, keep, name, budget,
               [keep](QSize declared) {
                   return PictureBuilder::BytesFor(declared.boundedTo(keep), false);
               },
               [keep](QSize declared) { return PictureBuilder(declared, keep, false); })
        .take();
}

} // namespace

bool JpegDecodesPart(QByteArrayView head, QSize keep)
{
    const qsizetype heightAt = FrameHeightAt(head);
    return heightAt > 0 && qint64(keep.height()) + RowsAfterKept < qint64(Be16(head, heightAt));
}

DecodedPicture DecodeJpegHead(QByteArrayView head, const JpegMore &more, QSize keep,
                              const QString &name, DecodeBudget &budget)
{
    return DecodeKeptJpeg(head, &more, keep, name, budget);
}

DecodedPicture DecodeJpeg(QByteArrayView data, QSize keep, const QString &name,
                          DecodeBudget &budget)
{
    return DecodeKeptJpeg(data, nullptr, keep, name, budget);
}

ScaledSprite ScaleJpeg(QByteArrayView data, int chosenWidth, const QString &name,
                       DecodeBudget &budget, QSize &source)
{
    // A row of colours and the scaler's sums stand for the picture.
    const QSize whole(std::numeric_limits<int>::max(), std::numeric_limits<int>::max());
    const RowScaler scaler = ReadJpeg(
        data, nullptr, whole, name, budget,
        [](QSize declared) { return qint64(declared.width()) * 4 + 32 * 240 * 32; },
        [chosenWidth](QSize declared) { return RowScaler(declared, chosenWidth); });
    source = QSize(scaler.width(), scaler.height());
    return scaler.take();
}

} // namespace bitvane
