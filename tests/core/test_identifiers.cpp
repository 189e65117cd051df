// The identifier rule for array names and the names "Fix names" makes, down to a C compiler.
#include "compiler/compilerun.h"
#include "project/identifiers.h"
#include "project/project.h"
#include "testsupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <optional>
#include <set>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

// One project's names, top to bottom: the reason each fails ("" for a
// usable name) and what "Fix names" makes of it. Duplicates name the rows
// of this table, counted from 1.
struct NameCase {
    const char *name;
    const char *reason;
    const char *fixed;
};
const NameCase Names[] = {
    {"ship", "", "ship"},
    {"Ship", "", "Ship"}, // C tells case apart
    {"_under_score9", "", "_under_score9"},
    {"", "empty", "_"},
    {"1up", "starts with a digit", "_1up"},
    {"my sprite-2", "contains ' '", "my_sprite_2"},
    {"sprite-2", "contains '-'", "sprite_2"},
    {"café", "contains 'é'", "caf_"},
    {"ship🚀", "contains '🚀'", "ship_"}, // one character beyond 16 bits, one '_'
    {"a.b", "contains '.'", "a_b"},
    {"int", "is a keyword of C", "int_"},
    {"_Bool", "is a keyword of C", "_Bool_"},
    {"restrict", "is a keyword of C", "restrict_"},
    {"typeof", "is a keyword of C", "typeof_"},
    {"constexpr", "is a keyword of C", "constexpr_"},
    {"class", "is a keyword of C++", "class_"},
    {"bitor", "is a keyword of C++", "bitor_"},
    {"and", "is a keyword of C++", "and_"},
    {"asm", "is a keyword of C++", "asm_"},
    {"char8_t", "is a keyword of C++", "char8_t_"},
    {"_Pragma", "is predefined by C", "_Pragma_"},
    {"__func__", "is predefined by C", "__func___"},
    {"__FILE__", "is predefined by C", "__FILE___"},
    {"__has_include", "is predefined by C", "__has_include_"},
    {"__cplusplus", "is predefined by C++", "__cplusplus_"},
    {"__has_cpp_attribute", "is predefined by C++", "__has_cpp_attribute_"},
    {"__FILE", "", "__FILE"}, // reserved, but no compiler defines it
    {"_Frame", "", "_Frame"},
    {"Int", "", "Int"},
    {"ship", "also the name of row 1", "ship_2"},
    {"ship", "also the name of row 1", "ship_3"},
    {"photo", "", "photo"},
    {"photo", "also the name of row 32", "photo_3"}, // _2 is taken below
    {"photo_2", "", "photo_2"},
    {"photo 3", "contains ' '", "photo_3_2"},
    {"int", "is a keyword of C", "int__2"}, // a fixed name is unique too
};

QStringList TableNames()
{
    QStringList names;
    for (const NameCase &c : Names)
        names << QString::fromUtf8(c.name);
    return names;
}

} // namespace

TEST(Identifiers, EachNameGetsItsReasonAndItsFix)
{
    const QStringList names = TableNames();
    const std::vector<QString> problems = NameProblems(names);
    const QStringList fixed = FixNames(names);
    ASSERT_EQ(problems.size(), std::size(Names));
    ASSERT_EQ(fixed.size(), qsizetype(std::size(Names)));
    for (std::size_t i = 0; i < std::size(Names); ++i) {
        EXPECT_EQ(problems[i], QString::fromUtf8(Names[i].reason)) << "row " << i + 1;
        EXPECT_EQ(fixed[qsizetype(i)], QString::fromUtf8(Names[i].fixed)) << "row " << i + 1;
    }
    // Fixing again changes nothing: every fixed name passes.
    EXPECT_EQ(FixNames(fixed), fixed);
    for (const QString &problem : NameProblems(fixed))
        EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
}

// Rows with sheets: the names each style writes for them meet other rows'.
// A sheet of 0 frames takes all its cells, so any NAME_<index>.
struct FrameCase {
    const char *name;
    NameUse use;
    const char *classicReason;
    const char *classicFixed;
    const char *modernReason;
};
const FrameCase Frames[] = {
    {"walk", {true, 4}, "", "walk", ""},
    {"walk_3", {}, "also the name of row 1", "walk_3_2", ""},
    {"walk_4", {}, "", "walk_4", ""},
    {"walk_FRAMES", {}, "", "walk_FRAMES", "also the name of row 1"},
    {"walk_0", {true, 1}, "also the name of row 1", "walk_0_2", ""},
    {"tile_12", {}, "", "tile_12", ""},
    {"tile_012", {}, "", "tile_012", ""},
    {"tile", {true, 0}, "also the name of row 6", "tile_2", ""},
    {"tile", {true, 0}, "also the name of row 6", "tile_3", "also the name of row 8"},
    {"run", {true, 0}, "", "run", ""},
    {"run_7", {}, "also the name of row 10", "run_7_2", ""},
    {"run_x", {}, "", "run_x", ""},
    {"fly", {true, 2}, "", "fly", ""},
    {"fly", {true, 2}, "also the name of row 13", "fly_2", "also the name of row 13"},
};

