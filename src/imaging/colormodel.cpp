// The colour model: snapping a component to the nearest of the four grey levels.
#include "imaging/colormodel.h"

#include "error.h"

#include <cmath>

namespace bitvane {

ColorTriple SplitColor(ColorValue value)
{
    if (value < 0)
        throw Error(QStringLiteral("colour value %1 is negative: no pixel has it").arg(value));
    ColorTriple t;
    t.red = static_cast<std::uint8_t>(value % 256);
    t.green = static_cast<std::uint8_t>((value / 256) % 256);
    t.blue = static_cast<std::uint8_t>((value / 65536) % 256);
    return t;
}

std::uint8_t SnapToShade(std::uint8_t b)
{
    constexpr double step = 255.0 / (4 - 1);
    // nearbyint rounds half to even under the default rounding mode; no byte
    // lies halfway between two levels, so the tie rule never decides here.
    const double r = std::nearbyint(b / step);
    return static_cast<std::uint8_t>(r * step);
}

} // namespace bitvane
