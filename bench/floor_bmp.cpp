// The per-file floor the corpus figures are read against: a minimal C++
// converter of the corpus' BMP files (24-bit and 8-bit palette, the plain
// 40-byte header) to classic sprite lines, with nothing but the standard
// library: read, fit to 32 x 240, four greys, one hexadecimal array line.
//
//     floor_bmp HEADER FILE_LIST            (HEADER "-": standard output)

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::uint32_t Le(const std::string &d, std::size_t p, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | std::uint8_t(d[p + std::size_t(i)]);
    return v;
}

// 2-bit shade codes of a fitted picture, 0 white to 3 black.
bool Convert(const std::string &d, int &width, int &height, std::vector<int> &codes)
{
    if (d.size() < 54 || d[0] != 'B' || d[1] != 'M' || Le(d, 14, 4) != 40)
        return false;
    const int w = int(std::int32_t(Le(d, 18, 4))), h = std::abs(int(std::int32_t(Le(d, 22, 4))));
    const int bits = int(Le(d, 28, 2));
    if (bits != 24 && bits != 8)
        return false;
    const std::size_t offset = Le(d, 10, 4), stride = (std::size_t(w) * bits + 31) / 32 * 4;
    width = w <= 8 ? 8 : w <= 16 ? 16 : 32;
    height = std::min(h, 240);
    codes.assign(std::size_t(width) * height, 0);
    for (int y = 0; y < height; ++y) {
        const std::size_t row = offset + stride * std::size_t(h - 1 - y);
        for (int x = 0; x < std::min(w, width); ++x) {
            int r, g, b;
            if (bits == 24) {
                const std::size_t p = row + std::size_t(x) * 3;
                b = std::uint8_t(d[p]), g = std::uint8_t(d[p + 1]), r = std::uint8_t(d[p + 2]);
            } else {
                const std::size_t p = 54 + std::size_t(std::uint8_t(d[row + std::size_t(x)])) * 4;
                b = std::uint8_t(d[p]), g = std::uint8_t(d[p + 1]), r = std::uint8_t(d[p + 2]);
            }
            const int grey = int(std::lround(g * 0.59 + r * 0.30 + b * 0.11));
            codes[std::size_t(y) * width + x] = 3 - (grey + 42) / 85;
        }
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3)
        return 2;
    std::FILE *out = std::string(argv[1]) == "-" ? stdout : std::fopen(argv[1], "wb");
    std::ifstream list(argv[2]);
    std::string path;
    std::vector<int> codes;
    int n = 0;
    while (out && std::getline(list, path)) {
        std::ifstream file(path, std::ios::binary);
        const std::string data{std::istreambuf_iterator<char>(file),
                               std::istreambuf_iterator<char>()};
        int width = 0, height = 0;
        if (!Convert(data, width, height, codes))
            return 1;
        std::fprintf(out, "static unsigned %s s%d[%d] = {",
                     width == 8    ? "char"
                     : width == 16 ? "short"
                                   : "long",
                     n++, height * 2);
        for (int plane = 0; plane < 2; ++plane)
            for (int y = 0; y < height; ++y) {
                std::uint32_t bitsOfRow = 0;
                for (int x = 0; x < width; ++x)
                    bitsOfRow = bitsOfRow << 1 | ((codes[std::size_t(y) * width + x] >> plane) & 1);
                std::fprintf(out, "%s0x%x", plane || y ? ", " : "", bitsOfRow);
            }
        std::fputs("};\r\n\r\n", out);
    }
    return out && std::fclose(out) == 0 ? 0 : 1;
}
