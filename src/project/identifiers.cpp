// The identifier rule for array names and the fix that makes names usable.
#include "project/identifiers.h"

#include <algorithm>
#include <map>
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
    if (isIn(CKeywords, fixed) || isIn(CppKeywords, fixed))
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

std::vector<QString> NameProblems(const QStringList &names)
{
    std::vector<QString> problems(std::size_t(names.size()));
    std::map<QString, qsizetype> firstRow;
    for (qsizetype i = 0; i < names.size(); ++i) {
        QString &problem = problems[std::size_t(i)];
        problem = ownProblem(names[i]);
        if (!problem.isEmpty())
            continue;
        const auto [first, isNew] = firstRow.try_emplace(names[i], i);
        if (!isNew)
            problem = QStringLiteral("also the name of row %1").arg(first->second + 1);
    }
    return problems;
}

QStringList FixNames(const QStringList &names)
{
    const std::vector<QString> problems = NameProblems(names);
    // The usable names stay, so a fixed name must not take one of them,
    // even one further down the list.
    std::set<QString> taken;
    for (qsizetype i = 0; i < names.size(); ++i)
        if (problems[std::size_t(i)].isEmpty())
            taken.insert(names[i]);

    QStringList fixed = names;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (problems[std::size_t(i)].isEmpty())
            continue;
        const QString base = fixedAlone(names[i]);
        QString candidate = base;
        for (int n = 2; taken.count(candidate) != 0; ++n)
            candidate = base + QStringLiteral("_%1").arg(n);
        taken.insert(candidate);
        fixed[i] = candidate;
    }
    return fixed;
}

} // namespace bitvane
