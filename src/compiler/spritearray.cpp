// The header writer: one picture as one array line, and the binary-to-hex digits.
#include "compiler/spritearray.h"

#include "compiler/digittables.h"
#include "error.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bitvane {

namespace {

constexpr char HexDigits[] = "0123456789abcdef";

// Bytes of a value become text two or eight digits at a time.
constexpr auto HexPairs = HexPairTable(HexDigits);

// The 2-bit code of each grey level that is a shade (the darker, the
// higher: black 3 ... white 0); 4 for the levels that are none.
constexpr auto ShadeCodes = [] {
    std::array<std::uint8_t, 256> codes{};
    codes.fill(4);
    codes[0] = 3;
    codes[85] = 2;
    codes[170] = 1;
    codes[255] = 0;
    return codes;
}();

// Any row, pixels that are no shade included: those add no digit.
void ScanRow(const ColorValue *in, int width, PlaneRow &low, PlaneRow &high)
{
    std::uint32_t hi = 0, lo = 0;
    int count = 0;
    for (int x = 0; x < width; ++x) {
        const ColorValue v = in[x];
        const std::uint32_t grey = v & 0xFF;
        const std::uint32_t code = ShadeCodes[grey];
        const std::uint32_t take = (v == ColorValue(grey * 0x010101)) & (code < 4);
        hi = (hi << take) | ((code >> 1) & take);
        lo = (lo << take) | (code & take);
        count += int(take);
    }
    low = {lo, count};
    high = {hi, count};
}

constexpr std::uint32_t ReverseBits(std::uint32_t x)
{
    x = ((x >> 1) & 0x55555555u) | ((x & 0x55555555u) << 1);
    x = ((x >> 2) & 0x33333333u) | ((x & 0x33333333u) << 2);
    x = ((x >> 4) & 0x0F0F0F0Fu) | ((x & 0x0F0F0F0Fu) << 4);
    x = ((x >> 8) & 0x00FF00FFu) | ((x & 0x00FF00FFu) << 8);
    return (x >> 16) | (x << 16);
}

// Rows of Width pixels. The usual row holds nothing but shades; it is taken
// four pixels at a time, each pixel's two code bits picked out by comparing
// it with the shades (black and dark have the high bit, black and light the
// low bit). A row with any other colour goes through ScanRow.
template <int Width>
void ScanRows(const PictureSurface &picture, std::vector<PlaneRow> &low,
              std::vector<PlaneRow> &high)
{
    for (int y = 0; y < picture.height(); ++y) {
        const ColorValue *in = picture.row(y);
#if defined(__SSE2__)
        const __m128i black = _mm_set1_epi32(ShadeBlack), dark = _mm_set1_epi32(ShadeDark),
                      light = _mm_set1_epi32(ShadeLight), white = _mm_set1_epi32(ShadeWhite);
        std::uint32_t hi = 0, lo = 0;
        __m128i allShades = _mm_set1_epi32(-1);
        for (int x = 0; x < Width; x += 4) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + x));
            const __m128i isBlack = _mm_cmpeq_epi32(v, black);
            const __m128i highBit = _mm_or_si128(isBlack, _mm_cmpeq_epi32(v, dark));
            const __m128i lowBit = _mm_or_si128(isBlack, _mm_cmpeq_epi32(v, light));
            allShades = _mm_and_si128(
                allShades, _mm_or_si128(_mm_or_si128(highBit, lowBit), _mm_cmpeq_epi32(v, white)));
            // Pixel x lands on bit x here; reversed below so that x = 0 leads.
            hi |= std::uint32_t(_mm_movemask_ps(_mm_castsi128_ps(highBit))) << x;
            lo |= std::uint32_t(_mm_movemask_ps(_mm_castsi128_ps(lowBit))) << x;
        }
        if (_mm_movemask_epi8(allShades) == 0xFFFF) {
            low[std::size_t(y)] = {ReverseBits(lo) >> (32 - Width), Width};
            high[std::size_t(y)] = {ReverseBits(hi) >> (32 - Width), Width};
            continue;
        }
#endif
        ScanRow(in, Width, low[std::size_t(y)], high[std::size_t(y)]);
    }
}

