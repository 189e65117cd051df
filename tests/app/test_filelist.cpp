// The file list page: adding, removing and renaming pictures.
#include "windowfixture.h"

#include <QApplication>
#include <QTest>

namespace bitvane::testing {
namespace {

using FileListTest = WindowTest;

QString sel(const QStringList &parts)
{
    return parts.join(QChar(0));
}

TEST_F(FileListTest, AddAppendsOneRowPerChosenFile)
{
    for (const char *name : {"hero.bmp", "a.bmp", "b.gif", "c.jpg", "d.png", "ship.big.bmp"})
        writeFile(QLatin1String(name), "picture");
    const QString folder = dir.path();
    struct Case {
        const char *what;
        QString selection;
        QStringList names, locations;
    } cases[] = {
        {"one file", path("hero.bmp"), {"hero"}, {path("hero.bmp")}},
        {"several files",
         sel({folder, "a.bmp", "b.gif", "c.jpg", "d.png"}),
         {"a", "b", "c", "d"},
         {path("a.bmp"), path("b.gif"), path("c.jpg"), path("d.png")}},
        {"several dots", path("ship.big.bmp"), {"ship.big"}, {path("ship.big.bmp")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        // The list the case before left is discarded.
        if (rows() > 0)
            seam.discardAnswers.push_back(true);
        newProject();
        add(c.selection);
        EXPECT_EQ(column(0), c.names);
        EXPECT_EQ(column(1), c.locations);
        for (const PictureEntry &entry : w->entries()) {
            EXPECT_EQ(entry.Brightness, 0);
            EXPECT_EQ(entry.Contrast, 0);
        }
        EXPECT_TRUE(ui().cmdRemove->isEnabled());
        EXPECT_TRUE(ui().cmdNext->isEnabled());
        EXPECT_TRUE(seam.messages.empty());
        back();
    }
}

TEST_F(FileListTest, AddOffersPicturesOfEveryReadFormatAndAllFiles)
{
    newProject();
    add(writeFile(QStringLiteral("a.bmp"), "picture"));
    ASSERT_EQ(seam.opens.size(), 1u);
    EXPECT_TRUE(seam.opens[0].fileName.isEmpty());
    EXPECT_TRUE(seam.opens[0].multiSelect);
    EXPECT_EQ(toQtFilter(seam.opens[0].filter),
              QStringLiteral("Picture Files (*.bmp *.jpg *.jpeg *.gif *.png);;All Files (*)"));
}

TEST_F(FileListTest, AddingAListedFileAgainGivesASecondRow)
{
    const QString hero = writeFile(QStringLiteral("hero.bmp"), "picture");
    newProject();
    add(hero);
    add(hero);
    EXPECT_EQ(column(1), (QStringList{hero, hero}));
}

TEST_F(FileListTest, ALongSelectionIsAddedWhole)
{
    // Far beyond the 2000 characters an old dialog buffer held.
    QStringList parts{dir.path()};
    for (int i = 0; i < 300; ++i) {
        parts << QStringLiteral("picture-number-%1.bmp").arg(i, 3, 10, QChar(u'0'));
        writeFile(parts.back(), "picture");
    }
    newProject();
    add(sel(parts));
    ASSERT_EQ(rows(), 300);
    EXPECT_EQ(cell(299, 0), QStringLiteral("picture-number-299"));
    EXPECT_TRUE(seam.messages.empty());
}

TEST_F(FileListTest, CancellingAddChangesNothing)
{
    newProject();
    seam.openAnswers.push_back(std::nullopt);
    ui().cmdAddFile->click();
    EXPECT_EQ(rows(), 0);
    EXPECT_FALSE(ui().cmdRemove->isEnabled());
    EXPECT_FALSE(ui().cmdNext->isEnabled());

    add(writeFile(QStringLiteral("a.bmp"), "picture"));
    seam.openAnswers.push_back(std::nullopt);
    ui().cmdAddFile->click();
    EXPECT_EQ(rows(), 1);
    EXPECT_TRUE(ui().cmdRemove->isEnabled());
    EXPECT_TRUE(ui().cmdNext->isEnabled());
    EXPECT_TRUE(seam.messages.empty());
}

// A name the user typed that does not exist, or one without an extension,
// ends the Add there with a warning naming it; the files before it stay.
TEST_F(FileListTest, ARefusedFileStopsAddWithAMessageNamingIt)
{
    for (const char *name : {"a.bmp", "c.bmp", "readme"})
        writeFile(QLatin1String(name), "picture");
    struct Case {
        const char *what, *refused, *reason;
    } cases[] = {{"no extension", "readme", "extension"},
                 {"no such file", "typed.png", "does not exist"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        seam.messages.clear();
        if (rows() > 0)
            seam.discardAnswers.push_back(true);
        newProject();
        add(sel({dir.path(), "a.bmp", c.refused, "c.bmp"}));
        EXPECT_EQ(column(0), QStringList{"a"});
        EXPECT_TRUE(ui().cmdRemove->isEnabled());
        EXPECT_TRUE(ui().cmdNext->isEnabled());
        ASSERT_EQ(seam.messages.size(), 1u);
        EXPECT_EQ(seam.messages[0].title, QStringLiteral("Bitvane"));
        EXPECT_EQ(seam.messages[0].icon, QMessageBox::Warning);
        EXPECT_TRUE(seam.messages[0].text.startsWith(path(QLatin1String(c.refused)) +
                                                     QStringLiteral(" was not added: ")))
            << seam.messages[0].text.toStdString();
        EXPECT_TRUE(seam.messages[0].text.contains(QLatin1String(c.reason)));

        // The first chosen file failing leaves an empty list's buttons off.
        back();
        seam.discardAnswers.push_back(true);
        newProject();
        add(path(QLatin1String(c.refused)));
        EXPECT_EQ(rows(), 0);
        EXPECT_FALSE(ui().cmdRemove->isEnabled());
        EXPECT_FALSE(ui().cmdNext->isEnabled());
        EXPECT_EQ(seam.messages.size(), 2u);
        back();
    }
}

class RemoveTest : public WindowTest {
protected:
    void SetUp() override
    {
        // Distinct settings, to see that they go with their rows.
        QByteArray project;
        for (int i = 1; i <= 4; ++i) {
            const QString picture = writeFile(QStringLiteral("r%1.bmp").arg(i), "picture");
            project += QStringLiteral("\"%1\",%2,%3\r\n").arg(picture).arg(i * 10).arg(-i).toUtf8();
        }
        openProject(writeFile(QStringLiteral("r.bvp"), project));
    }

    void select(std::initializer_list<int> indices) { selectRows(indices); }

    std::vector<std::pair<int, int>> settings() const
    {
        std::vector<std::pair<int, int>> s;
        for (const PictureEntry &entry : w->entries())
            s.emplace_back(entry.Brightness, entry.Contrast);
        return s;
    }
};

TEST_F(RemoveTest, RemovesExactlyTheSelectedRowsWithTheirSettings)
{
    select({1, 2});
    ui().cmdRemove->click();
    EXPECT_EQ(column(0), (QStringList{"r1", "r4"}));
    EXPECT_EQ(settings(), (std::vector<std::pair<int, int>>{{10, -1}, {40, -4}}));
    EXPECT_TRUE(ui().cmdRemove->isEnabled());
    EXPECT_TRUE(ui().cmdNext->isEnabled());
}

TEST_F(RemoveTest, RemovesOnlyTheOneSelectedRow)
{
    select({1});
    ui().cmdRemove->click();
    EXPECT_EQ(column(0), (QStringList{"r1", "r3", "r4"}));
    EXPECT_EQ(settings(), (std::vector<std::pair<int, int>>{{10, -1}, {30, -3}, {40, -4}}));
}

TEST_F(RemoveTest, NothingSelectedRemovesNothing)
{
    select({});
    ui().cmdRemove->click();
    EXPECT_EQ(rows(), 4);
    EXPECT_TRUE(ui().cmdRemove->isEnabled());
    EXPECT_TRUE(ui().cmdNext->isEnabled());
}

TEST_F(RemoveTest, RemovingEveryRowDisablesRemoveAndNext)
{
    select({0, 1, 2, 3});
    ui().cmdRemove->click();
    EXPECT_EQ(rows(), 0);
    EXPECT_FALSE(ui().cmdRemove->isEnabled());
    EXPECT_FALSE(ui().cmdNext->isEnabled());
}

TEST_F(RemoveTest, RemovingFromAnOpenedProjectKeepsEntriesMatched)
{
    back();
    openProject(
        writeFile(QStringLiteral("p.bvp"),
                  "\"/a/one.bmp\",85,10\r\n\"/a/two.bmp\",170,20\r\n\"/a/three.bmp\",255,30\r\n"));
    ASSERT_EQ(rows(), 3);
    select({1});
    ui().cmdRemove->click();
    ASSERT_EQ(w->entries().size(), 2u);
    EXPECT_EQ(w->entries()[1].Name, QStringLiteral("three"));
    EXPECT_EQ(w->entries()[1].Brightness, 255);
    EXPECT_EQ(settings(), (std::vector<std::pair<int, int>>{{85, 10}, {255, 30}}));
}

class EditInPlace : public WindowTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(showWindow());
        for (const char *name : {"a.bmp", "b.bmp"})
            writeFile(QLatin1String(name), "picture");
        newProject();
        add(sel({dir.path(), "a.bmp", "b.bmp"}));
    }

    // The editor open on the cell, or nullptr when the cell offers none.
    QLineEdit *editorOn(int column, QAbstractItemView::EditTrigger trigger, int row = 0)
    {
        QTreeView *list = ui().lvwFiles;
        // An editor left open by an earlier call would be found again.
        if (auto *open = list->viewport()->findChild<QLineEdit *>()) {
            QTest::keyClick(open, Qt::Key_Escape);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        const QModelIndex cellIndex = list->model()->index(row, column);
        list->setCurrentIndex(cellIndex);
        QCoreApplication::processEvents();
        if (trigger == QAbstractItemView::EditKeyPressed)
            QTest::keyClick(list, Qt::Key_F2);
        else {
            // As a user's: a click, then the second click of the pair.
            const QPoint at = list->visualRect(cellIndex).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        }
        QCoreApplication::processEvents();
        return list->viewport()->findChild<QLineEdit *>();
    }
};

TEST_F(EditInPlace, NamesAreEditedAsTyped)
{
    const QString typed[] = {QStringLiteral("hero"), QStringLiteral("  two words "), QString(),
                             QStringLiteral("b")};
    for (const QString &name : typed) {
        SCOPED_TRACE(name.toStdString());
        QLineEdit *editor = editorOn(0, QAbstractItemView::EditKeyPressed);
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClicks(editor, name);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_EQ(cell(0, 0), name);
        EXPECT_EQ(w->entries()[0].Name, name);
        EXPECT_EQ(cell(0, 1), path(QStringLiteral("a.bmp")));
    }
    EXPECT_EQ(rows(), 2);
}

// A changed path would put another picture under the old name.
TEST_F(EditInPlace, TheLocationOffersNoEditor)
{
    EXPECT_EQ(editorOn(1, QAbstractItemView::EditKeyPressed, 0), nullptr) << "F2";
    EXPECT_EQ(editorOn(1, QAbstractItemView::DoubleClicked, 1), nullptr) << "double click";
    EXPECT_EQ(cell(0, 1), path(QStringLiteral("a.bmp")));
    EXPECT_FALSE(ui().lvwFiles->model()->setData(ui().lvwFiles->model()->index(0, 1),
                                                 QStringLiteral("/elsewhere/x.bmp")));
    EXPECT_EQ(w->entries()[0].Location, path(QStringLiteral("a.bmp")));
}

} // namespace
} // namespace bitvane::testing
