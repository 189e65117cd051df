// Make dependency files: their text, and bitvane-compile -M refusing to write one.

#include "error.h"
#include "project/depfile.h"
#include "testsupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

std::vector<PictureEntry> Entries(std::initializer_list<const char *> locations)
{
    std::vector<PictureEntry> entries;
    for (const char *l : locations) {
        PictureEntry entry;
        entry.Location = QString::fromUtf8(l);
        entries.push_back(std::move(entry));
    }
    return entries;
}

TEST(Depfile, RuleThenAnEmptyRulePerPictureNamedOnce)
{
    EXPECT_EQ(MakeDepfileText("out/s.h", "/w/s.bvp",
                              Entries({"/w/a.bmp", "/w/art/../b.png", "/w/./a.bmp"})),
              "out/s.h: /w/s.bvp \\\n  /w/a.bmp \\\n  /w/b.png\n\n/w/a.bmp:\n\n/w/b.png:\n");
    EXPECT_EQ(MakeDepfileText("s.h", "/w/s.bvp", {}), "s.h: /w/s.bvp\n");
    // Inputs given relative are taken from the working folder, as the
    // compile opens them; the header stays as the user's rule names it.
    const QByteArray here = QDir::currentPath().toUtf8();
    EXPECT_EQ(MakeDepfileText("../s.h", "s.bvp", Entries({"./art/a.bmp"})),
              "../s.h: " + here + "/s.bvp \\\n  " + here + "/art/a.bmp\n\n" + here +
                  "/art/a.bmp:\n");
}

TEST(Depfile, NamesAreEscapedForMake)
{
    const QByteArray text = MakeDepfileText(
        "my s.h", "/p#1.bvp",
        Entries({"/a b.bmp", "/c$d.bmp", "/e\\ f.bmp", "/g\\h.bmp", "/\xc3\xa9t\xc3\xa9.bmp"}));
    EXPECT_EQ(text,
              "my\\ s.h: /p\\#1.bvp \\\n  /a\\ b.bmp \\\n  /c$$d.bmp \\\n  /e\\\\\\ f.bmp \\\n"
              "  /g\\h.bmp \\\n  /\xc3\xa9t\xc3\xa9.bmp\n"
              "\n/a\\ b.bmp:\n\n/c$$d.bmp:\n\n/e\\\\\\ f.bmp:\n\n/g\\h.bmp:\n"
              "\n/\xc3\xa9t\xc3\xa9.bmp:\n");
}

// Characters make reads as syntax whatever the escape: refused, naming the
// picture and the character.
TEST(Depfile, NamesMakeCannotReadAreRefused)
{
    const struct {
        const char *picture;
        const char *told;
    } cases[] = {
        {"/a:b.bmp", "':'"},           {"/a;b.bmp", "';'"},           {"/a|b.bmp", "'|'"},
        {"/100%.bmp", "'%'"},          {"/a=b.bmp", "'='"},           {"/a\tb.bmp", "a TAB"},
        {"/a\nb.bmp", "a line break"}, {"/a\rb.bmp", "a line break"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.picture);
        try {
            MakeDepfileText("s.h", "/s.bvp", Entries({"/ok.bmp", c.picture}));
            ADD_FAILURE() << "written";
        } catch (const Error &e) {
            EXPECT_EQ(e.file(), QString::fromUtf8(c.picture));
            EXPECT_EQ(e.reason(), QStringLiteral("the name holds %1, which a dependency file "
                                                 "cannot hold for make")
                                      .arg(QLatin1StringView(c.told)));
        }
    }
}

struct Outcome {
    int exitCode = -1;
    QByteArray err;
};

Outcome Compile(const QString &workingDir, const QStringList &args)
{
    QProcess p;
    p.setWorkingDirectory(workingDir);
    p.start(QStringLiteral(BITVANE_COMPILE_EXE), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), p.readAllStandardError()};
}

class DepfileCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QImage picture(8, 2, QImage::Format_RGB32);
        picture.fill(Qt::black);
        ASSERT_TRUE(picture.save(dir.filePath("a b.bmp")));
        writeFile(dir.filePath("s.bvp"), "\"./a b.bmp\",0,0\r\n");
    }

    QTemporaryDir dir;
};

// Written, it is what make and CMake read: tests/scripts/depfile_builds.sh.
TEST_F(DepfileCli, NothingWrittenWhenTheCompileFailsOrTheNamesClash)
{
    writeFile(dir.filePath("s.d"), "old");
    writeFile(dir.filePath("bad.bvp"), "\"./missing.bmp\",0,0\r\n");
    Outcome r = Compile(dir.path(), {"-M", "s.d", "-o", "s.h", "bad.bvp"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(readAll(dir.filePath("s.d")), "old");
    EXPECT_FALSE(QFile::exists(dir.filePath("s.h")));

    const struct {
        const char *depfile;
        const char *line;
    } clashes[] = {
        {"s.h", "s.h: is named twice among the files to write"},
        {"s.bvp", "s.bvp: is an input of this compile"},
        {"./s.bvp", "./s.bvp: is an input of this compile"},
        {"a b.bmp", "a b.bmp: is an input of this compile"},
    };
    for (const auto &[clash, line] : clashes) {
        r = Compile(dir.path(), {"-M", clash, "-o", "s.h", "s.bvp"});
        EXPECT_EQ(r.exitCode, 1) << clash;
        EXPECT_TRUE(r.err.endsWith("bitvane-compile: " + QByteArray(line) + "\n"))
            << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath("s.h"))) << clash;
        EXPECT_EQ(readAll(dir.filePath("s.bvp")), "\"./a b.bmp\",0,0\r\n");
    }
}

// The header and the dependency file are replaced together or not at all:
// a dependency file that cannot be written, or a picture name make could
// not read, leaves the previous header, so that make never takes it for up
// to date; a device is refused as -o refuses it.
TEST_F(DepfileCli, HeaderAndDependencyFileTogetherOrNeither)
{
    QImage picture(8, 2, QImage::Format_RGB32);
    picture.fill(Qt::white);
    ASSERT_TRUE(picture.save(dir.filePath("a:b.bmp")));
    writeFile(dir.filePath("colon.bvp"), "\"a:b.bmp\",0,0\r\n");
    const QString fifo = dir.filePath("fifo.d");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const struct {
        const char *what;
        QStringList args;
        QByteArray line;
    } cases[] = {
        {"no such folder",
         {"-M", "no/such/s.d", "-o", "s.h", "s.bvp"},
         "no/such/s.d: cannot be written"},
        {"a FIFO",
         {"-M", "fifo.d", "-o", "s.h", "s.bvp"},
         "fifo.d: cannot be written: not a regular file"},
        {"a colon in a picture's name",
         {"-M", "s.d", "-o", "s.h", "colon.bvp"},
         QFile::encodeName(dir.filePath("a:b.bmp")) + ": the name holds ':'"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(dir.filePath("s.h"), "old header");
        const Outcome r = Compile(dir.path(), c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains("bitvane-compile: " + c.line)) << r.err.toStdString();
        EXPECT_EQ(readAll(dir.filePath("s.h")), "old header");
        EXPECT_FALSE(QFile::exists(dir.filePath("s.d")));
    }
    struct stat status;
    EXPECT_TRUE(::lstat(QFile::encodeName(fifo).constData(), &status) == 0 &&
                S_ISFIFO(status.st_mode));
}

} // namespace
