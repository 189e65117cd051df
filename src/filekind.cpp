// Telling pictures, headers and binary data apart by their first bytes.
#include "filekind.h"

#include <algorithm>

namespace bitvane {

namespace {

bool IsControl(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v';
}

} // namespace

QString FileKind(QByteArrayView bytes)
{
    struct Signature {
        QByteArrayView start;
        const char *kind;
    };
    static constexpr Signature Pictures[] = {
        {"\x89PNG\r\n\x1a\n", "a PNG picture"},
        {"GIF87a", "a GIF picture"},
        {"GIF89a", "a GIF picture"},
        {"\xFF\xD8\xFF", "a JPEG picture"},
    };
    for (const Signature &s : Pictures)
        if (bytes.startsWith(s.start))
            return QString::fromLatin1(s.kind);
    // The first few kilobytes decide: a text file has no control characters
    // but blanks and line ends anywhere. "BM" alone also starts words.
    const QByteArrayView head = bytes.first(std::min<qsizetype>(bytes.size(), 4096));
    if (std::any_of(head.begin(), head.end(), IsControl))
        return bytes.startsWith("BM") ? QStringLiteral("a BMP picture")
                                      : QStringLiteral("binary data");
    QByteArrayView text = head;
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    while (!text.isEmpty() && QByteArrayView(" \t\r\n").contains(text.front()))
        text = text.sliced(1);
    for (QByteArrayView opening : {"//", "/*", "#include", "#ifndef", "#if ", "#define", "#pragma"})
        if (text.startsWith(opening))
            return QStringLiteral("a C header");
    return {};
}

bool IsTextKind(const QString &kind)
{
    return kind.isEmpty() || kind == u"a C header";
}

} // namespace bitvane
