// The identifier rule for array names and the names "Fix names" makes, down to a C compiler.
#include "compiler/compilerun.h"
#include "project/identifiers.h"
#include "testsupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
    {"Int", "", "Int"},
    {"ship", "also the name of row 1", "ship_2"},
    {"ship", "also the name of row 1", "ship_3"},
    {"photo", "", "photo"},
    {"photo", "also the name of row 24", "photo_3"}, // _2 is taken below
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
