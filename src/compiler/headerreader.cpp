// Parsing header text back into sprites: the sprite arrays both header
// styles write, read strictly on top of the lexer that passes over the rest.
#include "compiler/headerreader.h"

#include "compiler/headerlexer.h"
#include "error.h"
#include "fileaccess.h"
#include "filekind.h"
#include "imaging/pictureloader.h"
#include "project/projectfile.h"

#include <algorithm>

namespace bitvane {

namespace {

// Two planes of 240 rows: no loaded picture is higher.
constexpr int MaxElements = 480;
// The farthest a sprite array's '[' can be from its line's start; names are
// file names, so anything longer is no array of ours and is not searched.
constexpr qsizetype MaxHeadBytes = 4096;
constexpr qint64 MaxHeaderBytes = qint64(256) << 20;

struct ElementType {
    QByteArrayView text; // with its trailing blank
    int width;
    HeaderStyle style;
};

constexpr ElementType ElementTypes[] = {
    {"unsigned char ", 8, HeaderStyle::Classic},  {"unsigned short ", 16, HeaderStyle::Classic},
    {"unsigned long ", 32, HeaderStyle::Classic}, {"uint8_t ", 8, HeaderStyle::Modern},
    {"uint16_t ", 16, HeaderStyle::Modern},       {"uint32_t ", 32, HeaderStyle::Modern},
};

// Two planes of the same rows, 1 to 240 of them.
bool CountFitsASprite(int count)
{
    return count > 0 && count <= MaxElements && count % 2 == 0;
}

// By 2-bit code: white 0, light 1, dark 2, black 3.
constexpr ColorValue ShadeOfCode[] = {ShadeWhite, ShadeLight, ShadeDark, ShadeBlack};

// "static [const ]TYPE NAME[COUNT][ BITVANE_DATA] = {", all on one line, or
// a shared header's definition, "const TYPE ..." in the modern style.
struct ArrayHead {
    QByteArray name;
    const ElementType *type = nullptr;
    int count = 0;            // MaxElements + 1 stands for anything larger
    QByteArrayView countText; // the count's digits as written
    // A modern sheet's "[FRAMES][COUNT]": the frame count (MaxSprites + 1
    // for anything larger), -1 for a plain array.
    int frames = -1;
    const char *body = nullptr; // just after the '{'
    bool shared = false;        // defined without "static"
};

class Reader : HeaderLexer {
public:
    using HeaderLexer::HeaderLexer;

    HeaderContents run();

private:
    std::optional<ArrayHead> head() const;
    bool isMask(const ArrayHead &head) const;
    QString whyNoSprite(const ArrayHead &head) const;
    bool readArray(const ArrayHead &head, int line);
    bool readElements(const ArrayHead &head, std::vector<std::uint32_t> &values, int &given,
                      bool &hex);
    std::uint32_t element(QByteArrayView token, const ArrayHead &head, int line) const;
    void addSprite(const ArrayHead &head, int line, bool hex,
                   const std::vector<std::uint32_t> &values);
    void warnAboutDifferences();

