// Make dependency files: their text, and bitvane-compile -M refusing to write one.

#include "error.h"
#include "project/depfile.h"
#include "testsupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
    // make cannot read a line break in a name: refused, naming it.
    try {
        MakeDepfileText("s.h", "/s.bvp", Entries({"/a\nb.bmp"}));
        ADD_FAILURE() << "a line break was written";
    } catch (const Error &e) {
        EXPECT_EQ(e.file(), "/a\nb.bmp");
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

    for (const char *clash : {"s.h", "s.bvp", "./s.bvp"}) {
        r = Compile(dir.path(), {"-M", clash, "-o", "s.h", "s.bvp"});
        EXPECT_EQ(r.exitCode, 1) << clash;
        EXPECT_TRUE(r.err.contains("the dependency file would replace")) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath("s.h"))) << clash;
        EXPECT_EQ(readAll(dir.filePath("s.bvp")), "\"./a b.bmp\",0,0\r\n");
    }
}

} // namespace
