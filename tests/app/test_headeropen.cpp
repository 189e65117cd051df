// Page 0 with a header chosen as the existing project: extracted into a folder and opened.
#include "windowfixture.h"

#include <QDir>
#include <QFileInfo>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

const QByteArray Sprites = Preamble + "static unsigned char grey[2] = {0x81, 0x0};\r\n\r\n"
                                      "static unsigned char grey[2] = {0x3, 0x2};\r\n\r\n";

class HeaderOpenTest : public WindowTest {
protected:
    void chooseHeader(const QString &headerPath)
    {
        ui().optExistingProject->click();
        ui().txtProjectFile->setText(headerPath);
        next();
    }
};

} // namespace

TEST_F(HeaderOpenTest, HeaderIsExtractedIntoTheChosenFolderAndOpened)
{
    const QString header = writeFile(QStringLiteral("sprites.h"), Sprites + "int score;\r\n");
    seam.folderAnswers.push_back(path(QStringLiteral("art")));
    chooseHeader(header);

    ASSERT_EQ(w->Tab(), frmMain::PageEditFiles);
    EXPECT_EQ(seam.folderTitles,
              std::vector<QString>{QStringLiteral("Folder for the pictures of sprites.h")});
    EXPECT_EQ(ui().txtProjectFile->text(), path(QStringLiteral("art/sprites.bvp")));
    EXPECT_EQ(column(0), (QStringList{QStringLiteral("grey"), QStringLiteral("grey")}));
    EXPECT_EQ(QDir(path(QStringLiteral("art"))).entryList(QDir::Files),
              (QStringList{QStringLiteral("grey.png"), QStringLiteral("grey_2.png"),
                           QStringLiteral("sprites.bvp")}));
    // The passed-over code is told, as bitvane-compile tells it.
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(seam.messages[0].text.endsWith(
        header + QStringLiteral(":8: warning: skipped, not a sprite array: int score;")))
        << seam.messages[0].text.toStdString();

    // The pictures load as any project's do.
    next();
    EXPECT_EQ(w->Tab(), frmMain::PageEditPictures);
    EXPECT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(w->entries()[1].Image.pixel(6, 0), ShadeBlack);
    EXPECT_EQ(w->entries()[1].Image.pixel(7, 0), ShadeLight);
}

// Beyond the warnings kept, the box counts all the rest; a name whose file
// name is cut inside a character pair opens like any other.
TEST_F(HeaderOpenTest, ManyWarningsAreCountedAndLongNamesOpen)
{
    const QString face = QStringLiteral("\U0001F600");
    const QString header = writeFile(
        QStringLiteral("many.h"),
        Preamble +
            QByteArray("int x;\r\nstatic unsigned char a[2] = {0x1, 0x0};\r\n").repeated(150) +
            "static unsigned char z" + face.repeated(50).toUtf8() + "[2] = {0x2, 0x0};\r\n");
    seam.folderAnswers.push_back(path(QStringLiteral("art")));
    chooseHeader(header);

    ASSERT_EQ(w->Tab(), frmMain::PageEditFiles);
    EXPECT_EQ(column(0).size(), 151);
    EXPECT_EQ(column(0).last(), QStringLiteral("z") + face.repeated(50));
    EXPECT_TRUE(QFileInfo::exists(
        path(QStringLiteral("art/z") + face.repeated(49) + QStringLiteral(".png"))));
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_TRUE(seam.messages[0].text.endsWith(QStringLiteral("\n... and 138 more")))
        << seam.messages[0].text.toStdString();
}

// A faulty header is told with its line before any folder is asked for; a
// cancelled folder or a file already there changes nothing; page 0 stays.
TEST_F(HeaderOpenTest, FaultsCancelAndExistingFilesLeaveEverythingAsItWas)
{
    const QString bad = writeFile(QStringLiteral("bad.h"),
                                  Preamble + "static unsigned char wide[2] = {0x1ff, 0x0};\r\n");
    chooseHeader(bad);
    EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
    EXPECT_TRUE(seam.folderTitles.empty());
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(seam.messages[0].text.startsWith(
        bad + QStringLiteral(":4: array wide: 0x1ff does not fit unsigned char (8 bits)")))
        << seam.messages[0].text.toStdString();

    const QString header = writeFile(QStringLiteral("sprites.h"), Sprites);
    seam.folderAnswers.push_back(std::nullopt);
    chooseHeader(header);
    EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
    EXPECT_EQ(seam.messages.size(), 1u);

    QDir().mkpath(path(QStringLiteral("art")));
    writeFile(QStringLiteral("art/grey_2.png"), "mine");
    seam.folderAnswers.push_back(path(QStringLiteral("art")));
    chooseHeader(header);
    EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_EQ(seam.messages[1].text, path(QStringLiteral("art/grey_2.png")) +
                                         QStringLiteral(": exists already and is not overwritten"));
    EXPECT_EQ(QDir(path(QStringLiteral("art"))).entryList(QDir::Files | QDir::Hidden),
              QStringList(QStringLiteral("grey_2.png")));
    EXPECT_EQ(ui().txtProjectFile->text(), header);
    EXPECT_EQ(rows(), 0);
}
