// bitvane-compile --extract end to end: headers back to pictures and a
// project that compiles to them again, and every way it refuses.

#include "core/hostilehelpers.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/time.h>
#include <unistd.h>

using namespace bitvane::testing;
using hostile::ChildRun;
using hostile::runLimited;

namespace {

QStringList caseArgs(const QString &caseDir)
{
    QFile file(caseDir + QStringLiteral("/args.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

class ExtractCli : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp.isValid()); }

    QString path(const QString &name) const { return tmp.filePath(name); }

    QTemporaryDir tmp;
};

// Runs in dir, so that messages name files as given.
ChildRun runIn(const QString &dir, const QStringList &args)
{
    const QByteArray where = QFile::encodeName(dir);
    return runLimited(args, {}, [&where] {
        if (::chdir(where.constData()) != 0)
            ::_exit(127);
    });
}

} // namespace

// Every golden header: compiled with the case's arguments, extracted, and
// the extracted project compiled in the header's own style, notation and
// masks gives the same file byte for byte. The header is named as the
// extracted project will be, so that even the modern frame (which names
// both) comes back.
TEST(ExtractRoundTrip, GoldenCasesCompileBackByteForByte)
{
    const QDir golden(QStringLiteral(BITVANE_GOLDEN_DIR));
    QTemporaryDir tmp;
    int cases = 0;
    for (const QString &name : golden.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString caseDir = golden.filePath(name);
        if (!QFile::exists(caseDir + QStringLiteral("/expected.h")))
            continue;
        ++cases;
        SCOPED_TRACE(name.toStdString());
        const QString first = tmp.filePath(name + QStringLiteral("/project.h"));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(first).path()));
        const QStringList args = caseArgs(caseDir);
        ChildRun r = runIn(caseDir, args + QStringList{QStringLiteral("-o"), first,
                                                       QStringLiteral("project.bvp")});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

        const QString folder = tmp.filePath(name + QStringLiteral("/back"));
        r = runLimited({QStringLiteral("--extract"), first, QStringLiteral("-o"), folder});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.err, QByteArray());
        EXPECT_EQ(r.out, QByteArray());

        // The names are back already; fixing them again would change nothing.
        // The pictures are the sprites already: fitting, levels and shading
        // have been done.
        QStringList backArgs;
        for (qsizetype i = 0; i < args.size(); ++i) {
            if (args[i] == u"--fit" || args[i] == u"--levels" || args[i] == u"--shade")
                ++i;
            else if (args[i] != u"--fix-names")
                backArgs << args[i];
        }
        const QString again = folder + QStringLiteral("/project.h");
        r = runLimited(backArgs + QStringList{QStringLiteral("-o"), again,
                                              folder + QStringLiteral("/project.bvp")});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(readAll(again), readAll(first));
    }
    EXPECT_GE(cases, 14);
}

