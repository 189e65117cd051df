// Option fields: parsing a record's key=value choices, resolving them over defaults, writing them.
#include "project/optionfield.h"

#include "error.h"

#include <QList>

#include <array>

namespace bitvane {

namespace {

constexpr std::array<std::pair<FitMode, const char *>, 2> FitNames{
    {{FitMode::Cut, "cut"}, {FitMode::Scale, "scale"}}};
constexpr std::array<std::pair<ShadeMode, const char *>, 4> ShadeNames{
    {{ShadeMode::Threshold, "threshold"},
     {ShadeMode::Ordered, "ordered"},
     {ShadeMode::Diffuse, "diffuse"},
     {ShadeMode::Palette, "palette"}}};

template <class Mode, std::size_t N>
std::optional<Mode> ModeNamed(const std::array<std::pair<Mode, const char *>, N> &names,
                              QByteArrayView text)
{
    for (const auto &[mode, name] : names)
        if (text == name)
            return mode;
    return std::nullopt;
}

template <class Mode, std::size_t N>
const char *NameOf(const std::array<std::pair<Mode, const char *>, N> &names, Mode mode)
{
    for (const auto &[m, name] : names)
        if (m == mode)
            return name;
    return "";
}

// One to maxDigits decimal digits and nothing else.
std::optional<int> DigitsValue(QByteArrayView text, qsizetype maxDigits)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// One to three decimal digits, 0 to 255.
std::optional<int> ByteValue(QByteArrayView text)
{
    const std::optional<int> value = DigitsValue(text, 3);
    return value && *value <= 255 ? value : std::nullopt;
}

// A count from 1 in up to maxDigits decimal digits, without a leading zero.
std::optional<int> CountValue(QByteArrayView text, qsizetype maxDigits)
{
    if (text.startsWith('0'))
        return std::nullopt;
    return DigitsValue(text, maxDigits);
}

// WxH, both counts.
std::optional<std::pair<int, int>> CellValue(QByteArrayView text)
{
    const qsizetype x = text.indexOf('x');
    if (x < 0)
        return std::nullopt;
    const std::optional<int> w = CountValue(text.first(x), 4),
                             h = CountValue(text.sliced(x + 1), 4);
    if (!w || !h)
        return std::nullopt;
    return std::pair(*w, *h);
}

} // namespace

PictureOptions ResolveOptions(const OptionChoices &choices, const PictureOptions &defaults)
{
    PictureOptions options = defaults;
    if (choices.fit)
        options.fit = *choices.fit;
    options.width = options.fit == FitMode::Scale && choices.width ? *choices.width
                    : options.fit == FitMode::Scale                ? defaults.width
                                                                   : 0;
    if (choices.levels)
        std::tie(options.black, options.white) = *choices.levels;
    if (choices.shade)
        options.shade = *choices.shade;
    // Only a record makes a sheet: the command line has no default cell.
    if (choices.cell)
        std::tie(options.cellWidth, options.cellHeight) = *choices.cell;
    options.frames = choices.frames.value_or(options.isSheet() ? 0 : 1);
    return options;
}

OptionChoices ChoicesOf(const PictureOptions &options)
{
    OptionChoices choices;
    choices.fit = options.fit;
    if (options.fit == FitMode::Scale && options.width != 0)
        choices.width = options.width;
    choices.levels = std::pair(options.black, options.white);
    choices.shade = options.shade;
    if (options.isSheet())
        choices.cell = std::pair(options.cellWidth, options.cellHeight);
    if (options.isSheet() || options.frames != 1)
        choices.frames = options.frames;
    return choices;
}

OptionChoices ParseOptionField(QByteArrayView field, const QString &file, int line)
{
    OptionChoices choices;
    if (field.isEmpty())
        return choices;
    std::optional<int> black, white;
    QByteArray levelsPart, widthPart;
    const QList<QByteArray> parts = field.toByteArray().split(';');
    for (const QByteArray &part : parts) {
        const auto bad = [&] {
            return Error(file, line,
                         QStringLiteral("bad option '%1'").arg(QString::fromUtf8(part)));
        };
        const qsizetype eq = part.indexOf('=');
        if (eq <= 0)
            throw bad();
        const QByteArrayView key = QByteArrayView(part).first(eq),
                             value = QByteArrayView(part).sliced(eq + 1);
        if (key == "fit") {
            if (choices.fit || !(choices.fit = ModeNamed(FitNames, value)))
                throw bad();
        } else if (key == "width") {
            const std::optional<int> w = ByteValue(value);
            if (choices.width || !w || (*w != 8 && *w != 16 && *w != 32))
                throw bad();
            choices.width = w;
            widthPart = part;
        } else if (key == "black" || key == "white") {
            std::optional<int> &point = key == "black" ? black : white;
            if (point || !(point = ByteValue(value)))
                throw bad();
            levelsPart = part;
        } else if (key == "shade") {
            if (choices.shade || !(choices.shade = ModeNamed(ShadeNames, value)))
                throw bad();
        } else if (key == "cell") {
            if (choices.cell || !(choices.cell = CellValue(value)))
                throw bad();
        } else if (key == "frames") {
            if (choices.frames)
                throw bad();
            // Counts past a project's sprites are refused with the picture.
            choices.frames = value == "all" ? std::optional<int>(0) : CountValue(value, 5);
            if (!choices.frames)
                throw bad();
        } else {
            throw bad();
        }
    }
    // Checks across parts name the part that made the pair wrong: the later
    // of black and white, and width when fit does not scale.
    const auto badPart = [&](QByteArrayView part) {
        return Error(file, line, QStringLiteral("bad option '%1'").arg(QString::fromUtf8(part)));
    };
    if (choices.width && choices.fit != FitMode::Scale)
        throw badPart(widthPart);
    if (black || white) {
        const int lo = black.value_or(0), hi = white.value_or(255);
        if (lo >= hi)
            throw badPart(levelsPart);
        choices.levels = std::pair(lo, hi);
    }
    return choices;
}

QByteArray FormatOptionField(const PictureOptions &options)
{
    QList<QByteArray> parts;
    if (options.fit != FitMode::Cut)
        parts << QByteArray("fit=") + NameOf(FitNames, options.fit);
    if (options.fit == FitMode::Scale && options.width != 0)
        parts << "width=" + QByteArray::number(options.width);
    if (options.black != 0)
        parts << "black=" + QByteArray::number(options.black);
    if (options.white != 255)
        parts << "white=" + QByteArray::number(options.white);
    if (options.shade != ShadeMode::Threshold)
        parts << QByteArray("shade=") + NameOf(ShadeNames, options.shade);
    const QByteArray frames =
        options.frames == 0 ? QByteArray("all") : QByteArray::number(options.frames);
    if (options.isSheet())
        parts << "cell=" + QByteArray::number(options.cellWidth) + 'x' +
                     QByteArray::number(options.cellHeight) + ";frames=" + frames;
    else if (options.frames != 1)
        parts << "frames=" + frames;
    return parts.join(';');
}

} // namespace bitvane
