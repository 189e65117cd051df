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
