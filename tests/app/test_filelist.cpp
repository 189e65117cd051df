#include "windowfixture.h"

#include <QApplication>
#include <QTest>

namespace bitvane::testing {
namespace {

using FileListTest = WindowTest;

QString sel(std::initializer_list<const char *> parts)
{
    QStringList list;
    for (const char *p : parts)
        list << QString::fromUtf8(p);
    return list.join(QChar(0));
}

QStringList column(const QTreeWidget *list, int c)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(c);
    return texts;
}

TEST_F(FileListTest, AddAppendsOneRowPerChosenFile)
{
    struct Case {
        const char *what;
        QString selection;
        QStringList names, locations;
    } cases[] = {
        {"one file", QStringLiteral("/pics/hero.bmp"), {"hero"}, {"/pics/hero.bmp"}},
        {"several files",
         sel({"/pics", "a.bmp", "b.gif", "c.jpg"}),
         {"a", "b", "c"},
         {"/pics/a.bmp", "/pics/b.gif", "/pics/c.jpg"}},
        {"root folder", sel({"/", "a.bmp", "b.bmp"}), {"a", "b"}, {"/a.bmp", "/b.bmp"}},
        {"drive root", sel({"C:\\", "a.bmp", "b.bmp"}), {"a", "b"}, {"C:\\a.bmp", "C:\\b.bmp"}},
        {"several dots", QStringLiteral("/art/ship.big.bmp"), {"ship.big"}, {"/art/ship.big.bmp"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        newProject();
        add(c.selection);
        EXPECT_EQ(column(w->lvwFiles, 0), c.names);
        EXPECT_EQ(column(w->lvwFiles, 1), c.locations);
        for (int i = 0; i < rows(); ++i) {
            EXPECT_EQ(row(i)->data(0, frmMain::RoleBrightness).toInt(), 0);
            EXPECT_EQ(row(i)->data(0, frmMain::RoleContrast).toInt(), 0);
            EXPECT_TRUE(row(i)->flags() & Qt::ItemIsEditable);
        }
        EXPECT_TRUE(w->cmdRemove->isEnabled());
        EXPECT_TRUE(w->cmdNext->isEnabled());
        EXPECT_TRUE(seam.messages.empty());
        back();
    }
}

TEST_F(FileListTest, AddAsksForSeveralPicturesWithAnEmptyName)
{
    newProject();
    add(QStringLiteral("/pics/a.bmp"));
    ASSERT_EQ(seam.opens.size(), 1u);
    EXPECT_TRUE(seam.opens[0].fileName.isEmpty());
    EXPECT_EQ(
        seam.opens[0].filter,
        QStringLiteral("Picture Files (*.bmp, *.gif, *.jpg, *.jpeg)|*.bmp;*.jpg;*.jpeg;*.gif"));
    EXPECT_TRUE(seam.opens[0].multiSelect);
}

TEST_F(FileListTest, AddingAListedFileAgainGivesASecondRow)
{
    newProject();
    add(QStringLiteral("/pics/hero.bmp"));
    add(QStringLiteral("/pics/hero.bmp"));
    EXPECT_EQ(column(w->lvwFiles, 1), (QStringList{"/pics/hero.bmp", "/pics/hero.bmp"}));
}

TEST_F(FileListTest, ALongSelectionIsAddedWhole)
{
    // Far beyond the 2000 characters an old dialog buffer held.
    QStringList parts{QStringLiteral("/a/folder/with/a/fairly/long/name")};
    for (int i = 0; i < 300; ++i)
        parts << QStringLiteral("picture-number-%1.bmp").arg(i, 3, 10, QChar(u'0'));
    newProject();
    add(parts.join(QChar(0)));
    ASSERT_EQ(rows(), 300);
    EXPECT_EQ(row(299)->text(0), QStringLiteral("picture-number-299"));
    EXPECT_TRUE(seam.messages.empty());
}

TEST_F(FileListTest, CancellingAddChangesNothing)
{
    newProject();
    seam.openAnswers.push_back(std::nullopt);
    w->cmdAddFile->click();
    EXPECT_EQ(rows(), 0);
    EXPECT_FALSE(w->cmdRemove->isEnabled());
    EXPECT_FALSE(w->cmdNext->isEnabled());

    add(QStringLiteral("/pics/a.bmp"));
    seam.openAnswers.push_back(std::nullopt);
    w->cmdAddFile->click();
    EXPECT_EQ(rows(), 1);
    EXPECT_TRUE(w->cmdRemove->isEnabled());
    EXPECT_TRUE(w->cmdNext->isEnabled());
    EXPECT_TRUE(seam.messages.empty());
}

TEST_F(FileListTest, AFileWithoutAnExtensionStopsAddWithAMessage)
{
    newProject();
    add(sel({"/pics", "a.bmp", "readme", "c.bmp"}));
    EXPECT_EQ(column(w->lvwFiles, 0), QStringList{"a"});
    EXPECT_TRUE(w->cmdRemove->isEnabled());
    EXPECT_TRUE(w->cmdNext->isEnabled());
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].title, QStringLiteral("Bitvane"));
    EXPECT_TRUE(seam.messages[0].text.startsWith(QStringLiteral("/pics/readme was not added: ")))
        << seam.messages[0].text.toStdString();
    EXPECT_TRUE(seam.messages[0].text.contains(QStringLiteral("extension")));

    // The first chosen file failing leaves an empty list's buttons off.
    back();
    newProject();
    add(QStringLiteral("/pics/readme"));
    EXPECT_EQ(rows(), 0);
    EXPECT_FALSE(w->cmdRemove->isEnabled());
    EXPECT_FALSE(w->cmdNext->isEnabled());
    EXPECT_EQ(seam.messages.size(), 2u);
}

class RemoveTest : public WindowTest {
protected:
    void SetUp() override
    {
        newProject();
        add(sel({"/pics", "r1.bmp", "r2.bmp", "r3.bmp", "r4.bmp"}));
        // Distinct settings, to see that they go with their rows.
        for (int i = 0; i < 4; ++i) {
            row(i)->setData(0, frmMain::RoleBrightness, (i + 1) * 10);
            row(i)->setData(0, frmMain::RoleContrast, -(i + 1));
        }
    }

