// RunCompile: the header and project file bytes, progress, and failures that leave both as they
// were.
#include "testsupport.h"

#include "compiler/compilerun.h"
#include "error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

// The 8 by 2 picture whose array is worked out by hand in the format's notes.
PictureSurface workedExample()
{
    PictureSurface s(8, 2, ShadeWhite);
    const ColorValue row0[] = {ShadeBlack, ShadeDark,  ShadeLight, ShadeWhite,
                               ShadeWhite, ShadeWhite, ShadeWhite, ShadeBlack};
    for (int x = 0; x < 8; ++x)
        s.setPixel(x, 0, row0[x]);
    return s;
}

class CompileRun : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString header = dir.filePath("sprites.h");
    QString project = dir.filePath("sprites.bvp");

    // What the job compiles; job() fills it afresh and the job views it.
    std::vector<PictureEntry> entries;

    // The images come through the job's callback, as bitvane-compile gives
    // them; the entries' own images stay empty.
    CompileJob job(std::vector<PictureSurface> images, bool hex = true)
    {
        entries.clear();
        for (std::size_t i = 0; i < images.size(); ++i)
            entries.push_back(
                MakeEntry(QStringLiteral("p%1").arg(i), QStringLiteral("/art/p%1.bmp").arg(i)));
        CompileJob j;
        j.settings.hex = hex;
        j.headerPath = header;
        j.entries = entries;
        j.sprite = [images = std::move(images)](int i) {
            return LoadedSprite{images.at(std::size_t(i)), {}, {}};
        };
        return j;
    }
};

} // namespace

TEST_F(CompileRun, OnePictureGivesExactlyFiveLines)
{
    CompileJob j = job({workedExample()});
    entries[0].Name = "sprite";
    RunCompile(j);
    EXPECT_EQ(readAll(header),
              Preamble + "static unsigned char sprite[4] = {0xa1, 0x0, 0xc1, 0x0};\r\n\r\n");
    EXPECT_FALSE(QFile::exists(project));

    j.settings.hex = false;
    RunCompile(j);
    EXPECT_EQ(readAll(header),
              Preamble + "static unsigned char sprite[4] = {0b10100001, 0b00000000, 0b11000001, "
                         "0b00000000};\r\n\r\n");
}

TEST_F(CompileRun, AWidthWithoutArrayGivesAnEmptyLineAndStillItsRecord)
{
    CompileJob j = job({PictureSurface(10, 3, ShadeBlack), workedExample()});
    entries[1].Name = "sprite";
    entries[0].Brightness = -3;
    entries[0].Contrast = 7;
    j.projectPath = project;
    RunCompile(j);
    EXPECT_EQ(readAll(header),
              Preamble +
                  "\r\n\r\nstatic unsigned char sprite[4] = {0xa1, 0x0, 0xc1, 0x0};\r\n\r\n");
    EXPECT_EQ(readAll(project), "\"/art/p0.bmp\",-3,7\r\n\"/art/p1.bmp\",0,0,\"sprite\"\r\n");
}

TEST_F(CompileRun, AppliesContrastBeforeBrightness)
{
    // Light grey with contrast 50 then brightness -85 stays light grey; the
    // other order would make it black.
    CompileJob j = job({PictureSurface(8, 1, ShadeLight)});
    entries[0].Contrast = 50;
    entries[0].Brightness = -85;
    RunCompile(j);
    EXPECT_EQ(readAll(header), Preamble + "static unsigned char p0[2] = {0xff, 0x0};\r\n\r\n");
}

TEST_F(CompileRun, LeavesTheStoredImageAlone)
{
    const PictureSurface stored(8, 1, ShadeDark);
    CompileJob j = job({});
    entries.push_back(MakeEntry("s", "/a/s.bmp", {}, 100, 255));
    j.entries = entries;
    j.sprite = [&stored](int) { return LoadedSprite{stored, {}, {}}; };
    RunCompile(j);
    EXPECT_EQ(stored, PictureSurface(8, 1, ShadeDark));
}