// Eighteen arrays of one name: files grey.png, grey_2.png, ... with the name
// kept in the project, locations bare so that the folder can move.
TEST_F(ExtractCli, ProjectListsBareFileNamesAndKeepsArrayNames)
{
    writeFile(path("sprites.h"), Preamble +
                                     "static unsigned char grey[2] = {0x1, 0x0};\r\n\r\n"
                                     "static unsigned char grey[2] = {0x2, 0x0};\r\n\r\n"
                                     "static unsigned char my_ship[2] = {0x3, 0x0};\r\n\r\n");
    const ChildRun r = runIn(tmp.path(), {"--extract", "sprites.h", "-o", "art"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(entriesOf(path("art")),
              (QStringList{"grey.png", "grey_2.png", "my_ship.png", "sprites.bvp"}));
    EXPECT_EQ(readAll(path("art/sprites.bvp")), "\"grey.png\",0,0\r\n"
                                                "\"grey_2.png\",0,0,\"grey\"\r\n"
                                                "\"my_ship.png\",0,0\r\n");

    // Moved elsewhere and compiled from another folder, it still gives the arrays.
    ASSERT_TRUE(QDir().rename(path("art"), path("moved")));
    const ChildRun back = runIn(tmp.path(), {"-o", "back.h", "moved/sprites.bvp"});
    EXPECT_EQ(back.exitCode, 0) << back.err.toStdString();
    EXPECT_EQ(readAll(path("back.h")), readAll(path("sprites.h")));
}

// Other code in the header: a warning line in the compilers' form each,
// and the arrays extracted all the same.
TEST_F(ExtractCli, OtherCodeIsAWarningNamingHeaderAndLine)
{
    writeFile(path("mixed.h"), Preamble + "int answer = 42;\r\n"
                                          "static unsigned char a[2] = {0x1, 0x0};\r\n"
                                          "static int lut[1] = {7};\r\n");
    const ChildRun r = runIn(tmp.path(), {"--extract", "mixed.h", "-o", "out"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QByteArray());
    EXPECT_EQ(r.err, "mixed.h:4: warning: skipped, not a sprite array: int answer = 42;\n"
                     "mixed.h:6: warning: skipped, not a sprite array: static int lut[1] = {7};\n");
    EXPECT_EQ(entriesOf(path("out")), (QStringList{"a.png", "mixed.bvp"}));
}

// A header of many warnings, a table no sprite can be and a name cut in
// the middle of a character: the first hundred warnings and a count, and
// every array written.
TEST_F(ExtractCli, WarningsAreBoundedAndOddTablesAndLongNamesDoNotStopIt)
{
    const QByteArray face = "\xF0\x9F\x98\x80"; // one character, two UTF-16 halves
    writeFile(
        path("big.h"),
        Preamble + "static unsigned short crc[512] = {0x0};\r\n" +
            QByteArray("int x;\r\nstatic unsigned char a[2] = {0x1, 0x0};\r\n").repeated(150) +
            "static unsigned char z" + face.repeated(50) + "[2] = {0x2, 0x0};\r\n");
    const ChildRun r = runIn(tmp.path(), {"--extract", "big.h", "-o", "out"});
    ASSERT_EQ(r.exitCode, 0) << r.err.left(400).toStdString();
    const QList<QByteArray> lines = r.err.split('\n');
    ASSERT_EQ(lines.size(), 102); // 101 lines and the empty rest
    EXPECT_EQ(lines[0], "big.h:4: warning: skipped array crc: no sprite has 512 elements, more "
                        "than the 480 of 240 rows");
    EXPECT_EQ(lines[1], "big.h:5: warning: skipped, not a sprite array: int x;");
    EXPECT_EQ(lines[99], "big.h:201: warning: skipped, not a sprite array: int x;");
    EXPECT_EQ(lines[100], "big.h: warning: ... and 51 more");
    const QStringList files = entriesOf(path("out"));
    EXPECT_EQ(files.size(), 152);
    EXPECT_TRUE(files.contains(QStringLiteral("a_150.png")));
    EXPECT_TRUE(files.contains(QString::fromUtf8("z" + face.repeated(49) + ".png")));
}

// A faulty array is one failure line naming header, line and reason (every
// fault is in the header reader's tests), and the folder is not made, or
// left as it was.
TEST_F(ExtractCli, FaultyArraysFailAndLeaveTheFolderAsItWas)
{
    QDir().mkpath(path("kept"));
    writeFile(path("kept/note.txt"), "mine");
    // A good array before the faulty one: nothing of it may be written.
    writeFile(path("bad.h"), Preamble + "static unsigned char ok[2] = {0x1, 0x0};\r\n"
                                        "static unsigned short a[2] = {0x10000, 0x0};\r\n");
    for (const char *folder : {"new/deeper", "kept"}) {
        const ChildRun r = runIn(tmp.path(), {"--extract", "bad.h", "-o", folder});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "bitvane-compile: bad.h:5: array a: 0x10000 does not fit unsigned short "
                         "(16 bits)\n");
    }
    EXPECT_FALSE(QFileInfo::exists(path("new")));
    EXPECT_EQ(entriesOf(path("kept")), QStringList{"note.txt"});

    // A header that cannot be read, or that holds no array, writes nothing.
    ChildRun r = runIn(tmp.path(), {"--extract", "missing.h", "-o", "new"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("bitvane-compile: missing.h: ")) << r.err.toStdString();
    writeFile(path("none.h"), Preamble);
    r = runIn(tmp.path(), {"--extract", "none.h", "-o", "new"});
    EXPECT_EQ(r.err, "bitvane-compile: none.h: holds no sprite array\n");
    // A file that is no text says so alone, without a warning per "line".
    writeFile(path("ship.png"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\n\n", 18));
    writeFile(path("data.h"), QByteArray("static\0\x01\n\n", 10));
    for (const char *file : {"ship.png", "data.h"}) {
        r = runIn(tmp.path(), {"--extract", file, "-o", "new"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "bitvane-compile: " + QByteArray(file) + ": not a text file (" +
                             (file[0] == 's' ? "a PNG picture" : "binary data") + ")\n");
    }
    EXPECT_FALSE(QFileInfo::exists(path("new")));
}

// Files already in the folder, the project file as well as a picture, stay
// unless --force; with it they are replaced.
TEST_F(ExtractCli, ExistingFilesNeedForce)
{
    writeFile(path("s.h"), Preamble + "static unsigned char a[2] = {0x1, 0x0};\r\n"
                                      "static unsigned char b[2] = {0x2, 0x0};\r\n");
    for (const char *existing : {"b.png", "s.bvp"}) {
        SCOPED_TRACE(existing);
        QDir(path("out")).removeRecursively();
        QDir().mkpath(path("out"));
        writeFile(path("out/") + existing, "old");
        ChildRun r = runIn(tmp.path(), {"--extract", "s.h", "-o", "out"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "bitvane-compile: out/" + QByteArray(existing) +
                             ": exists already and is not overwritten\n");
        EXPECT_EQ(entriesOf(path("out")), QStringList{existing});
        EXPECT_EQ(readAll(path("out/") + existing), "old");

        r = runIn(tmp.path(), {"--extract", "s.h", "--force", "-o", "out"});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(entriesOf(path("out")), (QStringList{"a.png", "b.png", "s.bvp"}));
        EXPECT_EQ(readAll(path("out/s.bvp")), "\"a.png\",0,0\r\n\"b.png\",0,0\r\n");
    }
}

// What belongs to the compile makes no sense with --extract: usage errors
// (exit 2) before anything is read or written.
TEST_F(ExtractCli, CompileOptionsAreUsageErrors)
{
    writeFile(path("s.h"), Preamble + "static unsigned char a[2] = {0x1, 0x0};\r\n");
    const struct {
        QStringList args;
        const char *reason;
    } cases[] = {
        {{"--binary"}, "--binary cannot be used with --extract"},
        {{"--style", "modern"}, "--style cannot be used with --extract"},
        {{"--mask"}, "--mask cannot be used with --extract"},
        {{"--fix-names"}, "--fix-names cannot be used with --extract"},
        {{"-Werror"}, "-Werror cannot be used with --extract"},
        {{"-M", "out.d"}, "-M cannot be used with --extract"},
        {{"--fit", "scale"}, "--fit cannot be used with --extract"},
        {{"--levels", "0,255"}, "--levels cannot be used with --extract"},
        {{"--shade", "diffuse"}, "--shade cannot be used with --extract"},
        {{"--hex"}, "--hex cannot be used with --extract"},
        {{"--shared"}, "--shared cannot be used with --extract"},
        {{"--watch"}, "--watch cannot be used with --extract"},
        {{"p.bvp"}, "--extract takes no project file: it writes one"},
        {{"--extract", "t.h"}, "--extract is given more than once"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reason);
        const ChildRun r = runIn(tmp.path(), QStringList{"--extract", "s.h", "-o", "out"} + c.args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.startsWith("bitvane-compile: " + QByteArray(c.reason) + "\nUsage: "))
            << r.err.toStdString();
    }
    ChildRun r = runIn(tmp.path(), {"--extract", "s.h"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith("bitvane-compile: no folder named: give it with -o FOLDER\n"));
    r = runIn(tmp.path(), {"--extract", "s.h", "-o", "-"});
    EXPECT_EQ(r.exitCode, 2);
    r = runIn(tmp.path(), {"--force", "-o", "x.h", "p.bvp"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith("bitvane-compile: --force is only used with --extract\n"));
    EXPECT_EQ(entriesOf(tmp.path()), QStringList{"s.h"});
}

// A symbolic link named like a file to write is a name already there, even
// when it leads nowhere; with --force the link itself is replaced and
// nothing is written where it led.
TEST_F(ExtractCli, SymbolicLinksInTheFolderAreReplacedNeverFollowed)
{
    writeFile(path("s.h"), Preamble + "static unsigned char a[2] = {0x1, 0x0};\r\n");
    ASSERT_TRUE(QDir().mkpath(path("out")) && QDir().mkpath(path("elsewhere")));
    writeFile(path("elsewhere/mine.bvp"), "mine");
    ASSERT_TRUE(QFile::link(path("elsewhere/a.png"), path("out/a.png"))); // leads nowhere
    ASSERT_TRUE(QFile::link(path("elsewhere/mine.bvp"), path("out/s.bvp")));

    ChildRun r = runIn(tmp.path(), {"--extract", "s.h", "-o", "out"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "bitvane-compile: out/a.png: exists already and is not overwritten\n");
    EXPECT_TRUE(QFileInfo(path("out/a.png")).isSymLink());

    r = runIn(tmp.path(), {"--extract", "s.h", "--force", "-o", "out"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const char *name : {"out/a.png", "out/s.bvp"}) {
        EXPECT_FALSE(QFileInfo(path(name)).isSymLink()) << name;
        EXPECT_TRUE(QFileInfo(path(name)).isFile()) << name;
    }
    EXPECT_EQ(entriesOf(path("elsewhere")), QStringList{"mine.bvp"});
    EXPECT_EQ(readAll(path("elsewhere/mine.bvp")), "mine");
}

// Staging folders a killed run left are removed by the next extraction into
// that folder once ten minutes old, with one line saying so; a young one
// and one a running extraction holds stay.
TEST_F(ExtractCli, StagingFoldersOfKilledRunsAreRemovedOnceOld)
{
    writeFile(path("s.h"), Preamble + "static unsigned char a[2] = {0x1, 0x0};\r\n");
    const QStringList staging{".bitvane-extract-old111", ".bitvane-extract-run222",
                              ".bitvane-extract-new333"};
    const timeval elevenMinutesAgo[2] = {{::time(nullptr) - 660, 0}, {::time(nullptr) - 660, 0}};
    for (const QString &name : staging) {
        ASSERT_TRUE(QDir().mkpath(path("out/" + name)));
        writeFile(path("out/" + name + "/a.png"), "half written");
        if (!name.endsWith("333")) {
            ASSERT_EQ(
                ::utimes(QFile::encodeName(path("out/" + name)).constData(), elevenMinutesAgo), 0);
        }
    }
    const int running =
        ::open(QFile::encodeName(path("out/" + staging[1])).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(running, 0);
    ASSERT_EQ(::flock(running, LOCK_EX), 0);

    const ChildRun r = runIn(tmp.path(), {"--extract", "s.h", "-o", "out"});
    ::close(running);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "out: note: removed .bitvane-extract-old111, left by an interrupted "
                     "extraction\n");
    EXPECT_EQ(
        QDir(path("out")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        (QStringList{".bitvane-extract-new333", ".bitvane-extract-run222", "a.png", "s.bvp"}));
}
