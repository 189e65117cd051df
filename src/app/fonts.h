// The windows' typefaces, with fallbacks where the named face is missing.
#pragma once

#include <QFont>
#include <QString>

namespace bitvane {

// The windows' typefaces are not installed everywhere; the fallbacks are the
// closest legible ones of a stock Linux desktop, the condensed cut first
// since the captions were fitted to a narrow face.
inline QFont WindowFont(double points = 8.25, bool bold = false)
{
    QFont f;
    f.setFamilies({QStringLiteral("Trebuchet MS"), QStringLiteral("DejaVu Sans Condensed"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// The face of the path box and its browse button.
inline QFont SystemFont()
{
    QFont f;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                   QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("DejaVu Sans")});
    f.setPointSizeF(8.25);
    return f;
}

} // namespace bitvane
