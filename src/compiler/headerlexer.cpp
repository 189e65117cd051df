// The scanner under the header reader: blanks, comments, preprocessor lines
// and other declarations passed over, lines counted on the way.
#include "compiler/headerlexer.h"

#include "error.h"

#include <QLocale>

#include <algorithm>
#include <iterator>
#include <utility>

namespace bitvane {

QString Shown(QByteArrayView text)
{
    constexpr qsizetype Most = 40;
    if (text.size() <= Most)
        return QString::fromUtf8(text);
    return QString::fromUtf8(text.first(Most)) + QStringLiteral("...");
}

void WarningList::merge(WarningList other)
{
    std::vector<HeaderWarning> merged;
    merged.reserve(m_kept.size() + other.m_kept.size());
    std::merge(std::make_move_iterator(m_kept.begin()), std::make_move_iterator(m_kept.end()),
               std::make_move_iterator(other.m_kept.begin()),
               std::make_move_iterator(other.m_kept.end()), std::back_inserter(merged),
               [](const HeaderWarning &a, const HeaderWarning &b) { return a.line < b.line; });
    m_leftOut += other.m_leftOut;
    if (merged.size() > MostWarningsKept) {
        m_leftOut += merged.size() - MostWarningsKept;
        merged.resize(MostWarningsKept);
    }
    m_kept = std::move(merged);
}

void HeaderLexer::fail(int line, const QString &reason) const
{
    throw Error(m_header, line, reason);
}

void HeaderLexer::skipSpaceAndComments()
{
    while (m_p < m_end) {
        if (IsSpace(*m_p)) {
            m_line += *m_p == '\n';
            ++m_p;
        } else if (startsWith(m_p, "/*")) {
            const qsizetype close = QByteArrayView(m_p + 2, m_end - m_p - 2).indexOf("*/");
            if (close < 0) {
                warn(m_line, [] { return QStringLiteral("a comment that is never closed"); });
                advanceTo(m_end);
                return;
            }
            advanceTo(m_p + 2 + close + 2);
        } else if (startsWith(m_p, "//")) {
            advanceTo(endOfLine(m_p));
        } else {
            return;
        }
    }
}

void HeaderLexer::skipPreprocessorLine()
{
    const char *eol = endOfLine(m_p);
    // A backslash at the end of a line carries the directive on.
    while (eol < m_end) {
        const char *last = eol;
        while (last > m_p && (last[-1] == '\r'))
            --last;
        if (last == m_p || last[-1] != '\\')
            break;
        eol = endOfLine(eol + 1);
    }
    advanceTo(eol);
}

// Comments and literals cannot end a declaration early.
const char *HeaderLexer::declarationEnd(const char *p) const
{
    int depth = 0;
    char previous = 0; // the last character that is no blank or comment
    bool functionBody = false;
    while (p < m_end) {
        const char c = *p;
        if (startsWith(p, "/*")) {
            const qsizetype close = QByteArrayView(p + 2, m_end - p - 2).indexOf("*/");
            p = close < 0 ? m_end : p + 2 + close + 2;
            continue;
        }
        if (startsWith(p, "//")) {
            p = endOfLine(p);
            continue;
        }
        if (c == '"' || c == '\'') {
            ++p;
            while (p < m_end && *p != c && *p != '\n')
                p += *p == '\\' && p + 1 < m_end ? 2 : 1;
            p += p < m_end && *p == c;
            previous = c;
            continue;
        }
        if (c == '{') {
            if (depth++ == 0)
                functionBody = previous == ')';
        } else if (c == '}') {
            if (depth == 0)
                return p; // closes an enclosing block; not ours to take
            if (--depth == 0 && functionBody)
                return p + 1;
        } else if (c == ';' && depth == 0) {
            return p + 1;
        }
        if (!IsSpace(c))
            previous = c;
        ++p;
    }
    return p;
}

void HeaderLexer::skipDeclaration()
{
    // Only the first of a run is shown, so only its line is looked at.
    if (m_skipped.count++ == 0) {
        m_skipped.firstLine = m_line;
        m_skipped.firstText = QByteArrayView(m_p, endOfLine(m_p, 200) - m_p);
    }
    m_skipped.lastLine = m_line;
    advanceTo(declarationEnd(m_p));
}

void HeaderLexer::endSkippedRun()
{
    if (m_skipped.count == 0)
        return;
    const SkippedRun run = std::exchange(m_skipped, SkippedRun{});
    m_warnings.add(run.firstLine, [&run] {
        const QString first = Shown(run.firstText.trimmed());
        if (run.count == 1)
            return QStringLiteral("skipped, not a sprite array: %1").arg(first);
        const QString where = run.lastLine == run.firstLine
                                  ? QStringLiteral("on this line")
                                  : QStringLiteral("from here to line %1").arg(run.lastLine);
        return QStringLiteral("skipped, not sprite arrays: %1 declarations %2, the first: %3")
            .arg(GroupedNumber(std::size_t(run.count)), where, first);
    });
}

QString GroupedNumber(std::size_t n)
{
    // Grouped the same way in every locale, so that messages are.
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(qulonglong(n));
}

} // namespace bitvane