TEST(Identifiers, SheetsMeetTheNamesTheirStyleWrites)
{
    QStringList names;
    std::vector<NameUse> uses;
    for (const FrameCase &c : Frames) {
        names << QString::fromUtf8(c.name);
        uses.push_back(c.use);
    }
    const std::vector<QString> classic = NameProblems(names, uses, false);
    const std::vector<QString> modern = NameProblems(names, uses, true);
    const QStringList fixed = FixNames(names, uses, false);
    for (std::size_t i = 0; i < std::size(Frames); ++i) {
        EXPECT_EQ(classic[i], QString::fromUtf8(Frames[i].classicReason)) << "row " << i + 1;
        EXPECT_EQ(fixed[qsizetype(i)], QString::fromUtf8(Frames[i].classicFixed))
            << "row " << i + 1;
        EXPECT_EQ(modern[i], QString::fromUtf8(Frames[i].modernReason)) << "row " << i + 1;
    }
    for (const QString &problem : NameProblems(fixed, uses, false))
        EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
}

// The header "Fix names" leads to, compiled as C (GNU C 99, as the binary
// notation needs) and as C++: every array named, no complaint.
TEST(Identifiers, FixedNamesCompileAsCAndCpp)
{
    const QString gcc = QStandardPaths::findExecutable(QStringLiteral("gcc"));
    if (gcc.isEmpty())
        GTEST_SKIP() << "no C compiler (gcc) on the PATH: the fixed names are not compiled";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    const QStringList fixed = FixNames(TableNames());
    std::vector<PictureEntry> entries;
    QByteArray uses = "#include \"sprites.h\"\nconst void *all[] = {";
    for (const QString &name : fixed) {
        entries.push_back(MakeEntry(name, QStringLiteral("/art/%1.png").arg(entries.size()),
                                    PictureSurface(8, 2, ShadeDark)));
        uses += name.toUtf8() + ", ";
    }
    uses += "0};\n";
    for (const bool hex : {true, false}) {
        CompileJob job;
        job.entries = entries;
        job.settings.hex = hex;
        job.headerPath = dir.filePath("sprites.h");
        RunCompile(job);
        writeFile(dir.filePath("use.c"), uses);
        for (const QStringList &language :
             {QStringList{"-x", "c", "-std=gnu99"}, QStringList{"-x", "c++", "-std=gnu++20"}}) {
            QProcess compiler;
            compiler.setProcessChannelMode(QProcess::MergedChannels);
            compiler.start(gcc,
                           language + QStringList{"-Wall", "-Werror", "-c", "-o",
                                                  dir.filePath("use.o"), dir.filePath("use.c")});
            ASSERT_TRUE(compiler.waitForFinished(60000));
            EXPECT_EQ(compiler.exitCode(), 0)
                << language.join(' ').toStdString() << (hex ? " hex\n" : " binary\n")
                << compiler.readAll().toStdString();
        }
    }
}

