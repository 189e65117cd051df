// Picture lists: entries from a project file, and adding a dialog's selection.
#include "testsupport.h"

#include "error.h"
#include "project/project.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

class PictureList : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString touch(const QString &name)
    {
        writeFile(dir.filePath(name), "picture");
        return dir.filePath(name);
    }

    QString selection(const QStringList &names) const
    {
        return (QStringList{dir.path()} + names).join(QChar(0));
    }

    static QStringList names(const std::vector<PictureEntry> &entries)
    {
        QStringList list;
        for (const PictureEntry &e : entries)
            list << e.Name;
        return list;
    }
};

TEST_F(PictureList, AProjectFileGivesOneEntryPerRecordNamedByItsBaseName)
{
    const QString project = dir.filePath("p.bvp");
    writeFile(project, "\"/art/ship.big.bmp\",85,-10\r\n\"/art/alien.gif\",0,0\r\n"
                       "\"/art/ship.big.bmp\",-255,100\r\n");
    const std::vector<PictureEntry> entries = EntriesFromProjectFile(project);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(names(entries), (QStringList{"ship.big", "alien", "ship.big"}));
    EXPECT_EQ(entries[0].Location, "/art/ship.big.bmp");
    EXPECT_EQ(entries[0].Brightness, 85);
    EXPECT_EQ(entries[0].Contrast, -10);
    EXPECT_EQ(entries[2].Brightness, -255);
    EXPECT_EQ(entries[2].Contrast, 100);
    // Pictures are read only when the list is loaded.
    EXPECT_TRUE(entries[0].Image.isEmpty());
}

TEST_F(PictureList, RelativeLocationsAreTakenFromTheProjectsFolder)
{
    const QByteArray text = "\"hero.png\",0,0\r\n\"./art/b.bmp\",1,2,\"boss\"\r\n"
                            "\"../up.gif\",0,0,\"hero\"\r\n\"/abs/c.jpg\",0,0\r\n";
    ASSERT_TRUE(QDir(dir.path()).mkdir("game"));
    writeFile(dir.filePath("game/p.bvp"), text);
    const std::vector<PictureEntry> entries = EntriesFromProjectFile(dir.filePath("game/p.bvp"));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(names(entries), (QStringList{"hero", "boss", "hero", "c"}));
    EXPECT_EQ(entries[0].Location, dir.filePath("game/hero.png"));
    EXPECT_EQ(entries[1].Location, dir.filePath("game/./art/b.bmp"));
    EXPECT_EQ(entries[2].Location, dir.filePath("game/../up.gif"));
    EXPECT_EQ(entries[3].Location, "/abs/c.jpg");
    EXPECT_EQ(entries[1].ProjectLocation, "./art/b.bmp");

    // Written back, the records are the file's own lines: the locations as
    // the file gave them, a name only where it was stored.
    QByteArray written;
    for (const PictureEntry &entry : entries)
        written += FormatProjectRecord(RecordOf(entry));
    EXPECT_EQ(written, text);

    // From the project's own folder the locations stay as written, so that
    // messages name pictures as the project does.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.filePath("game")));
    const std::vector<PictureEntry> here = EntriesFromProjectFile("p.bvp");
    QDir::setCurrent(before);
    EXPECT_EQ(here[0].Location, "hero.png");
    EXPECT_EQ(here[1].Location, "./art/b.bmp");
}

TEST_F(PictureList, ARenamedEntryIsRecordedWithItsName)
{
    PictureEntry entry = MakeEntry("hero", "/art/hero.png", {}, 3, -4);
    EXPECT_EQ(RecordOf(entry), (ProjectRecord{"/art/hero.png", -4, 3}));
    entry.Name = "Hero";
    EXPECT_EQ(RecordOf(entry).name, "Hero");
    entry.Name.clear();
    EXPECT_EQ(RecordOf(entry).name, "");
}

TEST_F(PictureList, AProjectFileFailsWholeNamingFileAndLine)
{
    const QString project = dir.filePath("p.bvp");
    writeFile(project, "\"/art/a.bmp\",0,0\r\n\"/art/readme\",0,0\r\n");
    try {
        EntriesFromProjectFile(project);
        ADD_FAILURE() << "a location without an extension gave a name";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains("readme")) << e.what();
    }
    EXPECT_THROW(EntriesFromProjectFile(dir.filePath("missing.bvp")), Error);
}

TEST_F(PictureList, ASelectionIsAppendedInTheOrderChosen)
{
    touch("b.gif");
    touch("a.png");
    std::vector<PictureEntry> entries(1);
    entries[0].Name = "kept";
    entries[0].Brightness = 85;
    AppendSelection(entries, selection({"b.gif", "a.png", "b.gif"}));
    EXPECT_EQ(names(entries), (QStringList{"kept", "b", "a", "b"}));
    EXPECT_EQ(entries[0].Brightness, 85);
    EXPECT_EQ(entries[2].Location, dir.filePath("a.png"));
    EXPECT_EQ(entries[2].Brightness, 0);
    EXPECT_EQ(entries[2].Contrast, 0);

    AppendSelection(entries, dir.filePath("a.png")); // one file: its full path
    EXPECT_EQ(entries.back().Location, dir.filePath("a.png"));
}

TEST_F(PictureList, TheFirstRefusedFileEndsTheSelectionAndKeepsTheOnesBefore)
{
    touch("a.bmp");
    touch("c.bmp");
    touch("notes");
    struct Case {
        const char *refused, *reason;
    } cases[] = {{"missing.png", "does not exist"}, {"notes", "extension"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.refused);
        std::vector<PictureEntry> entries;
        try {
            AppendSelection(entries, selection({"a.bmp", c.refused, "c.bmp"}));
            ADD_FAILURE() << "the selection was taken whole";
        } catch (const Error &e) {
            EXPECT_EQ(e.file(), dir.filePath(c.refused));
            EXPECT_TRUE(e.reason().contains(c.reason)) << e.what();
        }
        EXPECT_EQ(names(entries), QStringList{"a"});
    }
}

} // namespace
