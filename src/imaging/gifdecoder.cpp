// GIF decoding through giflib: the first image, its needed rows only, or the frames of an
// animation.
#include "imaging/gifdecoder.h"

#include "error.h"
#include "imaging/formatchecks.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include <gif_lib.h>

namespace bitvane {

namespace {

struct Reader {
    QByteArrayView data;
    qsizetype at = 0;
};

int ReadBytes(GifFileType *gif, GifByteType *out, int count)
{
    auto *reader = static_cast<Reader *>(gif->UserData);
    const int n = int(std::min<qsizetype>(count, reader->data.size() - reader->at));
    std::memcpy(out, reader->data.data() + reader->at, std::size_t(n));
    reader->at += n;
    return n;
}

struct Closer {
    void operator()(GifFileType *gif) const { DGifCloseFile(gif, nullptr); }
};
using GifFile = std::unique_ptr<GifFileType, Closer>;

[[noreturn]] void Damaged(const QString &name, const QString &why)
{
    throw Error(name, QStringLiteral("the GIF picture is damaged (%1)").arg(why));
}

[[noreturn]] void LibraryFailed(const QString &name, int code)
{
    const char *words = GifErrorString(code);
    Damaged(name, words ? QString::fromLatin1(words) : QStringLiteral("error %1").arg(code));
}

// The image rows in the order an interlaced image stores them.
int InterlacedRow(int i, int height)
{
    const int pass1 = (height + 7) / 8, pass2 = (height + 3) / 8, pass3 = (height + 1) / 4;
    if (i < pass1)
        return i * 8;
    i -= pass1;
    if (i < pass2)
        return 4 + i * 8;
    i -= pass2;
    if (i < pass3)
        return 2 + i * 4;
    return 1 + (i - pass3) * 2;
}

// An image's graphic control: its transparent index (-1: none), disposal and
// delay in centiseconds.
struct Control {
    int transparent = -1;
    int disposal = 0;
    int delay = 0;
};

// Reads records up to the next image's descriptor, keeping its graphic
// control; false at the file's end.
bool NextImage(GifFileType *gif, const QString &name, Control &control)
{
    control = {};
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR)
            LibraryFailed(name, gif->Error);
        if (record == TERMINATE_RECORD_TYPE)
            return false;
        if (record == IMAGE_DESC_RECORD_TYPE)
            break;
        if (record != EXTENSION_RECORD_TYPE)
            Damaged(name, QStringLiteral("no image"));
        int code = 0;
        GifByteType *block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
            LibraryFailed(name, gif->Error);
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
            control.transparent = block[1] & 1 ? block[4] : -1;
            control.disposal = (block[1] >> 2) & 7;
            control.delay = block[2] | block[3] << 8;
        }
        while (block) {
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                LibraryFailed(name, gif->Error);
        }
    }
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        LibraryFailed(name, gif->Error);
    return true;
}

// Opens the GIF in data through reader, its logical screen checked.
GifFile OpenGif(QByteArrayView data, Reader &reader, const QString &name)
{
    const int codeSize = GifFirstCodeSize(data);
    if (codeSize > 8)
        Damaged(name, QStringLiteral("LZW minimum code size %1 is over 8").arg(codeSize));
    int error = 0;
    GifFile gif(DGifOpen(&reader, ReadBytes, &error));
    if (!gif)
        LibraryFailed(name, error);
    if (gif->SWidth <= 0 || gif->SHeight <= 0)
        Damaged(name, QStringLiteral("the logical screen is empty"));
    CheckPictureSize(name, gif->SWidth, gif->SHeight);
    return gif;
}

} // namespace

