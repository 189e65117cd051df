// Arbitrary bytes as a project file: the reader either gives records or
// throws bitvane::Error; anything else escaping (a crash, another exception,
// a hang) is a fault. Whatever it accepts, the writer must store and the
// reader give back unchanged, the settings line included.

#include "error.h"
#include "project/projectfile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    std::vector<bitvane::ProjectRecord> records;
    bitvane::ProjectSettings settings;
    try {
        settings = bitvane::ParseProjectSettings(bytes, QStringLiteral("fuzz.bvp"));
        records = bitvane::ParseProject(bytes, QStringLiteral("fuzz.bvp"));
    } catch (const bitvane::Error &) {
        return 0;
    }
    QByteArray written = bitvane::FormatSettingsLine(settings);
    for (const bitvane::ProjectRecord &r : records)
        written += bitvane::FormatProjectRecord(r);
    if (bitvane::ParseProject(written, QStringLiteral("again.bvp")) != records ||
        bitvane::ParseProjectSettings(written, QStringLiteral("again.bvp")) != settings)
        std::abort();
    return 0;
}
