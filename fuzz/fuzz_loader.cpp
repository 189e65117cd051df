// Arbitrary bytes as a picture file: decoding, fitting and reducing either
// give a sprite or throw bitvane::Error; anything else escaping (a crash,
// another exception, a hang, a runaway allocation) is a fault. What comes
// out must be a sprite: 8, 16 or 32 wide, at most 240 high, four shades.

#include "error.h"
#include "imaging/pictureloader.h"
#include "imaging/shadereduction.h"

#include <QtGlobal>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The decoders warn about every damaged input; that output only slows
    // the run down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    bitvane::PictureSurface picture;
    try {
        picture = bitvane::DecodePicture(bytes, QStringLiteral("fuzz.bmp"));
    } catch (const bitvane::Error &) {
        return 0;
    }
    if (picture.isEmpty())
        std::abort();
    bitvane::FitToSprite(picture);
    bitvane::ReduceToShades(picture, picture);
    const int w = picture.width();
    if ((w != 8 && w != 16 && w != 32) || picture.height() < 1 ||
        picture.height() > bitvane::MaxSpriteHeight)
        std::abort();
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < w; ++x) {
            const bitvane::ColorValue v = picture.pixel(x, y);
            if (v != bitvane::ShadeBlack && v != bitvane::ShadeDark && v != bitvane::ShadeLight &&
                v != bitvane::ShadeWhite)
                std::abort();
        }
    return 0;
}