namespace {

// The keywords of C23 and C++23 (alternative tokens included) and the words
// they predefine, written out here from the standards' lists, and words near
// them that are none: the compilers below decide which of these and of the
// rule's own tables a name may be.
// clang-format off
const char *const ReferenceWords[] = {
    "alignas", "alignof", "auto", "bool", "break", "case", "char", "const", "constexpr", "continue",
    "default", "do", "double", "else", "enum", "extern", "false", "float", "for", "goto", "if",
    "inline", "int", "long", "nullptr", "register", "restrict", "return", "short", "signed",
    "sizeof", "static", "static_assert", "struct", "switch", "thread_local", "true", "typedef",
    "typeof", "typeof_unqual", "union", "unsigned", "void", "volatile", "while", "_Alignas",
    "_Alignof", "_Atomic", "_BitInt", "_Bool", "_Complex", "_Decimal128", "_Decimal32",
    "_Decimal64", "_Generic", "_Imaginary", "_Noreturn", "_Static_assert", "_Thread_local",
    "asm", "catch", "char8_t", "char16_t", "char32_t", "class", "concept", "consteval",
    "constinit", "const_cast", "co_await", "co_return", "co_yield", "decltype", "delete",
    "dynamic_cast", "explicit", "export", "friend", "mutable", "namespace", "new", "noexcept",
    "operator", "private", "protected", "public", "reinterpret_cast", "requires", "static_cast",
    "template", "this", "throw", "try", "typeid", "typename", "using", "virtual", "wchar_t",
    "and", "and_eq", "bitand", "bitor", "compl", "not", "not_eq", "or", "or_eq", "xor", "xor_eq",
    // No keywords: identifiers with a special meaning only in some places.
    "final", "override", "import", "module", "defined", "Int",
    "_Pragma", "__func__", "__DATE__", "__FILE__", "__LINE__", "__STDC__", "__STDC_HOSTED__",
    "__STDC_UTF_16__", "__STDC_UTF_32__", "__STDC_VERSION__", "__TIME__", "__has_c_attribute",
    "__has_include", "__cplusplus", "__STDCPP_DEFAULT_NEW_ALIGNMENT__", "__has_cpp_attribute",
    // Reserved, defined by no compiler.
    "__FILE", "_Frame", "__walk__",
};
// clang-format on

// A compiler in the newest language mode it knows, asked which words it
// refuses as the name of a variable.
struct Compiler {
    QString name;
    QString path;
    QStringList mode;
    bool cpp = false;
    bool knowsC23 = false; // a C compiler that has C23's keywords
    std::set<QString> refusedTogether;

    // Runs the compiler on one file of the declarations given, one a line:
    // the 1-based lines it reports an error on, or nullopt when it did not
    // run.
    std::optional<std::set<int>> errorLines(const QTemporaryDir &dir,
                                            const QByteArray &source) const
    {
        const QString file = dir.filePath(cpp ? "words.cpp" : "words.c");
        writeFile(file, source);
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        const QString limit =
            name.startsWith("clang") ? QStringLiteral("-ferror-limit=0") : "-fmax-errors=0";
        process.start(
            path, mode + QStringList{"-fsyntax-only", "-fdiagnostics-color=never", limit, file});
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
            return std::nullopt;
        static const QRegularExpression error(QStringLiteral(":(\\d+):\\d+: (fatal )?error"));
        std::set<int> lines;
        for (const QString &line : QString::fromLocal8Bit(process.readAll()).split(u'\n'))
            if (const QRegularExpressionMatch m = error.match(line); m.hasMatch())
                lines.insert(m.captured(1).toInt());
        if (lines.empty() && process.exitCode() != 0)
            return std::nullopt;
        return lines;
    }

    static QByteArray declaration(const QString &word)
    {
        return "int " + word.toLatin1() + " = 1;\n";
    }

    // All words in one run; a complaint about one line can spill over onto
    // the next, so a verdict that matters is asked again with the word alone.
    bool readAll(const QTemporaryDir &dir, const QStringList &words)
    {
        QByteArray source;
        for (const QString &word : words)
            source += declaration(word);
        const std::optional<std::set<int>> lines = errorLines(dir, source);
        if (!lines)
            return false;
        for (const int line : *lines)
            if (line >= 1 && line <= words.size())
                refusedTogether.insert(words[line - 1]);
        return true;
    }

    bool refuses(const QTemporaryDir &dir, const QString &word, bool alone) const
    {
        if (!alone)
            return refusedTogether.count(word) != 0;
        const std::optional<std::set<int>> lines = errorLines(dir, declaration(word));
        return !lines || !lines->empty();
    }
};

// The compilers on the PATH that take their language mode.
std::vector<Compiler> AvailableCompilers(const QTemporaryDir &dir)
{
    const struct {
        const char *name;
        bool cpp;
    } candidates[] = {{"gcc", false}, {"clang", false}, {"g++", true}, {"clang++", true}};
    // C23's keywords in use; an older compiler takes "-std=c2x" without them.
    const QByteArray c23 = "constexpr int a = 1;\n"
                           "typeof_unqual(const int) b = a;\n"
                           "thread_local bool c = true;\n"
                           "alignas(8) int d = alignof(int);\n"
                           "static_assert(sizeof(int) > 1);\n"
                           "void *e = nullptr;\n";
    std::vector<Compiler> found;
    for (const auto &candidate : candidates) {
        Compiler c;
        c.name = QLatin1String(candidate.name);
        c.path = QStandardPaths::findExecutable(c.name);
        c.cpp = candidate.cpp;
        c.mode =
            c.cpp ? QStringList{"-x", "c++", "-std=c++2b"} : QStringList{"-x", "c", "-std=c2x"};
        if (c.path.isEmpty() || c.errorLines(dir, "int usable = 1;\n") != std::set<int>{})
            continue;
        c.knowsC23 = !c.cpp && c.errorLines(dir, c23) == std::set<int>{};
        found.push_back(std::move(c));
    }
    return found;
}

} // namespace

