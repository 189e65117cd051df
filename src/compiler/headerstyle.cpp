// Header text in the classic and modern styles, with masks.
#include "compiler/headerstyle.h"

#include "compiler/digittables.h"
#include "compiler/spritearray.h"
#include "error.h"

#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstring>

namespace bitvane {

namespace {

constexpr char LineEnd[] = "\r\n";

constexpr auto HexPairs = HexPairTable("0123456789ABCDEF");

// The drawing of four pixels from their high-plane bits (index bits 4-7)
// and low-plane bits (0-3), leftmost pixel in the top bits.
constexpr char ShadeChars[] = ".-+#"; // by code: white, light, dark, black
constexpr auto FourPixels = [] {
    std::array<std::array<char, 4>, 256> t{};
    for (int i = 0; i < 256; ++i)
        for (int k = 0; k < 4; ++k) {
            const int bit = 3 - k;
            t[i][k] = ShadeChars[(((i >> (4 + bit)) & 1) << 1) | ((i >> bit) & 1)];
        }
    return t;
}();

// Pixels that are none of the shades give no bits and are drawn '?'.
struct DrawnRow {
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    std::array<char, 32> chars{};
};

DrawnRow DrawRow(const ColorValue *in, int width)
{
    DrawnRow row;
    for (int x = 0; x < width; ++x) {
        const ColorValue v = in[x];
        const int code = v == ShadeBlack ? 3 : v == ShadeDark ? 2 : v == ShadeLight ? 1 : 0;
        const bool shade = code > 0 || v == ShadeWhite;
        row.high = (row.high << 1) | std::uint32_t(code >> 1);
        row.low = (row.low << 1) | std::uint32_t(code & 1);
        row.chars[std::size_t(x)] = shade ? ShadeChars[code] : '?';
    }
    return row;
}

bool IsAsciiAlnum(char16_t u)
{
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
}

void CheckMask(const SpriteMask &mask, const PictureSurface &picture, const QString &name)
{
    if (mask.width != picture.width() || mask.height() != picture.height())
        throw Error(QStringLiteral("%1: the mask is %2 x %3 pixels but the picture %4 x %5")
                        .arg(name)
                        .arg(mask.width)
                        .arg(mask.height())
                        .arg(picture.width())
                        .arg(picture.height()));
}

// "static const uintN_t NAME[count] BITVANE_DATA" with the given storage
// class in front ("static ", "extern " or none).
char *PutModernDeclarator(char *p, QByteArrayView storage, int width, QByteArrayView name,
                          QByteArrayView suffix, int count)
{
    p = PutText(p, storage);
    p = PutText(p, "const ");
    p = PutText(p, ModernType(width));
    *p++ = ' ';
    p = PutText(p, name);
    p = PutText(p, suffix);
    *p++ = '[';
    p = PutText(p, QByteArray::number(count));
    return PutText(p, "] BITVANE_DATA");
}

// A definition's first line. A shared header's definitions have no
// "static": they are the ones its extern declarations name.
char *PutModernOpening(char *p, bool shared, int width, QByteArrayView name, QByteArrayView suffix,
                       int count)
{
    p = PutModernDeclarator(p, shared ? "" : "static ", width, name, suffix, count);
    p = PutText(p, " = {");
    return PutText(p, LineEnd);
}

// The modern arrays of one width and notation, so that the compiler can
// unroll every row.
template <int Width, bool Hex> char *PutElement(char *p, std::uint32_t value)
{
    *p++ = '0';
    *p++ = Hex ? 'x' : 'b';
    for (int shift = Width - 8; shift >= 0; shift -= 8) {
        const std::uint32_t byte = (value >> shift) & 0xFF;
        if constexpr (Hex) {
            std::memcpy(p, HexPairs[byte].data(), 2);
            p += 2;
        } else {
            std::memcpy(p, BinaryOctets[byte].data(), 8);
            p += 8;
        }
    }
    return p;
}

// Rows without a drawing (the high plane, a mask): a comma after all but
// the last.
template <int Width, bool Hex, typename Value> char *PutPlainRows(char *p, int count, Value value)
{
    for (int y = 0; y < count; ++y) {
        std::memcpy(p, "    ", 4);
        p = PutElement<Width, Hex>(p + 4, value(std::size_t(y)));
        if (y + 1 < count)
            *p++ = ',';
        p = PutText(p, LineEnd);
    }
    return PutText(p, "};\r\n");
}

template <int Width, bool Hex>
char *PutArrays(char *p, const PictureSurface &picture, std::vector<PlaneRow> &low,
                std::vector<PlaneRow> &high, const SpriteMask *mask, QByteArrayView id, bool shared)
{
    const int height = picture.height();
    p = PutModernOpening(p, shared, Width, id, {}, 2 * height);
    for (std::size_t y = 0; y < low.size(); ++y) {
        std::memcpy(p, "    ", 4);
        p += 4;
        if (low[y].count == Width) {
            p = PutElement<Width, Hex>(p, low[y].value);
            p = PutText(p, ", /* ");
            for (int shift = Width - 4; shift >= 0; shift -= 4) {
                const std::uint32_t index =
                    (((high[y].value >> shift) & 0xF) << 4) | ((low[y].value >> shift) & 0xF);
                std::memcpy(p, FourPixels[index].data(), 4);
                p += 4;
            }
        } else {
            // The classic scan closed up the row; here each pixel keeps its
            // place, as NAME_WIDTH promises.
            const DrawnRow row = DrawRow(picture.row(int(y)), Width);
            high[y].value = row.high;
            p = PutElement<Width, Hex>(p, row.low);
            p = PutText(p, ", /* ");
            std::memcpy(p, row.chars.data(), Width);
            p += Width;
        }
        p = PutText(p, " */\r\n");
    }
    p = PutPlainRows<Width, Hex>(p, height, [&](std::size_t y) { return high[y].value; });
    if (mask) {
        p = PutModernOpening(p, shared, Width, id, "_mask", height);
        p = PutPlainRows<Width, Hex>(p, height, [&](std::size_t y) { return mask->rows[y]; });
    }
    return p;
}

QByteArray ModernBlock(const PictureSurface &picture, const QString &name, bool hex,
                       const SpriteMask *mask, bool shared)
{
    const int width = picture.width(), height = picture.height();
    if (width != 8 && width != 16 && width != 32)
        throw Error(QStringLiteral("%1: a width of %2 pixels gives no array").arg(name).arg(width));
    if (height == 0)
        throw Error(QStringLiteral("%1: a picture without rows gives no array").arg(name));
    if (mask)
        CheckMask(*mask, picture, name);

    std::vector<PlaneRow> low, high;
    ScanPlanes(picture, low, high);

    // Names are written as they stand, as in the classic style: the user
    // has been told about the ones that are no C identifiers.
    const QByteArray id = name.toUtf8();
    // Room for every row: indent, prefix, digits, ", " or ",", line end;
    // the low plane's rows also " /* ", a character per pixel and " */".
    const qsizetype digits = hex ? width / 4 : width;
    const qsizetype rowBytes = 4 + 2 + digits + 2 + 2;
    const qsizetype rows = mask ? 3 * qsizetype(height) : 2 * qsizetype(height);
    QByteArray out(600 + 8 * id.size() + rows * rowBytes + qsizetype(height) * (width + 7),
                   Qt::Uninitialized);
    char *p = out.data();
    p = PutText(p, "#define ");
    p = PutText(p, id);
    p = PutText(p, "_WIDTH ");
    p = PutText(p, QByteArray::number(width));
    p = PutText(p, LineEnd);
    p = PutText(p, "#define ");
    p = PutText(p, id);
    p = PutText(p, "_HEIGHT ");
    p = PutText(p, QByteArray::number(height));
    p = PutText(p, LineEnd);
    if (shared) {
        // Every includer sees the declarations; the one C file that defines
        // BITVANE_IMPLEMENTATION first holds the data.
        p = PutModernDeclarator(p, "extern ", width, id, {}, 2 * height);
        p = PutText(p, ";\r\n");
        if (mask) {
            p = PutModernDeclarator(p, "extern ", width, id, "_mask", height);
            p = PutText(p, ";\r\n");
        }
        p = PutText(p, "#ifdef BITVANE_IMPLEMENTATION\r\n");
    }
    using Writer = char *(*)(char *, const PictureSurface &, std::vector<PlaneRow> &,
                             std::vector<PlaneRow> &, const SpriteMask *, QByteArrayView, bool);
    const Writer arrays = width == 8    ? (hex ? PutArrays<8, true> : PutArrays<8, false>)
                          : width == 16 ? (hex ? PutArrays<16, true> : PutArrays<16, false>)
                                        : (hex ? PutArrays<32, true> : PutArrays<32, false>);
    p = arrays(p, picture, low, high, mask, id, shared);
    if (shared)
        p = PutText(p, "#endif /* BITVANE_IMPLEMENTATION */\r\n");
    p = PutText(p, LineEnd);
    out.truncate(p - out.data());
    return out;
}

// One element of a modern array: the value's low width bits in the
// notation's fixed number of digits.
void AppendElement(QByteArray &out, std::uint32_t value, int width, bool hex)
{
    char digits[40];
    char *p = digits;
    switch ((width << 1) | int(hex)) {
    case 16:
        p = PutElement<8, false>(p, value);
        break;
    case 17:
        p = PutElement<8, true>(p, value);
        break;
    case 32:
        p = PutElement<16, false>(p, value);
        break;
    case 33:
        p = PutElement<16, true>(p, value);
        break;
    case 64:
        p = PutElement<32, false>(p, value);
        break;
    default:
        p = PutElement<32, true>(p, value);
        break;
    }
    out.append(digits, p - digits);
}

// "static const uintN_t NAME[frames][count] BITVANE_DATA", storage in front.
QByteArray SheetDeclarator(QByteArrayView storage, int width, const QByteArray &id, int frames,
                           int count)
{
    return storage.toByteArray() + "const " + ModernType(width) + ' ' + id + '[' +
           QByteArray::number(frames) + "][" + QByteArray::number(count) + "] BITVANE_DATA";
}

} // namespace

QByteArray SheetBlock(const std::vector<PictureSurface> &frames, const QString &name, bool hex,
                      const std::vector<const SpriteMask *> &masks, bool shared)
{
    const PictureSurface &first = frames.front();
    const int width = first.width(), height = first.height(), count = int(frames.size());
    if (width != 8 && width != 16 && width != 32)
        throw Error(QStringLiteral("%1: a width of %2 pixels gives no array").arg(name).arg(width));
    if (height == 0)
        throw Error(QStringLiteral("%1: a picture without rows gives no array").arg(name));
    for (std::size_t i = 0; i < masks.size(); ++i)
        CheckMask(*masks[i], frames[i], name);
    const QByteArray id = name.toUtf8(), maskId = id + "_mask";
    const bool withMasks = !masks.empty();
    QByteArray out;
    out += "#define " + id + "_WIDTH " + QByteArray::number(width) + LineEnd;
    out += "#define " + id + "_HEIGHT " + QByteArray::number(height) + LineEnd;
    out += "#define " + id + "_FRAMES " + QByteArray::number(count) + LineEnd;
    if (shared) {
        out += SheetDeclarator("extern ", width, id, count, 2 * height) + ";\r\n";
        if (withMasks)
            out += SheetDeclarator("extern ", width, maskId, count, height) + ";\r\n";
        out += "#ifdef BITVANE_IMPLEMENTATION\r\n";
    }
    const QByteArrayView storage = shared ? "" : "static ";
    std::vector<std::uint32_t> high(std::size_t(height), 0);
    out += SheetDeclarator(storage, width, id, count, 2 * height) + " = {\r\n";
    for (int f = 0; f < count; ++f) {
        out += "    { /* frame " + QByteArray::number(f) + " */\r\n";
        for (int y = 0; y < height; ++y) {
            const DrawnRow row = DrawRow(frames[std::size_t(f)].row(y), width);
            high[std::size_t(y)] = row.high;
            out += "        ";
            AppendElement(out, row.low, width, hex);
            out += ", /* ";
            out.append(row.chars.data(), width);
            out += " */\r\n";
        }
        for (int y = 0; y < height; ++y) {
            out += "        ";
            AppendElement(out, high[std::size_t(y)], width, hex);
            out += y + 1 < height ? ",\r\n" : "\r\n";
        }
        out += f + 1 < count ? "    },\r\n" : "    }\r\n";
    }
    out += "};\r\n";
    if (withMasks) {
        out += SheetDeclarator(storage, width, maskId, count, height) + " = {\r\n";
        for (int f = 0; f < count; ++f) {
            out += "    { /* frame " + QByteArray::number(f) + " */\r\n";
            for (int y = 0; y < height; ++y) {
                out += "        ";
                AppendElement(out, masks[std::size_t(f)]->rows[std::size_t(y)], width, hex);
                out += y + 1 < height ? ",\r\n" : "\r\n";
            }
            out += f + 1 < count ? "    },\r\n" : "    }\r\n";
        }
        out += "};\r\n";
    }
    if (shared)
        out += "#endif /* BITVANE_IMPLEMENTATION */\r\n";
    out += LineEnd;
    return out;
}

const char *ModernType(int width)
{
    return width == 8 ? "uint8_t" : width == 16 ? "uint16_t" : "uint32_t";
}

QByteArray IncludeGuard(const QString &headerPath)
{
    const QString file = QFileInfo(headerPath).fileName();
    QByteArray guard;
    for (const QChar c : file) {
        const char16_t u = c.unicode();
        if (IsAsciiAlnum(u))
            guard += char(u >= 'a' && u <= 'z' ? u - 'a' + 'A' : u);
        else
            guard += '_';
    }
    if (guard.isEmpty() || !(guard.front() >= 'A' && guard.front() <= 'Z'))
        guard.prepend("H_");
    return guard;
}

QByteArray ModernPreamble(const QString &headerPath, const QString &projectPath, bool shared)
{
    const QByteArray guard = IncludeGuard(headerPath);
    QByteArray text = "/* Sprite header file made with Bitvane 2.0";
    if (!projectPath.isEmpty())
        // A file name holds no '/', so it can neither open nor close a comment.
        text += " from " + QFileInfo(projectPath).fileName().toUtf8();
    text += " */\r\n";
    text += "#ifndef " + guard + LineEnd;
    text += "#define " + guard + LineEnd;
    text += LineEnd;
    text += "#include <stdint.h>\r\n";
    text += LineEnd;
    text += "/* Define BITVANE_DATA before including this file to place the sprites,\r\n"
            "   for example in program memory. */\r\n";
    text += "#ifndef BITVANE_DATA\r\n";
    text += "#define BITVANE_DATA\r\n";
    text += "#endif\r\n";
    text += LineEnd;
    if (shared) {
        text += "/* Shared by several C files: every file that includes this one sees the\r\n"
                "   declarations; the data is defined only in the one file that defines\r\n"
                "   BITVANE_IMPLEMENTATION before its first include of this file. */\r\n";
        text += LineEnd;
    }
    return text;
}

QByteArray ModernEnding(const QString &headerPath)
{
    return "#endif /* " + IncludeGuard(headerPath) + " */\r\n";
}

QByteArray MakeMaskArray(const SpriteMask &mask, const QString &name, bool hex)
{
    const char *prefix = ClassicPrefix(mask.width);
    if (!prefix)
        return {};
    // Written as a plane's rows are: a number is put straight into the line.
    std::vector<PlaneRow> rows(mask.rows.size());
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = {mask.rows[y], mask.width};
    return MakeRowsArray(prefix, name.toUtf8() + "_mask", rows, hex);
}

QByteArray SpriteBlock(HeaderStyle style, const PictureSurface &picture, const QString &name,
                       bool hex, const SpriteMask *mask, bool shared)
{
    if (style == HeaderStyle::Modern)
        return ModernBlock(picture, name, hex, mask, shared);
    const QByteArray array = MakeSpriteArray(picture, name, hex);
    QByteArray text = array + LineEnd;
    if (mask && !array.isEmpty()) {
        CheckMask(*mask, picture, name);
        text += MakeMaskArray(*mask, name, hex);
        text += LineEnd;
    }
    text += LineEnd;
    return text;
}

} // namespace bitvane
