// ColorValue and ColorTriple, packing, clamping, snapping and the four-shade palette.
#pragma once

#include <cstdint>

namespace bitvane {

// A pixel as the surfaces hold it: red in bits 0-7, green in 8-15, blue in
// 16-23, bits 24-31 zero.
using ColorValue = std::int32_t;

// The three bytes of a colour value, blue first.
struct ColorTriple {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;

    friend bool operator==(const ColorTriple &, const ColorTriple &) = default;
};

constexpr ColorValue PackColor(ColorTriple t)
{
    return t.blue * 65536 + t.green * 256 + t.red;
}

// Throws Error for a negative value (what a read outside a surface answers).
ColorTriple SplitColor(ColorValue value);

constexpr std::uint8_t ClampToByte(std::int16_t v)
{
    return v < 0 ? 0 : v > 255 ? 255 : static_cast<std::uint8_t>(v);
}

// The nearest of the four grey levels 0, 85, 170, 255: 0-42, 43-127,
// 128-212 and 213-255 map to them in turn.
std::uint8_t SnapToShade(std::uint8_t b);

// The four-shade palette. In a header the shades are the 2-bit codes 3, 2, 1, 0.
inline constexpr ColorValue ShadeBlack = PackColor({0, 0, 0});
inline constexpr ColorValue ShadeDark = PackColor({85, 85, 85});
inline constexpr ColorValue ShadeLight = PackColor({170, 170, 170});
inline constexpr ColorValue ShadeWhite = PackColor({255, 255, 255});

} // namespace bitvane
