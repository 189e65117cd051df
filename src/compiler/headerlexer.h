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

    void skipSpaceAndComments();
    void skipPreprocessorLine();
    // Other code: up to its ';', or to the '}' that closes a function body,
    // with a warning naming its first line.
    void skipDeclaration();

    const char *m_p;
    const char *m_end;
    int m_line = 1;
    QString m_header;
    std::vector<HeaderWarning> m_warnings; // in the order met
};

} // namespace bitvane
