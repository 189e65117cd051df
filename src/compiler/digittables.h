// Byte-at-a-time digit tables that both header styles write their numbers with,
// and the copy both write their text with.
#pragma once

#include <QByteArrayView>

#include <array>
#include <cstring>

namespace bitvane {

// Copies text to p, returning the end. An empty view may have no data at
// all, which memcpy must not be given.
inline char *PutText(char *p, QByteArrayView text)
{
    if (!text.isEmpty())
        std::memcpy(p, text.data(), std::size_t(text.size()));
    return p + text.size();
}

// Every byte as two hexadecimal digits, from the 16 digits given.
constexpr std::array<std::array<char, 2>, 256> HexPairTable(const char (&digits)[17])
{
    std::array<std::array<char, 2>, 256> t{};
    for (int b = 0; b < 256; ++b)
        t[std::size_t(b)] = {digits[b >> 4], digits[b & 0xF]};
    return t;
}

// Every byte as its eight binary digits, most significant first.
inline constexpr auto BinaryOctets = [] {
    std::array<std::array<char, 8>, 256> t{};
    for (int b = 0; b < 256; ++b)
        for (int i = 0; i < 8; ++i)
            t[std::size_t(b)][std::size_t(i)] = char('0' + ((b >> (7 - i)) & 1));
    return t;
}();

} // namespace bitvane
