// The scanner under the header reader: blanks, comments, preprocessor lines
// and other declarations passed over, lines counted on the way.
#include "compiler/headerlexer.h"

#include "error.h"

namespace bitvane {

QString Shown(QByteArrayView text)
{
    constexpr qsizetype Most = 40;
    if (text.size() <= Most)
        return QString::fromUtf8(text);
    return QString::fromUtf8(text.first(Most)) + QStringLiteral("...");
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
                m_warnings.push_back({m_line, QStringLiteral("a comment that is never closed")});
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
void HeaderLexer::skipDeclaration()
{
    const int line = m_line;
    const char *p = m_p;
    const QByteArrayView firstLine(p, endOfLine(p, 200) - p);
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
                break; // closes an enclosing block; not ours to take
            if (--depth == 0 && functionBody) {
                ++p;
                break;
            }
        } else if (c == ';' && depth == 0) {
            ++p;
            break;
        }
        if (!IsSpace(c))
            previous = c;
        ++p;
    }
    QByteArray shown = firstLine.toByteArray().trimmed();
    m_warnings.push_back(
        {line, QStringLiteral("skipped, not a sprite array: %1").arg(Shown(shown))});
    advanceTo(p);
}

} // namespace bitvane
