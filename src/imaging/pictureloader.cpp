// Picture loading: reading the file, finding its format, decoding, fitting.
#include "imaging/pictureloader.h"

#include "error.h"
#include "fileaccess.h"
#include "imaging/bmpdecoder.h"
#include "imaging/directbmp.h"
#include "imaging/fit.h"
#include "imaging/formatchecks.h"
#include "imaging/gifdecoder.h"
#include "imaging/jpegdecoder.h"
#include "imaging/pngdecoder.h"
#include "imaging/shading.h"

#include <QDir>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>

namespace bitvane {

namespace {

// Sprite pictures are small; this only keeps a wrong file (a video) from
// taking the machine's memory.
constexpr qint64 MaxFileBytes = qint64(256) << 20;

struct PictureFormat {
    const char *label;
    QByteArrayView signature;
    bool (*complete)(QByteArrayView data);
    DecodedPicture (*decode)(QByteArrayView data, QSize keep, const QString &name,
                             DecodeBudget &budget);
};

QString Named(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

const PictureFormat Formats[] = {
    {"BMP", "BM", BmpComplete, DecodeBmp},
    {"GIF", "GIF8", GifComplete, DecodeGif},
    {"JPEG", "\xFF\xD8\xFF", JpegComplete, DecodeJpeg},
    {"PNG", "\x89PNG\r\n\x1A\n", PngComplete, DecodePng},
};

struct Detected {
    const PictureFormat *format = nullptr;
    bool cutShort = false; // the file is only the start of the signature
};

// By content, whatever the file is called.
Detected DetectFormat(QByteArrayView d)
{
    for (const PictureFormat &f : Formats) {
        if (d.startsWith(f.signature))
            return {&f, false};
        if (d.size() < f.signature.size() && f.signature.startsWith(d))
            return {&f, true};
    }
    return {};
}

bool IsGif(QByteArrayView data)
{
    const PictureFormat *format = DetectFormat(data).format;
    return format && format->decode == DecodeGif;
}

} // namespace

DecodedPicture DecodeKept(QByteArrayView data, const QString &name, QSize keep,
                          DecodeBudget &budget)
{
    if (data.isEmpty())
        throw Error(name, QStringLiteral("the file is empty"));
    const auto [format, cutShort] = DetectFormat(data);
    if (!format)
        throw Error(name, QStringLiteral("not a picture (not a BMP, GIF, JPEG or PNG file)"));
    if (cutShort || !format->complete(data))
        throw Error(name, QStringLiteral("the %1 picture is truncated: the file ends before its "
                                         "picture data does")
                              .arg(QLatin1String(format->label)));
    // The commonest sprite file, a BMP with the plain 40-byte header, is
    // read directly when it is an uncompressed 24-bit one: no transparency.
    if (format->decode == DecodeBmp && data.size() >= 26 && Le32(data, 14) == 40) {
        const QSize source(int(qint32(Le32(data, 18))), std::abs(qint32(Le32(data, 22))));
        if (source.width() > 0 && source.height() > 0) {
            CheckPictureSize(name, source.width(), source.height());
            const DecodeBudget::Share share =
                budget.take(name, PictureBuilder::BytesFor(source.boundedTo(keep), false));
            if (std::optional<PictureSurface> plain = DecodePlainBmp(data, keep, name))
                return {std::move(*plain), {}, source};
        }
    }
    return format->decode(data, keep, name, budget);
}

namespace {

QByteArray ReadPictureFile(const QString &path)
{
    if (path.isEmpty())
        throw Error(QStringLiteral("no picture file was named"));
    return ReadRegularFile(path, Named(path), MaxFileBytes, u"picture file");
}

// The kept corner of the picture file at path. A JPEG picture taller than
// the rows decoded is read only as far as they need (most of a camera's
// photo is rows no sprite uses); any other file is read whole first. gif
// says whether the file is a GIF (the window offers its frames).
DecodedPicture DecodeKeptFile(const QString &path, const QString &name, QSize keep,
                              DecodeBudget &budget, bool &gif)
{
    if (path.isEmpty())
        throw Error(QStringLiteral("no picture file was named"));
    RegularFile file(path, name, MaxFileBytes, u"picture file");
    // Enough for the frame header after the usual metadata.
    QByteArray head(qsizetype(std::min<qint64>(file.size(), 64 * 1024)), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < head.size()) {
        const qsizetype n = file.read(head.data() + got, head.size() - got);
        if (n == 0)
            break;
        got += n;
    }
    head.truncate(got);
    gif = IsGif(head);
    if (head.startsWith("\xFF\xD8\xFF") && JpegDecodesPart(head, keep)) {
        const JpegMore more = [&file](char *into, qsizetype room) { return file.read(into, room); };
        return DecodeJpegHead(head, more, keep, name, budget);
    }
    return DecodeKept(file.readRest(std::move(head)), name, keep, budget);
}

constexpr QSize WholePicture(std::numeric_limits<int>::max(), std::numeric_limits<int>::max());

// The part of a decoded picture at (left, top), alpha with it.
DecodedPicture CutOut(const DecodedPicture &whole, int left, int top, QSize size)
{
    DecodedPicture part;
    part.Picture = PictureSurface(size.width(), size.height());
    const bool alpha = !whole.Alpha.empty();
    if (alpha)
        part.Alpha.resize(std::size_t(size.width()) * std::size_t(size.height()));
    const std::size_t stride = std::size_t(whole.Picture.width());
    for (int y = 0; y < size.height(); ++y) {
        std::copy_n(whole.Picture.row(top + y) + left, size.width(), part.Picture.row(y));
        if (alpha)
            std::copy_n(whole.Alpha.data() + std::size_t(top + y) * stride + std::size_t(left),
                        size.width(),
                        part.Alpha.data() + std::size_t(y) * std::size_t(size.width()));
    }
    return part;
}

// One cell fitted as a picture of its own: the image before shading, its
// mask and own columns.
SpriteFrame FitCell(const DecodedPicture &whole, int left, int top, QSize cell,
                    const PictureOptions &options, int &columns)
{
    SpriteFrame frame;
    if (options.fit == FitMode::Scale) {
        ScaledSprite scaled = ScalePicture(CutOut(whole, left, top, cell), options.width);
        frame.Image = std::move(scaled.picture);
        frame.Mask = std::move(scaled.mask);
        columns = scaled.columns;
        return frame;
    }
    DecodedPicture kept = CutOut(whole, left, top, cell.boundedTo(QSize(32, MaxSpriteHeight)));
    frame.Mask = MaskFromAlpha(kept);
    columns = kept.Picture.width();
    frame.Image = std::move(kept.Picture);
    FitToSprite(frame.Image);
    return frame;
}

// Palette order ranks the colours of all frames together: the frames,
// all of one size, are shaded stacked as one picture and parted again.
void ShadeFramesTogether(LoadedSprite &sprite, const PictureOptions &options, const QString &name)
{
    const int w = sprite.Image.width(), h = sprite.Image.height();
    PictureSurface stack(w, h * sprite.frameCount());
    for (int i = 0; i < sprite.frameCount(); ++i)
        for (int y = 0; y < h; ++y)
            std::copy_n(sprite.frameImage(i).row(y), w, stack.row(i * h + y));
    ShadePicture(stack, sprite.Columns, options, name);
    for (int i = 0; i < sprite.frameCount(); ++i) {
        PictureSurface &frame = i == 0 ? sprite.Image : sprite.MoreFrames[std::size_t(i - 1)].Image;
        for (int y = 0; y < h; ++y)
            std::copy_n(stack.row(i * h + y), w, frame.row(y));
    }
}

// Takes one fitted frame into the sprite: the first is the sprite's own.
void AddFrame(LoadedSprite &sprite, SpriteFrame frame, const PictureOptions &options,
              KeepFitted keepFitted, const QString &name)
{
    if (keepFitted == KeepFitted::Yes)
        frame.Fitted = frame.Image;
    if (options.shade != ShadeMode::Palette)
        ShadePicture(frame.Image, sprite.Columns, options, name);
    if (sprite.Image.width() == 0) {
        sprite.Image = std::move(frame.Image);
        sprite.Mask = std::move(frame.Mask);
        sprite.Fitted = std::move(frame.Fitted);
    } else {
        sprite.MoreFrames.push_back(std::move(frame));
    }
}

LoadedSprite LoadSheet(const QString &path, const QString &name, const PictureOptions &options,
                       KeepFitted keepFitted, DecodeBudget &budget)
{
    const DecodedPicture whole = DecodeKept(ReadPictureFile(path), name, WholePicture, budget);
    const QSize cell(options.cellWidth, options.cellHeight);
    const int w = whole.Picture.width(), h = whole.Picture.height();
    if (w < cell.width() || h < cell.height())
        throw Error(name, QStringLiteral("the picture is %1 x %2, smaller than one cell of %3 x %4")
                              .arg(w)
                              .arg(h)
                              .arg(cell.width())
                              .arg(cell.height()));
    const int across = w / cell.width(), cells = across * (h / cell.height());
    const int frames = options.frames == 0 ? cells : options.frames;
    if (frames > cells)
        throw Error(name, QStringLiteral("frames=%1 but the picture has %2 whole cell%3 of %4 x %5")
                              .arg(frames)
                              .arg(cells)
                              .arg(cells == 1 ? "" : "s")
                              .arg(cell.width())
                              .arg(cell.height()));
    if (frames > MaxSprites)
        throw Error(name,
                    QStringLiteral("%1 frames are more than the %2 sprites a project can hold")
                        .arg(frames)
                        .arg(MaxSprites));
    LoadedSprite sprite;
    sprite.SourceSize = cell;
    sprite.SheetSize = QSize(w, h);
    sprite.MoreFrames.reserve(std::size_t(frames - 1));
    for (int k = 0; k < frames; ++k)
        AddFrame(sprite,
                 FitCell(whole, (k % across) * cell.width(), (k / across) * cell.height(), cell,
                         options, sprite.Columns),
                 options, keepFitted, name);
    if (options.shade == ShadeMode::Palette)
        ShadeFramesTogether(sprite, options, name);
    return sprite;
}

// The first frames of an animated GIF, each its whole screen fitted as a
// picture; a still picture is refused as it has one frame only.
LoadedSprite LoadAnimation(const QByteArray &data, const QString &name,
                           const PictureOptions &options, KeepFitted keepFitted,
                           DecodeBudget &budget)
{
    const auto [format, cutShort] = DetectFormat(data);
    if (!format || format->decode != DecodeGif)
        throw Error(name, QStringLiteral("frames=%1 of a still picture: only a sheet (cell=WxH) "
                                         "or an animated GIF has more than one")
                              .arg(options.frames));
    if (cutShort || !format->complete(data))
        DecodeKept(data, name, QSize(1, 1), budget); // refuses it as any truncated picture
    LoadedSprite sprite;
    sprite.Gif = true;
    int count = 0;
    // Fitting keeps at most the top-left 32 x 240 pixels of each screen.
    const QSize keep = options.fit == FitMode::Scale ? WholePicture : QSize(32, MaxSpriteHeight);
    const int found = DecodeGifFrames(
        data, options.frames, keep, name, budget, [&](const DecodedPicture &screen, int delay) {
            if (++count > MaxSprites)
                throw Error(name, QStringLiteral(
                                      "%1 frames are more than the %2 sprites a project can hold")
                                      .arg(count)
                                      .arg(MaxSprites));
            sprite.SourceSize = screen.SourceSize;
            sprite.Delays.push_back(delay);
            AddFrame(sprite, FitCell(screen, 0, 0, screen.SourceSize, options, sprite.Columns),
                     options, keepFitted, name);
        });
    if (options.frames > found)
        throw Error(name,
                    found == 1
                        ? QStringLiteral("frames=%1 but the GIF has 1 frame").arg(options.frames)
                        : QStringLiteral("frames=%1 but the GIF has %2 frames")
                              .arg(options.frames)
                              .arg(found));
    if (options.shade == ShadeMode::Palette)
        ShadeFramesTogether(sprite, options, name);
    return sprite;
}

} // namespace

DecodedPicture DecodeWholePicture(const QString &path, DecodeBudget &budget)
{
    return DecodeKept(ReadPictureFile(path), Named(path), WholePicture, budget);
}

PictureSurface DecodePicture(const QString &path, DecodeBudget &budget)
{
    return DecodeWholePicture(path, budget).Picture;
}

PictureSurface DecodePicture(const QByteArray &data, const QString &fileName, DecodeBudget &budget)
{
    return DecodeKept(data, fileName, WholePicture, budget).Picture;
}

void FitToSprite(PictureSurface &picture)
{
    picture.resize(SpriteWidthFor(picture.width()), std::min(picture.height(), MaxSpriteHeight),
                   ShadeWhite);
}

LoadedSprite LoadSprite(const QString &path, const PictureOptions &options, KeepFitted keepFitted,
                        DecodeBudget &budget)
{
    const QString name = Named(path);
    if (options.isSheet())
        return LoadSheet(path, name, options, keepFitted, budget);
    // frames=all of a still picture is its one frame.
    if (options.frames != 1) {
        const QByteArray data = ReadPictureFile(path);
        if (options.frames > 1 || IsGif(data))
            return LoadAnimation(data, name, options, keepFitted, budget);
    }
    LoadedSprite sprite;
    if (options.fit == FitMode::Scale) {
        const QByteArray data = ReadPictureFile(path);
        sprite.Gif = IsGif(data);
        const auto [format, cutShort] = DetectFormat(data);
        ScaledSprite scaled;
        if (format && format->decode == DecodeJpeg && !cutShort && format->complete(data)) {
            // A camera's picture is averaged as it is decoded, never held
            // whole.
            scaled = ScaleJpeg(data, options.width, name, budget, sprite.SourceSize);
        } else {
            // Scaling averages every pixel, so the whole picture is decoded.
            const DecodedPicture whole = DecodeKept(data, name, WholePicture, budget);
            scaled = ScalePicture(whole, options.width);
            sprite.SourceSize = whole.SourceSize;
        }
        sprite.Image = std::move(scaled.picture);
        sprite.Mask = std::move(scaled.mask);
        sprite.Columns = scaled.columns;
    } else {
        // Fitting keeps at most the top-left 32 x 240 pixels, so no more are
        // decoded.
        DecodedPicture decoded =
            DecodeKeptFile(path, name, QSize(32, MaxSpriteHeight), budget, sprite.Gif);
        sprite.Mask = MaskFromAlpha(decoded);
        sprite.SourceSize = decoded.SourceSize;
        sprite.Columns = decoded.Picture.width();
        sprite.Image = std::move(decoded.Picture);
        FitToSprite(sprite.Image);
    }
    if (keepFitted == KeepFitted::Yes)
        sprite.Fitted = sprite.Image;
    ShadePicture(sprite.Image, sprite.Columns, options, name);
    return sprite;
}

int CountFrames(const QString &path, const PictureOptions &options, DecodeBudget &budget)
{
    if (options.frames > 0)
        return options.frames;
    const QString name = Named(path);
    const QByteArray data = ReadPictureFile(path);
    if (options.isSheet()) {
        // The declared size is all a sheet's cells need: one pixel decoded.
        const QSize size = DecodeKept(data, name, QSize(1, 1), budget).SourceSize;
        return (size.width() / options.cellWidth) * (size.height() / options.cellHeight);
    }
    return IsGif(data) ? CountGifFrames(data, name) : 1;
}

QString FittingNote(QSize source)
{
    QStringList notes;
    if (source.width() < SpriteWidthFor(source.width()))
        notes << QStringLiteral("padded from %1 px wide").arg(source.width());
    if (source.width() > 32 || source.height() > MaxSpriteHeight)
        notes << QStringLiteral("cut from %1 x %2").arg(source.width()).arg(source.height());
    return notes.join(QStringLiteral("; "));
}

QString FittingNote(QSize source, const PictureOptions &options)
{
    if (options.fit != FitMode::Scale)
        return FittingNote(source);
    const int widthClass = ScaleWidthClass(source.width(), options.width);
    const QSize scaled = ScaledSize(source, widthClass);
    QStringList notes;
    if (scaled != source)
        notes << QStringLiteral("scaled from %1 x %2").arg(source.width()).arg(source.height());
    if (scaled.width() < widthClass)
        notes << QStringLiteral("padded from %1 px wide").arg(scaled.width());
    return notes.join(QStringLiteral("; "));
}

QString FittingWarning(const QString &fileName, QSize source)
{
    const int w = source.width(), h = source.height();
    const int fittedWidth = SpriteWidthFor(w);
    const bool wide = w > fittedWidth, tall = h > MaxSpriteHeight;
    const bool narrow = w < fittedWidth;
    if (!wide && !tall && !narrow)
        return {};
    const QString start = QStringLiteral("%1 is %2 x %3; ").arg(fileName).arg(w).arg(h);
    const QString padding = QStringLiteral("padded with white to %1 px wide").arg(fittedWidth);
    if (!wide && !tall)
        return start + QStringLiteral("it is ") + padding;
    const QString part = wide && tall ? QStringLiteral("top-left")
                         : wide       ? QStringLiteral("left")
                                      : QStringLiteral("top");
    const int keptWidth = std::min(w, fittedWidth), keptHeight = std::min(h, MaxSpriteHeight);
    QString text =
        start +
        QStringLiteral("only the %1 %2 x %3 is used").arg(part).arg(keptWidth).arg(keptHeight);
    if (narrow)
        text += QStringLiteral(", ") + padding;
    return text;
}

PictureSurface LoadPicture(const QString &path, const PictureOptions &options, DecodeBudget &budget)
{
    return LoadSprite(path, options, KeepFitted::No, budget).Image;
}

} // namespace bitvane
