// The identifier rule for array names and the fix that makes names usable.
#include "project/identifiers.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string_view>

namespace bitvane {

namespace {

// The keywords of C23.
// clang-format off
constexpr std::string_view CKeywords[] = {
    "alignas", "alignof", "auto", "bool", "break", "case", "char", "const", "constexpr",
    "continue", "default", "do", "double", "else", "enum", "extern", "false", "float", "for",
    "goto", "if", "inline", "int", "long", "nullptr", "register", "restrict", "return", "short",
    "signed", "sizeof", "static", "static_assert", "struct", "switch", "thread_local", "true",
    "typedef", "typeof", "typeof_unqual", "union", "unsigned", "void", "volatile", "while",
    "_Alignas", "_Alignof", "_Atomic", "_BitInt", "_Bool", "_Complex", "_Decimal128", "_Decimal32",
    "_Decimal64", "_Generic", "_Imaginary", "_Noreturn", "_Static_assert", "_Thread_local",
};
// clang-format on

// The keywords of C++23 that C does not have, the alternative tokens
// included: "and" or "bitor" cannot name an array in C++ either.
// clang-format off
constexpr std::string_view CppKeywords[] = {
    "and", "and_eq", "asm", "bitand", "bitor", "catch", "char8_t", "char16_t", "char32_t", "class",
    "compl", "concept", "consteval", "constinit", "const_cast", "co_await", "co_return",
    "co_yield", "decltype", "delete", "dynamic_cast", "explicit", "export", "friend", "mutable",
    "namespace", "new", "noexcept", "not", "not_eq", "operator", "or", "or_eq", "private",
    "protected", "public", "reinterpret_cast", "requires", "static_cast", "template", "this",
    "throw", "try", "typeid", "typename", "using", "virtual", "wchar_t", "xor", "xor_eq",
};
// clang-format on

// What C23 gives every program before its first line: the _Pragma
// operator, __func__ and the predefined macros (not those of the library's
// headers), the operators of #if among them, since compilers refuse them as
// names too.
// clang-format off
constexpr std::string_view CPredefined[] = {
    "_Pragma", "__func__", "__DATE__", "__FILE__", "__LINE__", "__STDC__", "__STDC_HOSTED__",
    "__STDC_UTF_16__", "__STDC_UTF_32__", "__STDC_VERSION__", "__TIME__", "__has_c_attribute",
    "__has_include",
};
// clang-format on

// The same of C++23 that C does not have.
// clang-format off
constexpr std::string_view CppPredefined[] = {
    "__cplusplus", "__STDCPP_DEFAULT_NEW_ALIGNMENT__", "__has_cpp_attribute",
};
// clang-format on

bool isDigit(char32_t c)
{
    return c >= '0' && c <= '9';
}

bool isIdentifierCharacter(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c) || c == '_';
}

template <std::size_t N> bool isIn(const std::string_view (&keywords)[N], const QString &name)
{
    const QByteArray ascii = name.toLatin1();
    const std::string_view word(ascii.constData(), std::size_t(ascii.size()));
    return std::find(std::begin(keywords), std::end(keywords), word) != std::end(keywords);
}

// What is wrong with the name on its own, whatever the other rows are.
QString ownProblem(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("empty");
    if (isDigit(name.front().unicode()))
        return QStringLiteral("starts with a digit");
    for (const char32_t c : name.toUcs4())
        if (!isIdentifierCharacter(c))
            return QStringLiteral("contains '%1'").arg(QString::fromUcs4(&c, 1));
    if (isIn(CKeywords, name))
        return QStringLiteral("is a keyword of C");
    if (isIn(CppKeywords, name))
        return QStringLiteral("is a keyword of C++");
    if (isIn(CPredefined, name))
        return QStringLiteral("is predefined by C");
    if (isIn(CppPredefined, name))
        return QStringLiteral("is predefined by C++");
    return {};
}

QString fixedAlone(const QString &name)
{
    QString fixed;
    // One '_' per character, not per UTF-16 unit: an emoji is one character.
    for (const char32_t c : name.toUcs4())
        fixed += isIdentifierCharacter(c) ? QChar(char16_t(c)) : QChar(u'_');
    if (fixed.isEmpty())
        return QStringLiteral("_");
    if (isDigit(fixed.front().unicode()))
        fixed.prepend(u'_');
    if (isIn(CKeywords, fixed) || isIn(CppKeywords, fixed) || isIn(CPredefined, fixed) ||
        isIn(CppPredefined, fixed))
        fixed += u'_';
    return fixed;
}

template <std::size_t N> QStringList listOf(const std::string_view (&keywords)[N])
{
    QStringList list;
    for (const std::string_view word : keywords)
        list << QString::fromLatin1(word.data(), qsizetype(word.size()));
    return list;
}

} // namespace

QStringList KeywordsOf(Language language)
{
    return language == Language::C ? listOf(CKeywords) : listOf(CppKeywords);
}

