// Helpers every test suite shares: the header's preamble, whole files, colours, random sprites, a
// reference array writer.
#pragma once

#include "imaging/colormodel.h"
#include "imaging/spritemask.h"
#include "imaging/surface.h"
#include "project/pictureentry.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>
#include <random>

QT_BEGIN_NAMESPACE
// Test names and failure messages show a QString parameter as its text.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray &bytes, std::ostream *os)
{
    *os << '"' << bytes.toStdString() << '"';
}
QT_END_NAMESPACE

namespace bitvane::testing {

// The header's first three lines, written out here rather than taken from
// the code under test.
inline const QByteArray Preamble = "// Sprite header file made with Bitvane 2.0\r\n"
                                   "// http://www.bitvane.example/\r\n"
                                   "\r\n";

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// The names in a folder, hidden ones included: what a run left behind.
inline QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

inline ColorValue Rgb(int red, int green, int blue)
{
    return PackColor({std::uint8_t(blue), std::uint8_t(green), std::uint8_t(red)});
}

inline ColorValue Grey(int g)
{
    return Rgb(g, g, g);
}

// A picture of the four shades at random, the same for the same seed.
inline PictureSurface RandomShades(int width, int height, unsigned seed)
{
    constexpr ColorValue shades[] = {ShadeBlack, ShadeDark, ShadeLight, ShadeWhite};
    std::mt19937 rng(seed);
    PictureSurface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.setPixel(x, y, shades[rng() % 4]);
    return s;
}

// A mask of 8, 16 or 32 pixels' width drawn at random.
inline SpriteMask RandomMask(int width, int height, unsigned seed)
{
    std::mt19937 rng(seed);
    SpriteMask mask{width, {}};
    for (int y = 0; y < height; ++y)
        mask.rows.push_back(std::uint32_t(rng()) >> (32 - width));
    return mask;
}

// The array line for a picture, straight from the format's rules: per row
// one digit pair for each pixel of the four shades (black 11, dark grey 10,
// light grey 01, white 00; any other colour gives none), low digits first,
// then high. A width other than 8, 16 or 32 gives an empty line.
inline QByteArray ReferenceArray(const PictureSurface &p, const QString &name, bool hex)
{
    const char *prefix = p.width() == 8    ? "static unsigned char "
                         : p.width() == 16 ? "static unsigned short "
                         : p.width() == 32 ? "static unsigned long "
                                           : nullptr;
    if (!prefix)
        return {};
    auto element = [hex](const QByteArray &digits) {
        return hex ? "0x" + QByteArray::number(digits.toULongLong(nullptr, 2), 16) : "0b" + digits;
    };
    QList<QByteArray> low, high;
    for (int y = 0; y < p.height(); ++y) {
        QByteArray hi, lo;
        for (int x = 0; x < p.width(); ++x) {
            const ColorValue v = p.pixel(x, y);
            const char *digits = v == ShadeBlack   ? "11"
                                 : v == ShadeDark  ? "10"
                                 : v == ShadeLight ? "01"
                                 : v == ShadeWhite ? "00"
                                                   : "";
            if (*digits) {
                hi += digits[0];
                lo += digits[1];
            }
        }
        high << element(hi);
        low << element(lo);
    }
    return prefix + name.toUtf8() + "[" + QByteArray::number(2 * p.height()) + "] = {" +
           low.join(", ") + ", " + high.join(", ") + "};";
}

// An entry as the window holds one after loading; the fields a test leaves
// out stay as a new entry has them.
inline PictureEntry MakeEntry(const QString &name, const QString &location,
                              PictureSurface image = {}, int contrast = 0, int brightness = 0,
                              SpriteMask mask = {})
{
    PictureEntry entry;
    entry.Name = name;
    entry.Location = location;
    entry.Sprite.Image = std::move(image);
    entry.Contrast = std::int16_t(contrast);
    entry.Brightness = std::int16_t(brightness);
    entry.Sprite.Mask = std::move(mask);
    return entry;
}

} // namespace bitvane::testing