char *PutHex(char *p, std::uint32_t value)
{
    const int digits = value == 0 ? 1 : (std::bit_width(value) + 3) / 4;
    char *const end = p + digits;
    char *q = end;
    while (q - p >= 2) {
        q -= 2;
        std::memcpy(q, HexPairs[value & 0xFF].data(), 2);
        value >>= 8;
    }
    if (q > p)
        *--q = HexDigits[value & 0xF];
    return end;
}

char *PutBinary(char *p, std::uint32_t value, int count)
{
    for (int i = count - 1; i >= 0 && (i + 1) % 8 != 0; --i)
        *p++ = char('0' + ((value >> i) & 1));
    for (int shift = (count / 8 - 1) * 8; shift >= 0; shift -= 8)
        p = PutText(p, QByteArrayView(BinaryOctets[(value >> shift) & 0xFF].data(), 8));
    return p;
}

char *PutPlane(char *p, const std::vector<PlaneRow> &rows, bool hex)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0)
            p = PutText(p, ", ");
        *p++ = '0';
        if (hex) {
            *p++ = 'x';
            p = PutHex(p, rows[i].value);
        } else {
            *p++ = 'b';
            p = PutBinary(p, rows[i].value, rows[i].count);
        }
    }
    return p;
}

} // namespace

const char *ClassicPrefix(int width)
{
    switch (width) {
    case 8:
        return "static unsigned char ";
    case 16:
        return "static unsigned short ";
    case 32:
        return "static unsigned long ";
    default:
        return nullptr;
    }
}

void ScanPlanes(const PictureSurface &picture, std::vector<PlaneRow> &low,
                std::vector<PlaneRow> &high)
{
    const int width = picture.width();
    const bool sprite = width == 8 || width == 16 || width == 32;
    const std::size_t rows = sprite ? std::size_t(picture.height()) : 0;
    low.assign(rows, PlaneRow{});
    high.assign(rows, PlaneRow{});
    switch (width) {
    case 8:
        ScanRows<8>(picture, low, high);
        break;
    case 16:
        ScanRows<16>(picture, low, high);
        break;
    case 32:
        ScanRows<32>(picture, low, high);
        break;
    default:
        break;
    }
}

QByteArray MakeSpriteArray(const PictureSurface &picture, const QString &name, bool hex)
{
    const char *prefix = ClassicPrefix(picture.width());
    if (!prefix)
        return {};

    std::vector<PlaneRow> low, high;
    ScanPlanes(picture, low, high);

    // The low plane's rows, then the high plane's, in one list.
    low.insert(low.end(), high.begin(), high.end());
    return MakeRowsArray(prefix, name.toUtf8(), low, hex);
}

QByteArray MakeRowsArray(const char *prefix, QByteArrayView name, const std::vector<PlaneRow> &rows,
                         bool hex)
{
    const QByteArray count = QByteArray::number(qint64(rows.size()));
    // The line is written through a pointer into a buffer sized for the
    // longest line these rows can give ("0b", 32 digits and ", " each).
    QByteArray out(qsizetype(std::strlen(prefix)) + name.size() + count.size() + 8 +
                       qsizetype(rows.size()) * 36,
                   Qt::Uninitialized);
    char *p = out.data();
    p = PutText(p, prefix);
    p = PutText(p, name);
    *p++ = '[';
    p = PutText(p, count);
    p = PutText(p, "] = {");
    p = PutPlane(p, rows, hex);
    p = PutText(p, "};");
    out.truncate(p - out.data());
    return out;
}

QByteArray BinToHex(QByteArrayView digits)
{
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const char c = digits[i];
        if (c != '0' && c != '1')
            throw Error(QStringLiteral("binary digits expected, found '%1' at position %2")
                            .arg(QLatin1Char(c))
                            .arg(i + 1));
    }
    qsizetype first = 0;
    while (first < digits.size() && digits[first] == '0')
        ++first;
    const qsizetype bits = digits.size() - first;
    if (bits == 0)
        return QByteArrayLiteral("0");

    QByteArray out;
    out.reserve((bits + 3) / 4);
    // The leading group takes the bits that do not fill a whole nibble.
    qsizetype group = bits % 4 == 0 ? 4 : bits % 4;
    for (qsizetype i = first; i < digits.size(); i += group, group = 4) {
        int nibble = 0;
        for (qsizetype k = 0; k < group; ++k)
            nibble = (nibble << 1) | (digits[i + k] - '0');
        out.append(HexDigits[nibble]);
    }
    return out;
}

} // namespace bitvane