int CountGifFrames(QByteArrayView data, const QString &name)
{
    Reader reader{data, 0};
    const GifFile gif = OpenGif(data, reader, name);
    int count = 0;
    Control control;
    while (NextImage(gif.get(), name, control)) {
        ++count;
        int codeSize = 0;
        GifByteType *block = nullptr;
        if (DGifGetCode(gif.get(), &codeSize, &block) == GIF_ERROR)
            LibraryFailed(name, gif->Error);
        while (block) {
            if (DGifGetCodeNext(gif.get(), &block) == GIF_ERROR)
                LibraryFailed(name, gif->Error);
        }
    }
    return count;
}

DecodedPicture DecodeGif(QByteArrayView data, QSize keep, const QString &name, DecodeBudget &budget)
{
    Reader reader{data, 0};
    const GifFile gif = OpenGif(data, reader, name);
    const QSize declared(gif->SWidth, gif->SHeight);

    Control control;
    if (!NextImage(gif.get(), name, control))
        Damaged(name, QStringLiteral("no image"));
    const int transparent = control.transparent;
    const GifImageDesc &image = gif->Image;
    const ColorMapObject *table = image.ColorMap ? image.ColorMap : gif->SColorMap;
    const int colours = table ? table->ColorCount : 0;

    const bool withAlpha = transparent >= 0;
    const QSize kept = declared.boundedTo(keep);
    const DecodeBudget::Share share =
        budget.take(name, PictureBuilder::BytesFor(kept, withAlpha) + qint64(image.Width) + 1);
    PictureBuilder builder(declared, keep, withAlpha);

    // The screen around the image, as the generic reader filled it: with a
    // background index past the global table, its transparent white, drawn.
    const bool covered = image.Left == 0 && image.Top == 0 && image.Width >= declared.width() &&
                         image.Height >= declared.height();
    if (!covered) {
        const ColorMapObject *global = gif->SColorMap;
        GifColorType fill{0, 0, 0};
        std::uint8_t fillAlpha = withAlpha ? 0 : 255;
        if (withAlpha)
            fill = {255, 255, 255};
        else if (global && gif->SBackGroundColor < global->ColorCount)
            fill = global->Colors[gif->SBackGroundColor];
        else if (global)
            fill = {255, 255, 255};
        builder.fill(fill.Red, fill.Green, fill.Blue, fillAlpha);
    }

    // Only the image rows that land on kept screen rows are needed; the
    // rows are stored in order, or interlaced, so decoding stops after the
    // last needed one in storage order.
    const int neededRows = std::clamp(builder.height() - image.Top, 0, image.Height);
    int lastNeeded = -1;
    for (int i = 0; i < image.Height && neededRows > 0; ++i) {
        const int row = image.Interlace ? InterlacedRow(i, image.Height) : i;
        if (row < neededRows)
            lastNeeded = i;
        if (!image.Interlace && row + 1 == neededRows)
            break;
    }
    std::vector<GifPixelType> line(std::size_t(image.Width));
    const int firstColumn = image.Left,
              columns = std::min(image.Width, builder.width() - image.Left);
    for (int i = 0; i <= lastNeeded; ++i) {
        if (DGifGetLine(gif.get(), line.data(), image.Width) == GIF_ERROR)
            LibraryFailed(name, gif->Error);
        for (const GifPixelType index : line)
            if (index >= colours)
                Damaged(name, QStringLiteral("colour index %1 is outside the colour table of %2")
                                  .arg(index)
                                  .arg(colours));
        const int y = image.Top + (image.Interlace ? InterlacedRow(i, image.Height) : i);
        if (y >= builder.height())
            continue;
        for (int x = 0; x < columns; ++x) {
            const GifPixelType index = line[std::size_t(x)];
            const GifColorType &c = table->Colors[index];
            builder.put(firstColumn + x, y, c.Red, c.Green, c.Blue, index == transparent ? 0 : 255);
        }
    }
    return builder.take();
}

