// Surfaces and masks to and from QImage.
#include "imaging/qtimage.h"

namespace bitvane {

namespace {

// The image as the decoders give a picture: ARGB32 (not premultiplied)
// keeps every opaque colour exact, whatever the depth.
DecodedPicture Decoded(const QImage &image)
{
    DecodedPicture decoded;
    const bool alpha = image.hasAlphaChannel();
    const QImage src = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    PictureBuilder builder(image.size(), image.size(), alpha);
    for (int y = 0; y < image.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            builder.put(x, y, std::uint8_t(qRed(in[x])), std::uint8_t(qGreen(in[x])),
                        std::uint8_t(qBlue(in[x])), alpha ? std::uint8_t(qAlpha(in[x])) : 255);
    }
    return builder.take();
}

} // namespace

PictureSurface SurfaceFromImage(const QImage &image)
{
    return Decoded(image).Picture;
}

QImage ImageFromSurface(const PictureSurface &surface)
{
    QImage image(surface.width(), surface.height(), QImage::Format_RGB32);
    for (int y = 0; y < surface.height(); ++y) {
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        const ColorValue *in = surface.row(y);
        for (int x = 0; x < surface.width(); ++x)
            out[x] = ToQRgb(in[x]);
    }
    return image;
}

SpriteMask MaskFromAlpha(const QImage &picture)
{
    return MaskFromAlpha(Decoded(picture));
}

ScaledSprite ScaleImage(const QImage &image, int chosenWidth)
{
    return ScalePicture(Decoded(image), chosenWidth);
}

} // namespace bitvane