// Every word that a C or C++ compiler refuses as a name is refused by the
// rule, with the reason of the language that refuses it, and every word of
// the rule's tables is refused by a compiler of its language (a predefined
// word by every one): a keyword or predefined word left out of the tables,
// or a word that is none put in, is caught. A C
// compiler without C23's keywords cannot tell those apart; it says nothing
// about them, and the C++ compilers still catch those C++ shares.
TEST(Identifiers, KeywordsAreTheWordsTheCompilersRefuse)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::vector<Compiler> compilers = AvailableCompilers(dir);
    if (compilers.empty())
        GTEST_SKIP() << "no gcc, clang, g++ or clang++ taking -std=c2x or -std=c++2b on the PATH";

    QStringList words;
    for (const char *word : ReferenceWords)
        words << QLatin1String(word);
    for (const QString &word : KeywordsOf(Language::C) + KeywordsOf(Language::Cpp) +
                                   PredefinedOf(Language::C) + PredefinedOf(Language::Cpp))
        if (!words.contains(word))
            words << word;
    for (Compiler &c : compilers)
        ASSERT_TRUE(c.readAll(dir, words)) << c.name.toStdString() << " did not run";
    const bool c23 = std::any_of(compilers.begin(), compilers.end(),
                                 [](const Compiler &c) { return c.knowsC23; });

    // What is wrong with the rule's reason for word, or nothing.
    auto fault = [&](const QString &word, bool alone) -> std::string {
        const QString reason = NameProblems({word}).front();
        QStringList refusedByC, refusedByCpp, acceptedByC, acceptedByCpp, acceptedByC23;
        for (const Compiler &c : compilers) {
            const bool refused = c.refuses(dir, word, alone);
            if (c.cpp)
                (refused ? refusedByCpp : acceptedByCpp) << c.name;
            else if (refused)
                refusedByC << c.name;
            else {
                acceptedByC << c.name;
                if (c.knowsC23)
                    acceptedByC23 << c.name;
            }
        }
        const std::string what = word.toStdString() + ": the rule says \"" + reason.toStdString() +
                                 "\"; refused by C " + refusedByC.join(',').toStdString() +
                                 ", by C++ " + refusedByCpp.join(',').toStdString();
        const QString ofC = QStringLiteral("is a keyword of C");
        const QString ofCpp = QStringLiteral("is a keyword of C++");
        // Compilers predefine their macros in both languages; one of C++
        // must be refused by every compiler of C++, one of C by every one
        // of C, and one every C compiler refuses is C's.
        const QString byC = QStringLiteral("is predefined by C");
        const QString byCpp = QStringLiteral("is predefined by C++");
        if (reason == byC || reason == byCpp) {
            const QStringList &accepted = reason == byC ? acceptedByC : acceptedByCpp;
            if (!accepted.isEmpty())
                return what + "; accepted by " + accepted.join(',').toStdString();
            if (reason == byCpp && !refusedByC.isEmpty() && acceptedByC.isEmpty())
                return what;
            return {};
        }
        if (!refusedByC.isEmpty() && reason != ofC)
            return what;
        if (refusedByC.isEmpty() && !refusedByCpp.isEmpty() && reason != ofCpp &&
            !(reason == ofC && !c23))
            return what;
        if (reason == ofCpp && !acceptedByCpp.isEmpty())
            return what + "; accepted by " + acceptedByCpp.join(',').toStdString();
        if (reason == ofC && !acceptedByC23.isEmpty())
            return what + "; accepted by " + acceptedByC23.join(',').toStdString();
        return {};
    };
    for (const QString &word : words) {
        if (fault(word, false).empty())
            continue;
        if (const std::string f = fault(word, true); !f.empty())
            ADD_FAILURE() << f;
    }
    if (!c23)
        std::cout << "no C compiler here has C23's keywords; the C keywords that C++ lacks are "
                     "checked only where a compiler refuses them\n";
}