    void select(std::initializer_list<int> indices)
    {
        w->lvwFiles->clearSelection();
        for (int i : indices)
            row(i)->setSelected(true);
    }

    std::vector<std::pair<int, int>> settings() const
    {
        std::vector<std::pair<int, int>> s;
        for (int i = 0; i < rows(); ++i)
            s.emplace_back(row(i)->data(0, frmMain::RoleBrightness).toInt(),
                           row(i)->data(0, frmMain::RoleContrast).toInt());
        return s;
    }
};

TEST_F(RemoveTest, RemovesExactlyTheSelectedRowsWithTheirSettings)
{
    select({1, 2});
    w->cmdRemove->click();
    EXPECT_EQ(column(w->lvwFiles, 0), (QStringList{"r1", "r4"}));
    EXPECT_EQ(settings(), (std::vector<std::pair<int, int>>{{10, -1}, {40, -4}}));
    EXPECT_TRUE(w->cmdRemove->isEnabled());
    EXPECT_TRUE(w->cmdNext->isEnabled());
}

TEST_F(RemoveTest, RemovesOnlyTheOneSelectedRow)
{
    select({1});
    w->cmdRemove->click();
    EXPECT_EQ(column(w->lvwFiles, 0), (QStringList{"r1", "r3", "r4"}));
    EXPECT_EQ(settings(), (std::vector<std::pair<int, int>>{{10, -1}, {30, -3}, {40, -4}}));
}

TEST_F(RemoveTest, NothingSelectedRemovesNothing)
{
    select({});
    w->cmdRemove->click();
    EXPECT_EQ(rows(), 4);
    EXPECT_TRUE(w->cmdRemove->isEnabled());
    EXPECT_TRUE(w->cmdNext->isEnabled());
}

TEST_F(RemoveTest, RemovingEveryRowDisablesRemoveAndNext)
{
    select({0, 1, 2, 3});
    w->cmdRemove->click();
    EXPECT_EQ(rows(), 0);
    EXPECT_FALSE(w->cmdRemove->isEnabled());
    EXPECT_FALSE(w->cmdNext->isEnabled());
}

TEST_F(RemoveTest, RemovingFromAnOpenedProjectKeepsEntriesMatched)
{
    back();
    openProject(
        writeFile(QStringLiteral("p.bvp"),
                  "\"/a/one.bmp\",85,10\r\n\"/a/two.bmp\",170,20\r\n\"/a/three.bmp\",255,30\r\n"));
    ASSERT_EQ(rows(), 3);
    select({1});
    w->cmdRemove->click();
    ASSERT_EQ(w->Entries.size(), 2u);
    EXPECT_EQ(w->Entries[1].Name, QStringLiteral("three"));
    EXPECT_EQ(w->Entries[1].Brightness, 255);
    EXPECT_EQ(settings(), (std::vector<std::pair<int, int>>{{85, 10}, {255, 30}}));
}

TEST_F(FileListTest, NamesAreEditedInPlaceAsTyped)
{
    ASSERT_NO_FATAL_FAILURE(showWindow());
    newProject();
    add(sel({"/pics", "a.bmp", "b.bmp"}));
    const QString typed[] = {QStringLiteral("hero"), QStringLiteral("  two words "), QString(),
                             QStringLiteral("b")};
    for (const QString &name : typed) {
        SCOPED_TRACE(name.toStdString());
        w->lvwFiles->setCurrentItem(row(0));
        w->lvwFiles->editItem(row(0), 0);
        QCoreApplication::processEvents();
        auto *editor = w->lvwFiles->viewport()->findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClicks(editor, name);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_EQ(row(0)->text(0), name);
        EXPECT_EQ(row(0)->text(1), QStringLiteral("/pics/a.bmp"));
    }
    EXPECT_EQ(rows(), 2);
}

} // namespace
} // namespace bitvane::testing
