// Structure checks of BMP, GIF, JPEG and PNG files, walked before a decoder
// sees them, and the byte readers they share with the direct BMP reader.
#pragma once

#include <QByteArrayView>
#include <QSize>
#include <QString>
#include <QtGlobal>

namespace bitvane {

// Sprite pictures are small; this only keeps a wrong file (a decompression
// bomb) from taking the machine's memory, while a camera photo still loads.
inline constexpr qint64 MaxPixels = qint64(1) << 27;

// Throws Error naming the file when width x height passes MaxPixels.
void CheckPictureSize(const QString &name, qint64 width, qint64 height);

// Little- and big-endian reads at a position the caller has checked.
inline quint32 Le16(QByteArrayView d, qint64 p)
{
    return quint8(d[p]) | quint32(quint8(d[p + 1])) << 8;
}
inline quint32 Le32(QByteArrayView d, qint64 p)
{
    return Le16(d, p) | Le16(d, p + 2) << 16;
}
inline quint32 Be16(QByteArrayView d, qint64 p)
{
    return quint32(quint8(d[p])) << 8 | quint8(d[p + 1]);
}
inline quint32 Be32(QByteArrayView d, qint64 p)
{
    return Be16(d, p) << 16 | Be16(d, p + 2);
}

// The decoders fill whatever a short file lacks with made-up pixels (or
// leave it undefined) and report success, so each format's structure is
// walked first. These answer false only when the file certainly ends before
// the first picture's data does; anything else is left to the decoder.
bool BmpComplete(QByteArrayView d);
bool GifComplete(QByteArrayView d);
bool JpegComplete(QByteArrayView d);
bool PngComplete(QByteArrayView d);

// The LZW minimum code size of a GIF's first image; -1 when the file is too
// short to say.
int GifFirstCodeSize(QByteArrayView d);

// The size a GIF decoder allocates (the logical screen its frames are drawn
// onto); invalid when the file is too short to say.
QSize GifCanvas(QByteArrayView d);

} // namespace bitvane
