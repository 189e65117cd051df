// The loader tests' shared ground: a folder of written files, random and
// hand-built pictures, and the colour-by-colour comparison.
#pragma once

#include "gifwriter.h"
#include "imaging/pictureloader.h"
#include "testsupport.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace bitvane::testing {

inline ColorValue FromQRgb(QRgb c)
{
    return Rgb(qRed(c), qGreen(c), qBlue(c));
}

inline QImage RandomImage(int width, int height, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFF));
    return image;
}

inline QByteArray Encode(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format, quality)) << format;
    return bytes;
}

// Every pixel of a decoded picture against the image it was written from.
inline void ExpectSameColours(const PictureSurface &s, const QImage &image)
{
    ASSERT_EQ(s.width(), image.width());
    ASSERT_EQ(s.height(), image.height());
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            wrong += s.pixel(x, y) != FromQRgb(image.pixel(x, y));
    EXPECT_EQ(wrong, 0);
}

class Loader : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QString save(const QString &name, const QImage &image, const char *format, int quality = -1)
    {
        return write(name, Encode(image, format, quality));
    }

    QTemporaryDir dir;
};

inline QByteArray SmallRle8Bmp()
{
    // 4 x 2, two colours; bottom row all colour 1, top row 0 0 1 1.
    const QByteArray runs("\x04\x01\x00\x00\x02\x00\x02\x01\x00\x01", 10);
    QByteArray b("BM");
    auto le32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    auto le16 = [&](quint16 v) {
        b.append(char(v & 0xFF));
        b.append(char(v >> 8));
    };
    le32(14 + 40 + 8 + runs.size());
    le32(0);
    le32(14 + 40 + 8);
    le32(40);
    le32(4);
    le32(2);
    le16(1);
    le16(8);
    le32(1); // RLE8
    le32(quint32(runs.size()));
    le32(2835);
    le32(2835);
    le32(2);
    le32(2);
    b.append("\x20\x40\x60\x00\xF0\xE0\xD0\x00", 8); // blue, green, red, 0
    b.append(runs);
    return b;
}

inline QByteArray SmallGif(int transparentIndex = -1)
{
    const QList<QRgb> palette{qRgb(0, 0, 0), qRgb(200, 30, 10), qRgb(5, 250, 9), qRgb(1, 2, 3)};
    giftest::Frame frame;
    frame.transparentIndex = transparentIndex;
    for (int i = 0; i < 6 * 3; ++i)
        frame.indices.push_back(std::uint8_t(i % 4));
    return giftest::makeGif(QSize(6, 3), palette, {frame});
}

} // namespace bitvane::testing