int DecodeGifFrames(QByteArrayView data, int frames, QSize keep, const QString &name,
                    DecodeBudget &budget,
                    const std::function<void(const DecodedPicture &, int delay)> &take)
{
    Reader reader{data, 0};
    const GifFile gif = OpenGif(data, reader, name);
    const QSize screen(gif->SWidth, gif->SHeight);
    const int w = screen.width(), h = screen.height();

    Control control;
    if (!NextImage(gif.get(), name, control))
        Damaged(name, QStringLiteral("no image"));
    // The first image's transparency decides the fill, as for DecodeGif;
    // the screen is then wholly opaque or starts wholly transparent.
    const bool withAlpha = control.transparent >= 0;
    std::array<std::uint8_t, 4> fill{0, 0, 0, 255};
    const ColorMapObject *global = gif->SColorMap;
    if (withAlpha)
        fill = {255, 255, 255, 0};
    else if (global && gif->SBackGroundColor < global->ColorCount) {
        const GifColorType &c = global->Colors[gif->SBackGroundColor];
        fill = {c.Red, c.Green, c.Blue, 255};
    } else if (global)
        fill = {255, 255, 255, 255};

    const std::size_t screenBytes = std::size_t(w) * std::size_t(h) * 4;
    const DecodeBudget::Share share =
        budget.take(name, qint64(screenBytes) * 2 +
                              PictureBuilder::BytesFor(screen.boundedTo(keep), withAlpha) + 65536);
    std::vector<std::uint8_t> canvas(screenBytes), saved;
    for (std::size_t i = 0; i < screenBytes; i += 4)
        std::copy(fill.begin(), fill.end(), canvas.begin() + std::ptrdiff_t(i));
    std::vector<GifPixelType> line;

    int taken = 0;
    do {
        const GifImageDesc &image = gif->Image;
        const ColorMapObject *table = image.ColorMap ? image.ColorMap : global;
        const int colours = table ? table->ColorCount : 0;
        if (control.disposal == 3)
            saved = canvas;
        line.resize(std::size_t(image.Width));
        const int left = std::clamp(image.Left, 0, w),
                  right = std::clamp(image.Left + image.Width, 0, w);
        for (int i = 0; i < image.Height; ++i) {
            if (DGifGetLine(gif.get(), line.data(), image.Width) == GIF_ERROR)
                LibraryFailed(name, gif->Error);
            for (const GifPixelType index : line)
                if (index >= colours)
                    Damaged(name,
                            QStringLiteral("colour index %1 is outside the colour table of %2")
                                .arg(index)
                                .arg(colours));
            const int y = image.Top + (image.Interlace ? InterlacedRow(i, image.Height) : i);
            if (y >= h)
                continue;
            std::uint8_t *row = canvas.data() + std::size_t(y) * std::size_t(w) * 4;
            for (int x = left; x < right; ++x) {
                const GifPixelType index = line[std::size_t(x - image.Left)];
                if (index == control.transparent)
                    continue;
                const GifColorType &c = table->Colors[index];
                std::uint8_t *p = row + std::size_t(x) * 4;
                p[0] = c.Red;
                p[1] = c.Green;
                p[2] = c.Blue;
                p[3] = 255;
            }
        }

        PictureBuilder builder(screen, keep, withAlpha);
        for (int y = 0; y < builder.height(); ++y)
            builder.putRgba(y, canvas.data() + std::size_t(y) * std::size_t(w) * 4);
        take(builder.take(), control.delay);
        ++taken;

        const int top = std::clamp(image.Top, 0, h),
                  bottom = std::clamp(image.Top + image.Height, 0, h);
        if (control.disposal == 2) {
            for (int y = top; y < bottom; ++y)
                for (int x = left; x < right; ++x)
                    std::copy(
                        fill.begin(), fill.end(),
                        canvas.begin() +
                            std::ptrdiff_t((std::size_t(y) * std::size_t(w) + std::size_t(x)) * 4));
        } else if (control.disposal == 3) {
            canvas.swap(saved);
        }
    } while ((frames == 0 || taken < frames) && NextImage(gif.get(), name, control));
    return taken;
}

} // namespace bitvane
