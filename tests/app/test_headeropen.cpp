// Page 0 with a header chosen as the existing project: extracted into a folder and opened.
#include "windowfixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
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
    EXPECT_EQ(w->entries()[1].Sprite.Image.pixel(6, 0), ShadeBlack);
    EXPECT_EQ(w->entries()[1].Sprite.Image.pixel(7, 0), ShadeLight);
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

// A header read back is opened with its own settings: page 4 and the number
// format start as the header was written, so Finish writes it again.
TEST_F(HeaderOpenTest, TheHeadersStyleMasksAndNotationPresetTheCompile)
{
    const QString header =
        writeFile(QStringLiteral("modern.h"),
                  "static const uint8_t grey[2] BITVANE_DATA = {\n    0b10000001,\n    0b0\n};\n"
                  "static const uint8_t grey_mask[1] BITVANE_DATA = {\n    0b11111111\n};\n");
    seam.folderAnswers.push_back(path(QStringLiteral("art")));
    chooseHeader(header);
    ASSERT_EQ(w->Tab(), frmMain::PageEditFiles) << seam.messages.back().text.toStdString();
    next();
    ASSERT_EQ(w->Tab(), frmMain::PageEditPictures);
    next();
    EXPECT_TRUE(ui().optModern->isChecked());
    EXPECT_TRUE(ui().chkMasks->isChecked());
    EXPECT_FALSE(ui().chkShared->isChecked());
    seam.formatAnswers = {false};
    seam.saveAnswers = {path(QStringLiteral("art/modern.bvp")), path(QStringLiteral("again.h"))};
    next();
    EXPECT_EQ(seam.formatShown, std::vector<bool>{false});
    const QByteArray again = readAll(path(QStringLiteral("again.h")));
    // One row: the low plane's ends set, the high plane clear, light grey.
    EXPECT_TRUE(again.contains("static const uint8_t grey[2] BITVANE_DATA = {\r\n"
                               "    0b10000001, /* -......- */\r\n"
                               "    0b00000000\r\n"
                               "};\r\n"))
        << again.toStdString();
    EXPECT_TRUE(again.contains("static const uint8_t grey_mask[1] BITVANE_DATA = {\r\n"
                               "    0b11111111\r\n"))
        << again.toStdString();
}