TEST_F(CompileRun, WithoutAnImageSourceEachEntrysOwnImageIsCompiled)
{
    // The window's way: the entries hold their loaded images.
    entries = {MakeEntry("a", "/art/a.bmp", PictureSurface(8, 1, ShadeLight), 50, -85),
               MakeEntry("b", "/art/b.bmp", PictureSurface(8, 1, ShadeBlack))};
    CompileJob j;
    j.headerPath = header;
    j.projectPath = project;
    j.entries = entries;
    RunCompile(j);
    EXPECT_EQ(readAll(header), Preamble + "static unsigned char a[2] = {0xff, 0x0};\r\n\r\n"
                                          "static unsigned char b[2] = {0xff, 0xff};\r\n\r\n");
    EXPECT_EQ(readAll(project), "\"/art/a.bmp\",-85,50\r\n\"/art/b.bmp\",0,0\r\n");
}

TEST_F(CompileRun, NoEntriesGiveThePreambleAndAnEmptyProject)
{
    CompileJob j = job({});
    j.projectPath = project;
    writeFile(project, "\"/old/a.bmp\",0,0\r\n");
    RunCompile(j);
    EXPECT_EQ(readAll(header), Preamble);
    EXPECT_EQ(readAll(project), QByteArray());
}

TEST_F(CompileRun, ReportsProgressAfterEachEntry)
{
    CompileJob j = job({workedExample(), workedExample(), workedExample()});
    std::vector<std::pair<int, int>> seen;
    j.progress = [&](int done, int total) { seen.emplace_back(done, total); };
    RunCompile(j);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
}

TEST_F(CompileRun, AFailedRunLeavesBothTargetsAsTheyWere)
{
    const QByteArray oldHeader = "// the previous good header\r\n";
    const QByteArray oldProject = "\"/old/a.bmp\",1,2\r\n";

    struct Failure {
        const char *what;
        std::function<void(CompileJob &)> arrange;
    };
    const Failure failures[] = {
        {"the third picture cannot be loaded",
         [](CompileJob &j) {
             auto sprites = j.sprite;
             j.sprite = [sprites](int i) {
                 if (i == 2)
                     throw Error("/art/p2.bmp", "not a picture (unknown format)");
                 return sprites(i);
             };
         }},
        {"a record cannot be stored",
         [this](CompileJob &) { entries[3].Location = "/art/\"q\".bmp"; }},
        {"a setting overflows", [this](CompileJob &) { entries[3].Contrast = 32000; }},
        {"progress throws",
         [](CompileJob &j) {
             j.progress = [](int done, int) {
                 if (done == 4)
                     throw Error("stopped");
             };
         }},
    };
    for (const Failure &f : failures) {
        SCOPED_TRACE(f.what);
        writeFile(header, oldHeader);
        writeFile(project, oldProject);
        CompileJob j = job({workedExample(), workedExample(), workedExample(), workedExample()});
        j.projectPath = project;
        f.arrange(j);
        EXPECT_THROW(RunCompile(j), Error);
        EXPECT_EQ(readAll(header), oldHeader);
        EXPECT_EQ(readAll(project), oldProject);
        EXPECT_EQ(entriesOf(dir.path()), (QStringList{"sprites.bvp", "sprites.h"}));
    }
}

TEST_F(CompileRun, ErrorsNameTheEntryOrTheFile)
{
    CompileJob j = job({workedExample()});
    entries[0].Brightness = 32700;
    try {
        RunCompile(j);
        ADD_FAILURE() << "an overflowing brightness was compiled";
    } catch (const Error &e) {
        EXPECT_EQ(e.file(), "/art/p0.bmp");
    }
    EXPECT_FALSE(QFile::exists(header));

    CompileJob k = job({workedExample()});
    entries[0].Location = "/art/\"q\".bmp";
    k.projectPath = project;
    try {
        RunCompile(k);
        ADD_FAILURE() << "a location with a quote was stored";
    } catch (const Error &e) {
        EXPECT_TRUE(e.reason().contains("double quote")) << e.what();
    }
    EXPECT_TRUE(entriesOf(dir.path()).isEmpty());
}

