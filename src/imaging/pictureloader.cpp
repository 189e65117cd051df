// Picture loading: reading the file, finding its format, decoding, fitting.
#include "imaging/pictureloader.h"

#include "error.h"
#include "fileaccess.h"
#include "imaging/directbmp.h"
#include "imaging/fit.h"
#include "imaging/formatchecks.h"
#include "imaging/shading.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>

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
    const char *qtName;
    const char *label;
    QByteArrayView signature;
    bool (*complete)(QByteArrayView data);
    // The size the decoder will allocate when the file says more than the
    // decoder's own size query does; invalid when it says nothing more.
    QSize (*canvas)(QByteArrayView data);
    // A direct reader of the format's commonest kind of file, answering
    // nothing for other kinds; null when the format has none.
    std::optional<PictureSurface> (*direct)(QByteArrayView data, QSize keep, const QString &name);
};

QSize NoCanvas(QByteArrayView)
{
    return {};
}

QString Named(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

const PictureFormat Formats[] = {
    {"bmp", "BMP", "BM", BmpComplete, NoCanvas, DecodePlainBmp},
    {"gif", "GIF", "GIF8", GifComplete, GifCanvas, nullptr},
    {"jpeg", "JPEG", "\xFF\xD8\xFF", JpegComplete, NoCanvas, nullptr},
    {"png", "PNG", "\x89PNG\r\n\x1A\n", PngComplete, NoCanvas, nullptr},
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

// The allocation limit Qt's readers apply by default refuses photos long
// before MaxPixels; it is raised to what the declared size needs (at eight
// bytes a pixel, the widest format a decoder uses), which MaxPixels bounds.
int AllocationLimitFor(QSize declared)
{
    constexpr qint64 Megabyte = qint64(1) << 20;
    const qint64 needed = qint64(declared.width()) * declared.height() * 8 / Megabyte + 1;
    return int(
        std::clamp<qint64>(needed, QImageReader::allocationLimit(), MaxPixels * 8 / Megabyte));
}

// source receives the picture's own size, which a clipped read does not show.
QImage ReadWithQt(const QByteArray &data, const PictureFormat &format, const QString &name,
                  QSize keep, QSize &source)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format.qtName);
    // The pixels as stored: no turning by orientation tags, no gamma or
    // colour profile applied (the reader applies none unless asked).
    reader.setAutoTransform(false);
    // The format is known from the file's first bytes; letting the reader
    // probe would load every image plugin on the first picture of a run.
    reader.setAutoDetectImageFormat(false);
    const QSize declared = reader.size();
    for (const QSize size : {format.canvas(data), declared}) {
        if (size.isValid())
            CheckPictureSize(name, size.width(), size.height());
    }
    if (declared.isValid()) {
        reader.setAllocationLimit(AllocationLimitFor(declared.expandedTo(format.canvas(data))));
        // Where the reader can decode a part only, it decodes no more than
        // is kept: a photo's first rows, not all of it.
        const QSize kept = declared.boundedTo(keep);
        if (kept != declared && reader.supportsOption(QImageIOHandler::ClipRect))
            reader.setClipRect(QRect(QPoint(0, 0), kept));
    }
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw Error(name, QStringLiteral("the %1 picture is damaged (%2)")
                              .arg(QLatin1String(format.label), reader.errorString()));
    CheckPictureSize(name, image.width(), image.height());
    source = declared.isValid() ? declared : image.size();
    return image;
}

// The picture in data, cut to keep from the top-left corner, with the size
// it has in the file and the mask of the kept part. Asked for the decoder's
// image, a picture Qt decodes is left in `image` as decoded, alpha and all,
// and `picture` stays empty.
struct Decoded {
    PictureSurface picture;
    QSize source;
    SpriteMask mask;
    QImage image = {};
};

Decoded DecodeBytes(const QByteArray &data, const QString &name, QSize keep,
                    bool decoderImage = false)
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
    if (format->direct) {
        if (std::optional<PictureSurface> picture = format->direct(data, keep, name)) {
            // Only plain 24-bit files are read directly: no transparency.
            const QSize source(int(qint32(Le32(data, 18))), std::abs(qint32(Le32(data, 22))));
            SpriteMask mask = OpaqueMask(picture->width(), picture->height());
            return {std::move(*picture), source, std::move(mask)};
        }
    }
    QSize source;
    QImage image = ReadWithQt(data, *format, name, keep, source);
    if (decoderImage)
        return {{}, source, {}, std::move(image)};
    const QSize kept = image.size().boundedTo(keep);
    // Cut before converting: a large picture need not be converted whole.
    if (kept != image.size())
        image = image.copy(QRect(QPoint(0, 0), kept));
    SpriteMask mask = MaskFromAlpha(image);
    return {PictureSurface::fromImage(image), source, std::move(mask)};
}

QByteArray ReadPictureFile(const QString &path)
{
    if (path.isEmpty())
        throw Error(QStringLiteral("no picture file was named"));
    return ReadRegularFile(path, Named(path), MaxFileBytes, u"picture file");
}

constexpr QSize WholePicture(std::numeric_limits<int>::max(), std::numeric_limits<int>::max());

} // namespace

PictureSurface DecodePicture(const QString &path)
{
    return DecodeBytes(ReadPictureFile(path), Named(path), WholePicture).picture;
}

PictureSurface DecodePicture(const QByteArray &data, const QString &fileName)
{
    return DecodeBytes(data, fileName, WholePicture).picture;
}

void FitToSprite(PictureSurface &picture)
{
    picture.resize(SpriteWidthFor(picture.width()), std::min(picture.height(), MaxSpriteHeight),
                   ShadeWhite);
}

LoadedSprite LoadSprite(const QString &path, const PictureOptions &options)
{
    const QString name = Named(path);
    LoadedSprite sprite;
    int columns = 0;
    if (options.fit == FitMode::Scale) {
        // Scaling averages every pixel, so the whole picture is decoded.
        Decoded whole = DecodeBytes(ReadPictureFile(path), name, WholePicture, true);
        ScaledSprite scaled = whole.image.isNull() ? ScaleSurface(whole.picture, options.width)
                                                   : ScaleImage(whole.image, options.width);
        sprite = {std::move(scaled.picture), std::move(scaled.mask), whole.source, {}};
        columns = scaled.columns;
    } else {
        // Fitting keeps at most the top-left 32 x 240 pixels, so no more are
        // decoded or converted.
        Decoded decoded = DecodeBytes(ReadPictureFile(path), name, QSize(32, MaxSpriteHeight));
        columns = decoded.picture.width();
        FitToSprite(decoded.picture);
        sprite = {std::move(decoded.picture), std::move(decoded.mask), decoded.source, {}};
    }
    sprite.Fitted = sprite.Image;
    sprite.Columns = columns;
    ShadePicture(sprite.Image, columns, options, name);
    return sprite;
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

PictureSurface LoadPicture(const QString &path, const PictureOptions &options)
{
    return LoadSprite(path, options).Image;
}

} // namespace bitvane
