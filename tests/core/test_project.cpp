// Picture lists from a project file: locations relative to the project's folder.
#include "testsupport.h"

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

    static QStringList names(const std::vector<PictureEntry> &entries)
    {
        QStringList list;
        for (const PictureEntry &e : entries)
            list << e.Name;
        return list;
    }
};

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

} // namespace

// Where each picture is stored from a project file at /home/ann/game/p.bvp:
// relative with forward slashes when asked and there is a common folder;
// otherwise as given, unless a relative one would lose its picture.
TEST(StoredLocations, RelativeToTheProjectsFolderOrAsGiven)
{
    const QString project = "/home/ann/game/p.bvp";
    const struct {
        const char *location;        // as opened
        const char *projectLocation; // as the project file gave it ("" for chosen)
        bool relative;
        const char *stored;
    } cases[] = {
        {"/home/ann/game/ship.png", "", true, "ship.png"},
        {"/home/ann/game/art/ship.png", "", true, "art/ship.png"},
        {"/home/ann/art/ship.png", "", true, "../art/ship.png"},
        {"/home/ann/game/./art/../ship.png", "", true, "ship.png"},
        {"/tmp/ship.png", "", true, "/tmp/ship.png"}, // only the root in common
        {"/home/ann/game/art/ship.png", "art/ship.png", true, "art/ship.png"},
        {"/home/ann/game/ship.png", "", false, "/home/ann/game/ship.png"},
        {"/home/ann/game/art/ship.png", "art/ship.png", false, "art/ship.png"},
        {"/home/ann/game/art/ship.png", "./art/ship.png", false, "./art/ship.png"},
        // Read from /home/ann/old/q.bvp: "art/ship.png" would not find it here.
        {"/home/ann/old/art/ship.png", "art/ship.png", false, "/home/ann/old/art/ship.png"},
        {"/srv/ship.png", "/srv/ship.png", false, "/srv/ship.png"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.location);
        PictureEntry entry;
        entry.Location = QString::fromUtf8(c.location);
        entry.ProjectLocation = QString::fromUtf8(c.projectLocation);
        EXPECT_EQ(StoredLocation(entry, project, c.relative), QString::fromUtf8(c.stored));
    }
    // From the root folder every picture shares it.
    PictureEntry entry;
    entry.Location = "/tmp/ship.png";
    EXPECT_EQ(StoredLocation(entry, "/p.bvp", true), "tmp/ship.png");
}
