// A minimal GIF writer for tests, since Qt reads GIF but does not write it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QRgb>
#include <QSize>

#include <algorithm>
#include <cstdint>
#include <vector>

// Qt reads GIF but cannot write it, so the tests build their GIF files here.
// The image data is LZW-coded with a clear code after every few literals:
// the code width never grows, which keeps the encoder trivial while every
// decoder still reads it as an ordinary GIF.
namespace giftest {

struct Frame {
    std::vector<std::uint8_t> indices; // width * height palette indices, rows top to bottom
    int transparentIndex = -1;
    QRect rect = {};  // where the image lies on the screen; empty: the whole screen
    int disposal = 0; // 1 none, 2 background, 3 previous
    int delay = 10;   // centiseconds
};

inline void put16(QByteArray &out, int v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

inline QByteArray lzwLiterals(const std::vector<std::uint8_t> &indices, int minCodeSize)
{
    const int clear = 1 << minCodeSize;
    const int width = minCodeSize + 1;
    const int literalsPerClear = clear - 2;
    QByteArray packed;
    std::uint32_t acc = 0;
    int bits = 0;
    auto putCode = [&](int code) {
        acc |= std::uint32_t(code) << bits;
        bits += width;
        while (bits >= 8) {
            packed.append(char(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    };
    int sinceClear = literalsPerClear;
    for (std::uint8_t index : indices) {
        if (sinceClear == literalsPerClear) {
            putCode(clear);
            sinceClear = 0;
        }
        putCode(index);
        ++sinceClear;
    }
    putCode(clear + 1);
    if (bits > 0)
        packed.append(char(acc & 0xFF));

    QByteArray blocks;
    blocks.append(char(minCodeSize));
    for (qsizetype i = 0; i < packed.size(); i += 255) {
        const QByteArray part = packed.mid(i, 255);
        blocks.append(char(part.size()));
        blocks.append(part);
    }
    blocks.append(char(0));
    return blocks;
}

// palette: at most 256 colours; a frame without a rect covers the whole logical screen.
inline QByteArray makeGif(QSize size, const QList<QRgb> &palette, const QList<Frame> &frames)
{
    int tableBits = 1;
    while ((1 << tableBits) < palette.size())
        ++tableBits;
    QByteArray out("GIF89a");
    put16(out, size.width());
    put16(out, size.height());
    out.append(char(0x80 | 0x70 | (tableBits - 1)));
    out.append(char(0));
    out.append(char(0));
    for (int i = 0; i < (1 << tableBits); ++i) {
        const QRgb c = i < palette.size() ? palette[i] : 0;
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    for (const Frame &frame : frames) {
        out.append("\x21\xF9\x04", 3);
        out.append(char((frame.transparentIndex >= 0 ? 1 : 0) | (frame.disposal << 2)));
        put16(out, frame.delay);
        out.append(char(frame.transparentIndex >= 0 ? frame.transparentIndex : 0));
        out.append(char(0));
        out.append(char(0x2C));
        const QRect rect = frame.rect.isEmpty() ? QRect(QPoint(0, 0), size) : frame.rect;
        put16(out, rect.x());
        put16(out, rect.y());
        put16(out, rect.width());
        put16(out, rect.height());
        out.append(char(0));
        out.append(lzwLiterals(frame.indices, std::max(2, tableBits)));
    }
    out.append(char(0x3B));
    return out;
}

} // namespace giftest