QStringList PredefinedOf(Language language)
{
    return language == Language::C ? listOf(CPredefined) : listOf(CppPredefined);
}

namespace {

// The names rows have written so far, and which row wrote each first. A
// classic sheet of all its cells may write any NAME_<index>, so it is kept
// by its NAME, and written names of that form also by their NAME.
class WrittenNames {
public:
    WrittenNames(bool modern) : m_modern(modern) {}

    // The first earlier row one of whose names this row would write too.
    std::optional<qsizetype> clash(const QString &name, NameUse use) const
    {
        std::optional<qsizetype> first;
        const auto meet = [&](std::optional<qsizetype> row) {
            if (row && (!first || *row < *first))
                first = row;
        };
        if (use.sheet && !m_modern && use.frames == 0) {
            meet(find(m_exact, name));
            meet(find(m_byBase, name));
            meet(find(m_anyIndex, name));
            return first;
        }
        forEachWritten(name, use, [&](const QString &written) {
            meet(find(m_exact, written));
            const QString base = baseOf(written);
            if (!base.isEmpty())
                meet(find(m_anyIndex, base));
        });
        return first;
    }

    void add(const QString &name, NameUse use, qsizetype row)
    {
        if (use.sheet && !m_modern && use.frames == 0) {
            m_anyIndex.try_emplace(name, row);
            return;
        }
        forEachWritten(name, use, [&](const QString &written) {
            m_exact.try_emplace(written, row);
            const QString base = baseOf(written);
            if (!base.isEmpty())
                m_byBase.try_emplace(base, row);
        });
    }

private:
    template <typename F> void forEachWritten(const QString &name, NameUse use, F f) const
    {
        if (!use.sheet || use.frames == 1) {
            f(name);
        } else if (m_modern) {
            f(name);
            f(name + QStringLiteral("_FRAMES"));
        } else {
            for (int i = 0; i < use.frames; ++i)
                f(name + QLatin1Char('_') + QString::number(i));
        }
    }

    // NAME of NAME_<index> (an index as frames are numbered), else empty.
    static QString baseOf(const QString &written)
    {
        const qsizetype bar = written.lastIndexOf(QLatin1Char('_'));
        const qsizetype digits = written.size() - bar - 1;
        if (bar <= 0 || digits == 0 || (digits > 1 && written[bar + 1] == QLatin1Char('0')))
            return {};
        for (qsizetype i = bar + 1; i < written.size(); ++i)
            if (!isDigit(written[i].unicode()))
                return {};
        return written.left(bar);
    }

    static std::optional<qsizetype> find(const std::map<QString, qsizetype> &map,
                                         const QString &key)
    {
        const auto it = map.find(key);
        return it == map.end() ? std::nullopt : std::optional<qsizetype>(it->second);
    }

    bool m_modern;
    std::map<QString, qsizetype> m_exact;    // every name written
    std::map<QString, qsizetype> m_byBase;   // NAME of every NAME_<index> written
    std::map<QString, qsizetype> m_anyIndex; // classic sheets of all their cells
};

std::vector<NameUse> Pictures(qsizetype count)
{
    return std::vector<NameUse>(std::size_t(count));
}

} // namespace

std::vector<QString> NameProblems(const QStringList &names)
{
    return NameProblems(names, Pictures(names.size()), false);
}

std::vector<QString> NameProblems(const QStringList &names, const std::vector<NameUse> &uses,
                                  bool modern)
{
    std::vector<QString> problems(std::size_t(names.size()));
    WrittenNames written(modern);
    for (qsizetype i = 0; i < names.size(); ++i) {
        QString &problem = problems[std::size_t(i)];
        problem = ownProblem(names[i]);
        if (!problem.isEmpty())
            continue;
        const NameUse use = uses[std::size_t(i)];
        if (const std::optional<qsizetype> first = written.clash(names[i], use))
            problem = QStringLiteral("also the name of row %1").arg(*first + 1);
        else
            written.add(names[i], use, i);
    }
    return problems;
}

QStringList FixNames(const QStringList &names)
{
    return FixNames(names, Pictures(names.size()), false);
}

QStringList FixNames(const QStringList &names, const std::vector<NameUse> &uses, bool modern)
{
    const std::vector<QString> problems = NameProblems(names, uses, modern);
    // The usable names stay, so a fixed name must not take one of them,
    // even one further down the list.
    WrittenNames taken(modern);
    for (qsizetype i = 0; i < names.size(); ++i)
        if (problems[std::size_t(i)].isEmpty())
            taken.add(names[i], uses[std::size_t(i)], i);

    QStringList fixed = names;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (problems[std::size_t(i)].isEmpty())
            continue;
        const NameUse use = uses[std::size_t(i)];
        const QString base = fixedAlone(names[i]);
        QString candidate = base;
        for (int n = 2; taken.clash(candidate, use); ++n)
            candidate = base + QStringLiteral("_%1").arg(n);
        taken.add(candidate, use, i);
        fixed[i] = candidate;
    }
    return fixed;
}

} // namespace bitvane