TEST_F(CompileRun, RefusesTargetsThatCannotBeWritten)
{
    const QByteArray oldProject = "\"/old/a.bmp\",1,2\r\n";
    writeFile(project, oldProject);
    const QString nowhere = dir.filePath("no/such/folder/sprites.h");
    CompileJob j = job({workedExample()});
    j.headerPath = nowhere;
    j.projectPath = project;
    try {
        RunCompile(j);
        ADD_FAILURE() << "a header in a missing folder was written";
    } catch (const Error &e) {
        EXPECT_EQ(e.file(), nowhere);
    }
    EXPECT_EQ(readAll(project), oldProject);

    // A folder where the header should go.
    QDir(dir.path()).mkdir("sprites.h");
    j.headerPath = header;
    EXPECT_THROW(RunCompile(j), Error);
    EXPECT_EQ(readAll(project), oldProject);
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{"sprites.bvp", "sprites.h"}));
}

TEST_F(CompileRun, RefusesTheSameFileAsHeaderAndProject)
{
    const QByteArray old = "\"/old/a.bmp\",1,2\r\n";
    writeFile(project, old);
    CompileJob j = job({workedExample()});
    for (const QString &alias :
         {project, dir.filePath("./sprites.bvp"), dir.filePath("x/../sprites.bvp")}) {
        j.headerPath = alias;
        j.projectPath = project;
        EXPECT_THROW(RunCompile(j), Error) << alias.toStdString();
        EXPECT_EQ(readAll(project), old);
    }
    ASSERT_TRUE(QFile::link(project, dir.filePath("link.bvp")));
    j.headerPath = dir.filePath("link.bvp");
    EXPECT_THROW(RunCompile(j), Error);
    EXPECT_EQ(readAll(project), old);
}

// Masks come from what the job gives; a picture given without one is drawn
// whole; without the flag no mask is written even when one is there.
TEST_F(CompileRun, MasksComeFromTheSpritesOrDrawTheWholePicture)
{
    entries = {MakeEntry("a", "/art/a.bmp", workedExample(), 0, 0, SpriteMask{8, {0xF0, 0x0F}}),
               MakeEntry("b", "/art/b.bmp", PictureSurface(16, 1, ShadeBlack))};
    CompileJob j;
    j.headerPath = header;
    j.entries = entries;
    RunCompile(j);
    EXPECT_FALSE(readAll(header).contains("_mask"));

    j.settings.masks = true;
    RunCompile(j);
    EXPECT_EQ(readAll(header), Preamble + "static unsigned char a[4] = {0xa1, 0x0, 0xc1, 0x0};\r\n"
                                          "static unsigned char a_mask[2] = {0xf0, 0xf};\r\n\r\n"
                                          "static unsigned short b[2] = {0xffff, 0xffff};\r\n"
                                          "static unsigned short b_mask[1] = {0xffff};\r\n\r\n");

    // Through the callback, as bitvane-compile gives them.
    j.sprite = [](int i) {
        return i == 0 ? LoadedSprite{workedExample(), SpriteMask{8, {0x80, 0x01}}, {}}
                      : LoadedSprite{PictureSurface(16, 1, ShadeBlack), {}, {}};
    };
    j.settings.style = HeaderStyle::Modern;
    RunCompile(j);
    const QByteArray text = readAll(header);
    EXPECT_TRUE(text.contains("static const uint8_t a_mask[2] BITVANE_DATA = {\r\n"
                              "    0x80,\r\n"
                              "    0x01\r\n"
                              "};\r\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("static const uint16_t b_mask[1] BITVANE_DATA = {\r\n"
                              "    0xFFFF\r\n"
                              "};\r\n"));
}

TEST(HeaderPreamble, IsTheTwoCommentLinesAndAnEmptyLine)
{
    EXPECT_EQ(HeaderPreamble(), Preamble);
}
