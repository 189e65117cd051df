// The scanner under the header reader: a cursor over a header's C text that
// counts lines and passes over blanks, comments, preprocessor lines and
// declarations that are no sprite array.
#pragma once

#include "compiler/headerreader.h"

#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <cstring>
#include <vector>

namespace bitvane {

inline bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

inline bool IsWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A digit's value in any base up to 16; 99 for what is no digit.
inline int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// Text from the header for a message, kept short whatever the input.
QString Shown(QByteArrayView text);

// A count in a message, its thousands grouped: "16,777,216".
QString GroupedNumber(std::size_t n);

// Warnings in the order given, the first MostWarningsKept kept and the rest
// only counted: a header of nothing but stray code costs no text, time or
// memory per warning beyond them.
class WarningList {
public:
    // The text is only made for a warning that is kept.
    template <typename MakeText> void add(int line, MakeText makeText)
    {
        if (m_kept.size() < MostWarningsKept)
            m_kept.push_back({line, makeText()});
        else
            ++m_leftOut;
    }
    // Both lists, each in line order, merged by line (this one's first on a
    // tie) and bounded again: the first warnings of both are among the
    // first ones each kept.
    void merge(WarningList other);

    std::vector<HeaderWarning> &kept() { return m_kept; }
    std::size_t leftOut() const { return m_leftOut; }

private:
    std::vector<HeaderWarning> m_kept;
    std::size_t m_leftOut = 0;
};

class HeaderLexer {
public:
    HeaderLexer(QByteArrayView text, const QString &header)
        : m_p(text.data()), m_end(text.data() + text.size()), m_header(header)
    {}

protected:
    bool startsWith(const char *p, QByteArrayView s) const
    {
        return m_end - p >= s.size() && std::memcmp(p, s.data(), std::size_t(s.size())) == 0;
    }
    // Every move forward goes through here, so that lines are counted once.
    void advanceTo(const char *q)
    {
        m_line += int(std::count(m_p, q, '\n'));
        m_p = q;
    }
    // The line end after p, looking at most `most` bytes ahead (then the
    // end of that stretch), so that a look at one line costs no more.
    const char *endOfLine(const char *p, qsizetype most = -1) const
    {
        const char *limit = most >= 0 && m_end - p > most ? p + most : m_end;
        const void *nl = std::memchr(p, '\n', std::size_t(limit - p));
        return nl ? static_cast<const char *>(nl) : limit;
    }
    [[noreturn]] void fail(int line, const QString &reason) const;
    // A warning at line, after the skipped declarations met before it.
    template <typename MakeText> void warn(int line, MakeText makeText)
    {
        endSkippedRun();
        m_warnings.add(line, makeText);
    }

    void skipSpaceAndComments();
    void skipPreprocessorLine();
    // Where the declaration at p ends: after its ';', or after the '}' that
    // closes a function body, or before a '}' that closes an enclosing block.
    const char *declarationEnd(const char *p) const;
    // Other code, up to declarationEnd. Declarations skipped with no sprite
    // array or other warning between them make one warning naming the first
    // one's line.
    void skipDeclaration();
    // Ends a run of skipped declarations, giving its warning.
    void endSkippedRun();

    const char *m_p;
    const char *m_end;
    int m_line = 1;
    QString m_header;
    WarningList m_warnings; // in the order met

private:
    // The skipped declarations not yet warned about.
    struct SkippedRun {
        int count = 0;
        int firstLine = 0;
        int lastLine = 0;
        QByteArrayView firstText; // the first one's first line, in the header
    } m_skipped;
};

} // namespace bitvane
