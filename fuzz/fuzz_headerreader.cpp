// Arbitrary bytes as a header: the reader either gives sprites or throws
// bitvane::Error; anything else escaping (a crash, another exception, a
// hang) is a fault. Every sprite it gives is a sprite the writer can write
// again, and the text written reads back as the same sprites.

#include "compiler/headerreader.h"
#include "compiler/headerstyle.h"
#include "error.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool SameSprites(const std::vector<bitvane::HeaderSprite> &a,
                 const std::vector<bitvane::HeaderSprite> &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || !(a[i].picture == b[i].picture) || a[i].mask != b[i].mask)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    bitvane::HeaderContents contents;
    try {
        contents = bitvane::ReadHeader(bytes, QStringLiteral("fuzz.h"));
    } catch (const bitvane::Error &) {
        return 0;
    }
    QByteArray written;
    for (const bitvane::HeaderSprite &s : contents.sprites) {
        const int w = s.picture.width(), h = s.picture.height();
        if ((w != 8 && w != 16 && w != 32) || h < 1 || h > 240)
            std::abort();
        // A declaration between sprites keeps a sprite named like the one
        // before it plus "_mask" from being taken for a mask.
        written += bitvane::SpriteBlock(bitvane::HeaderStyle::Classic, s.picture, s.name, s.hex,
                                        s.mask ? &*s.mask : nullptr) +
                   "int gap;\r\n";
    }
    if (!SameSprites(bitvane::ReadHeader(written, QStringLiteral("again.h")).sprites,
                     contents.sprites))
        std::abort();
    return 0;
}