    HeaderContents m_out;
    // The sprite just read, while a NAME_mask array may still follow it.
    bool m_maskMayFollow = false;
    QByteArray m_lastName; // as written, whatever its encoding
};

std::optional<ArrayHead> Reader::head() const
{
    const char *p = m_p;
    const bool isStatic = startsWith(p, "static ");
    if (isStatic)
        p += 7;
    if (startsWith(p, "const "))
        p += 6;
    else if (!isStatic)
        return std::nullopt;
    const ElementType *type = nullptr;
    for (const ElementType &t : ElementTypes)
        if (startsWith(p, t.text)) {
            type = &t;
            p += t.text.size();
            break;
        }
    if (!type || (!isStatic && type->style != HeaderStyle::Modern))
        return std::nullopt;
    const char *nameStart = p;
    const char *limit = endOfLine(p, MaxHeadBytes);
    // The "]" closing the digits that start at from, or nullptr.
    auto closing = [limit](const char *from) -> const char * {
        const char *close = from;
        while (close < limit && IsDigit(*close))
            ++close;
        return close == from || close >= limit || *close != ']' ? nullptr : close;
    };
    auto number = [](const char *from, const char *to, int most) {
        int n = 0;
        for (const char *d = from; d < to && n <= most; ++d)
            n = n * 10 + (*d - '0');
        return std::min(n, most + 1);
    };
    // Names are written verbatim and may hold '[' themselves: the first
    // "[digits]" (or, for a modern sheet, "[digits][digits]") followed by
    // the rest of an opening ends the name.
    for (const char *open = p; open < limit; ++open) {
        if (*open != '[')
            continue;
        const char *close = closing(open + 1);
        if (!close)
            continue;
        int frames = -1;
        const char *countOpen = open;
        if (type->style == HeaderStyle::Modern && close + 1 < limit && close[1] == '[') {
            if (const char *inner = closing(close + 2)) {
                frames = number(open + 1, close, MaxSprites);
                countOpen = close + 1;
                close = inner;
            }
        }
        const char *rest = close + 1;
        if (startsWith(rest, " BITVANE_DATA"))
            rest += 13;
        if (!startsWith(rest, " = {"))
            continue;
        ArrayHead head;
        head.name = QByteArray(nameStart, open - nameStart);
        head.type = type;
        head.count = number(countOpen + 1, close, MaxElements);
        head.countText = QByteArrayView(countOpen + 1, close - countOpen - 1);
        head.frames = frames;
        head.body = rest + 4;
        head.shared = !isStatic;
        return head;
    }
    return std::nullopt;
}

std::uint32_t Reader::element(QByteArrayView token, const ArrayHead &head, int line) const
{
    const bool hex = token[1] == 'x' || token[1] == 'X';
    const int base = hex ? 16 : 2;
    const QByteArrayView digits = token.sliced(2);
    const std::uint64_t most = head.type->width == 32 ? 0xFFFFFFFFu : (1u << head.type->width) - 1;
    if (digits.isEmpty())
        fail(line, QStringLiteral("array %1: %2 is no %3 number")
                       .arg(Shown(head.name), Shown(token),
                            hex ? QStringLiteral("hexadecimal") : QStringLiteral("binary")));
    std::uint64_t value = 0;
    for (const char c : digits) {
        const int d = DigitValue(c);
        if (d >= base)
            fail(line, QStringLiteral("array %1: %2 is no %3 number")
                           .arg(Shown(head.name), Shown(token),
                                hex ? QStringLiteral("hexadecimal") : QStringLiteral("binary")));
        value = value * std::uint64_t(base) + std::uint64_t(d);
        if (value > most)
            fail(line, QStringLiteral("array %1: %2 does not fit %3 (%4 bits)")
                           .arg(Shown(head.name), Shown(token),
                                QString::fromLatin1(head.type->text.trimmed()))
                           .arg(head.type->width));
    }
    return std::uint32_t(value);
}

// The mask of the sprite just read: named after it, as wide, one element a
// row, and for a sheet as many frames.
bool Reader::isMask(const ArrayHead &head) const
{
    const HeaderSprite *last = m_maskMayFollow ? &m_out.sprites.back() : nullptr;
    if (!last || head.name != m_lastName + "_mask" || head.count != last->picture.height())
        return false;
    if (last->frames > 0)
        return head.frames == last->frames &&
               head.type->width * last->frames == last->picture.width();
    return head.frames < 0 && head.type->width == last->picture.width();
}

// Why an array whose count fits no sprite is skipped.
QString Reader::whyNoSprite(const ArrayHead &head) const
{
    if (head.frames == 0)
        return QStringLiteral("skipped array %1: it declares no frames").arg(Shown(head.name));
    if (head.frames > MaxSprites)
        return QStringLiteral("skipped array %1: a sheet has at most %2 frames")
            .arg(Shown(head.name))
            .arg(MaxSprites);
    if (head.count > MaxElements)
        return QStringLiteral("skipped array %1: no sprite has %2 elements, more than the %3 of "
                              "240 rows")
            .arg(Shown(head.name), Shown(head.countText))
            .arg(MaxElements);
    if (head.count % 2 != 0)
        return QStringLiteral("skipped array %1: no sprite has %2 elements, an odd number, as a "
                              "sprite's two planes have the same rows")
            .arg(Shown(head.name))
            .arg(head.count);
    return QStringLiteral("skipped array %1: it declares no elements").arg(Shown(head.name));
}

// Reads elements through the '}' that closes them, adding to values (up to
// MaxElements of them) and given. Gives false, reading nothing, when the
// array's very first element is no hexadecimal or binary number.
bool Reader::readElements(const ArrayHead &head, std::vector<std::uint32_t> &values, int &given,
                          bool &hex)
{
    const QString name = Shown(head.name);
    for (;;) {
        skipSpaceAndComments();
        if (m_p == m_end)
            return true;
        if (*m_p == '}')
            break;
        const char *tokenEnd = m_p;
        while (tokenEnd < m_end && IsWordChar(*tokenEnd))
            ++tokenEnd;
        const QByteArrayView token(m_p, tokenEnd - m_p);
        const bool number =
            token.size() >= 2 && token[0] == '0' &&
            (token[1] == 'x' || token[1] == 'X' || token[1] == 'b' || token[1] == 'B');
        if (!number) {
            if (values.empty())
                return false;
            fail(m_line, QStringLiteral("array %1: element %2, \"%3\", is neither hexadecimal nor "
                                        "binary")
                             .arg(name)
                             .arg(given + 1)
                             .arg(Shown(token.isEmpty() ? QByteArrayView(m_p, 1) : token)));
        }
        if (values.empty())
            hex = token[1] == 'x' || token[1] == 'X';
        const std::uint32_t value = element(token, head, m_line);
        if (given <= MaxElements)
            values.push_back(value);
        ++given;
        m_p = tokenEnd;
        skipSpaceAndComments();
        if (m_p == m_end)
            return true;
        if (*m_p == '}')
            break;
        if (*m_p != ',')
            fail(m_line, QStringLiteral("array %1: ',' or '}' expected after element %2")
                             .arg(name)
                             .arg(given));
        ++m_p;
    }
    ++m_p;
    return true;
}

// Reads the elements after the head's '{' through the closing "};", a
// sheet's frame by frame in braces of their own. Gives false, reading
// nothing, when the first element is no hexadecimal or binary number: then
// it is some other table, not a sprite.
bool Reader::readArray(const ArrayHead &head, int line)
{
    const char *start = m_p;
    const int startLine = m_line;
    m_p = head.body; // the head holds no line end
    const QString name = Shown(head.name);
    auto cutShort = [&] {
        fail(line, QStringLiteral("array %1 is cut short: the header ends before its "
                                  "closing \"};\"")
                       .arg(name));
    };
    auto checkCount = [&](int given, const QString &what) {
        if (given < head.count)
            fail(line, QStringLiteral("array %1%2 is cut short: %3 elements declared, %4 given")
                           .arg(name, what)
                           .arg(head.count)
                           .arg(given));
        if (given > head.count)
            fail(line, QStringLiteral("array %1%2 gives %3 elements but declares %4")
                           .arg(name, what)
                           .arg(given)
                           .arg(head.count));
    };

    auto notASprite = [&] {
        m_p = start;
        m_line = startLine;
        return false;
    };

    std::vector<std::uint32_t> values;
    int given = 0;
    bool hex = true;
    if (head.frames < 0) {
        if (!readElements(head, values, given, hex))
            return notASprite();
        if (m_p == m_end)
            cutShort();
    } else {
        int frames = 0;
        for (;;) {
            skipSpaceAndComments();
            if (m_p == m_end)
                cutShort();
            if (*m_p == '}' && frames > 0)
                break;
            if (*m_p != '{') {
                if (frames == 0)
                    return notASprite();
                fail(m_line,
                     QStringLiteral("array %1: '{' expected for frame %2").arg(name).arg(frames));
            }
            ++m_p;
            int frameGiven = 0;
            if (!readElements(head, values, frameGiven, hex))
                return notASprite();
            if (m_p == m_end)
                cutShort();
            checkCount(frameGiven, QStringLiteral(" frame %1").arg(frames));
            if (++frames > head.frames)
                fail(line, QStringLiteral("array %1 gives more than the %2 frames it declares")
                               .arg(name)
                               .arg(head.frames));
            skipSpaceAndComments();
            if (m_p == m_end)
                cutShort();
            if (*m_p == '}')
                break;
            if (*m_p != ',')
                fail(m_line, QStringLiteral("array %1: ',' or '}' expected after frame %2")
                                 .arg(name)
                                 .arg(frames - 1));
            ++m_p;
        }
        if (frames < head.frames)
            fail(line, QStringLiteral("array %1 is cut short: %3 frames declared, %2 given")
                           .arg(name)
                           .arg(frames)
                           .arg(head.frames));
        ++m_p;
        given = head.count;
    }
    skipSpaceAndComments();
    if (m_p == m_end)
        cutShort();
    if (*m_p != ';')
        fail(m_line, QStringLiteral("array %1: ';' expected after its closing '}'").arg(name));
    ++m_p;
    checkCount(given, QString());

    if (isMask(head)) {
        const int width = head.type->width;
        m_out.sprites.back().mask = SpriteMask{width, std::move(values)};
        m_maskMayFollow = false;
    } else {
        addSprite(head, line, hex, values);
    }
    return true;
}

void Reader::addSprite(const ArrayHead &head, int line, bool hex,
                       const std::vector<std::uint32_t> &values)
{
    // Refused here, before the pictures are named and encoded.
    if (m_out.sprites.size() == std::size_t(MaxProjectRecords))
        fail(line, QStringLiteral("array %1 is one sprite array more than the %2 a project can "
                                  "list")
                       .arg(Shown(head.name))
                       .arg(MaxProjectRecords));
    const int width = head.type->width;
    const int height = head.count / 2;
    const int frames = std::max(head.frames, 1);
    HeaderSprite sprite;
    sprite.name = QString::fromUtf8(head.name);
    sprite.line = line;
    sprite.style = head.type->style;
    sprite.hex = hex;
    sprite.shared = head.shared;
    sprite.frames = std::max(head.frames, 0);
    sprite.picture = PictureSurface(width * frames, height);
    for (int f = 0; f < frames; ++f) {
        const std::uint32_t *planes = values.data() + std::size_t(f) * std::size_t(head.count);
        for (int y = 0; y < height; ++y) {
            const std::uint32_t low = planes[y];
            const std::uint32_t high = planes[height + y];
            ColorValue *row = sprite.picture.row(y) + std::size_t(f) * std::size_t(width);
            for (int x = 0; x < width; ++x) {
                const int bit = width - 1 - x;
                row[x] = ShadeOfCode[(((high >> bit) & 1u) << 1) | ((low >> bit) & 1u)];
            }
        }
    }
    m_out.sprites.push_back(std::move(sprite));
    m_lastName = head.name;
    m_maskMayFollow = true;
}

void Reader::warnAboutDifferences()
{
    if (m_out.sprites.empty())
        return;
    WarningList differences;
    const HeaderSprite &first = m_out.sprites.front();
    m_out.style = first.style;
    m_out.hex = first.hex;
    m_out.masks = first.mask.has_value();
    m_out.shared = first.shared;
    for (std::size_t i = 1; i < m_out.sprites.size(); ++i) {
        const HeaderSprite &s = m_out.sprites[i];
        QStringList ways;
        if (s.style != first.style)
            ways << (s.style == HeaderStyle::Modern ? QStringLiteral("in the modern style")
                                                    : QStringLiteral("in the classic style"));
        if (s.hex != first.hex)
            ways << (s.hex ? QStringLiteral("in hexadecimal") : QStringLiteral("in binary"));
        if (s.shared != first.shared)
            ways << (s.shared ? QStringLiteral("shared") : QStringLiteral("not shared"));
        if (s.mask.has_value() != m_out.masks)
            ways << (s.mask ? QStringLiteral("with a mask") : QStringLiteral("without a mask"));
        if (!ways.isEmpty())
            differences.add(s.line, [&] {
                return QStringLiteral("array %1 is written %2, unlike the first array; a compile "
                                      "writes all arrays like the first")
                    .arg(Shown(s.name.toUtf8()), ways.join(QStringLiteral(", ")));
            });
    }
    m_warnings.merge(std::move(differences));
}

HeaderContents Reader::run()
{
    // Some editors start a UTF-8 file with a byte order mark.
    if (startsWith(m_p, "\xEF\xBB\xBF"))
        m_p += 3;
    for (;;) {
        skipSpaceAndComments();
        if (m_p == m_end)
            break;
        if (*m_p == '#') {
            skipPreprocessorLine();
            continue;
        }
        if (*m_p == '}') {
            // The end of an extern "C" block (or of code skipped before).
            advanceTo(m_p + 1);
            m_maskMayFollow = false;
            continue;
        }
        if (startsWith(m_p, "extern \"C\"")) {
            const char *q = m_p + 10;
            while (q < m_end && IsSpace(*q))
                ++q;
            if (q < m_end && *q == '{') {
                advanceTo(q + 1);
                continue;
            }
        }
        // A shared header declares its arrays for every includer; the
        // definitions that follow are what is read.
        if (startsWith(m_p, "extern const ")) {
            const char *eol = endOfLine(m_p, MaxHeadBytes);
            if (QByteArrayView(m_p, eol - m_p).trimmed().endsWith(" BITVANE_DATA;")) {
                advanceTo(eol);
                continue;
            }
        }
        const int line = m_line;
        if (const std::optional<ArrayHead> h = head()) {
            const bool framesFit = h->frames < 0 || (h->frames > 0 && h->frames <= MaxSprites);
            if (!isMask(*h) && !(CountFitsASprite(h->count) && framesFit)) {
                warn(line, [&] { return whyNoSprite(*h); });
                advanceTo(declarationEnd(m_p));
                m_maskMayFollow = false;
                continue;
            }
            if (readArray(*h, line)) {
                endSkippedRun();
                continue;
            }
        }
        skipDeclaration();
        m_maskMayFollow = false;
    }
    endSkippedRun();
    warnAboutDifferences();
    m_out.warnings = std::move(m_warnings.kept());
    m_out.warningsLeftOut = m_warnings.leftOut();
    return std::move(m_out);
}

} // namespace

QString LeftOutText(std::size_t leftOut)
{
    return QStringLiteral("... and %1 more").arg(GroupedNumber(leftOut));
}

HeaderContents ReadHeader(QByteArrayView text, const QString &headerName)
{
    return Reader(text, headerName).run();
}

HeaderContents ReadHeaderFile(const QString &headerPath)
{
    // A FIFO or device chosen as the header would hang the open; ordinary
    // files only.
    const QByteArray bytes = ReadRegularFile(headerPath, headerPath, MaxHeaderBytes, u"header");
    // A picture or other binary file would give a warning for each of its
    // "lines" before the verdict; it gets the verdict alone.
    if (const QString kind = FileKind(bytes); !IsTextKind(kind))
        throw Error(headerPath, QStringLiteral("not a text file (%1)").arg(kind));
    return ReadHeader(bytes, headerPath);
}

} // namespace bitvane
