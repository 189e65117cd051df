// Drag and drop on the real window: pictures onto the file list, rows within it, a project onto
// page 0.
#include "picturepages.h"

#include "app/filelistmodel.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace bitvane::testing {
namespace {

class DragDrop : public PicturePages {
protected:
    // A drag entering target, moving to pos and dropped there, as a file
    // manager's would arrive; true when the drop was accepted.
    static bool drop(QWidget *target, QMimeData *data, QPoint pos,
                     Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
    {
        const std::unique_ptr<QMimeData> owned(data);
        QDragEnterEvent enter(pos, actions, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(pos, actions, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QDropEvent dropped(QPointF(pos), actions, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        return dropped.isAccepted();
    }

    QMimeData *files(const QStringList &paths) const
    {
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        auto *data = new QMimeData;
        data->setUrls(urls);
        return data;
    }

    FileListModel *model() const { return static_cast<FileListModel *>(ui().lvwFiles->model()); }
};

TEST_F(DragDrop, DroppedPicturesAreAddedAndTheRestNamedInOneMessage)
{
    writePicture("a.bmp");
    writePicture("b.png");
    writePicture("C.BMP");
    writeFile("notes.txt", "words");
    QDir(dir.path()).mkdir("shots.png");
    newProjectWith({"a.bmp"});
    ASSERT_TRUE(drop(ui().lvwFiles->viewport(),
                     files({path("b.png"), path("notes.txt"), path("C.BMP"), path("shots.png"),
                            path("gone.gif")}),
                     QPoint(20, 40)));
    EXPECT_EQ(column(0), (QStringList{"a", "b", "C"}));
    EXPECT_EQ(column(1), (QStringList{path("a.bmp"), path("b.png"), path("C.BMP")}));
    ASSERT_EQ(seam.messages.size(), 1u);
    const QString text = seam.messages[0].text;
    EXPECT_EQ(seam.messages[0].icon, QMessageBox::Warning);
    for (const char *name : {"notes.txt", "shots.png", "gone.gif"})
        EXPECT_TRUE(text.contains(QLatin1String(name))) << name;
    EXPECT_FALSE(text.contains("b.png"));
    EXPECT_TRUE(ui().cmdRemove->isEnabled());
}

// Rows dragged within the list take their names and settings with them, and
// the compile writes them in the new order.
TEST_F(DragDrop, DraggedRowsMoveWithTheirNamesAndSettings)
{
    QByteArray project;
    const char *names[] = {"a.bmp", "b.bmp", "c.bmp", "d.bmp"};
    for (int i = 0; i < 4; ++i) {
        writePicture(names[i]);
        project += "\"" + path(names[i]).toUtf8() + "\"," + QByteArray::number(85 * (i % 3)) + "," +
                   QByteArray::number(10 * i) + "\r\n";
    }
    openProject(writeFile("p.bvp", project));
    ASSERT_EQ(rows(), 4);
    rename(2, "cee");

    // a and c dragged onto the upper edge of d.
    QTreeView *list = ui().lvwFiles;
    QMimeData *rowsData = model()->mimeData({model()->index(0, 0), model()->index(2, 0)});
    const QRect dRow = list->visualRect(model()->index(3, 0));
    ASSERT_TRUE(drop(list->viewport(), rowsData, dRow.topLeft() + QPoint(10, 1), Qt::MoveAction));
    EXPECT_EQ(column(0), (QStringList{"b", "a", "cee", "d"}));
    std::vector<int> contrast;
    for (const PictureEntry &e : w->entries())
        contrast.push_back(e.Contrast);
    EXPECT_EQ(contrast, (std::vector<int>{10, 0, 20, 30}));
    EXPECT_EQ(w->entries()[2].Brightness, 170);

    // b dropped below the last row goes to the end.
    rowsData = model()->mimeData({model()->index(0, 0)});
    ASSERT_TRUE(drop(list->viewport(), rowsData, QPoint(10, list->viewport()->height() - 5),
                     Qt::MoveAction));
    EXPECT_EQ(column(0), (QStringList{"a", "cee", "d", "b"}));

    loadPictures();
    finish(true, "q.bvp", "q.h");
    const QByteArray header = readAll(path("q.h"));
    EXPECT_LT(header.indexOf(" a["), header.indexOf(" cee["));
    EXPECT_LT(header.indexOf(" d["), header.indexOf(" b["));
    EXPECT_TRUE(readAll(path("q.bvp")).endsWith("b.bmp\",85,10\r\n"));
}

// Rows dragged from another window's list, in this program or another,
// carry row numbers of that list: they never reorder this one.
TEST_F(DragDrop, RowsFromAnotherWindowsListAreRefused)
{
    for (const char *name : {"a.bmp", "b.bmp", "c.bmp"})
        writePicture(name);
    newProjectWith({"a.bmp", "b.bmp", "c.bmp"});
    std::vector<PictureEntry> otherEntries(3);
    FileListModel otherList(otherEntries);
    auto *otherProgram = new QMimeData;
    otherProgram->setData(model()->mimeTypes().front(), "1:5a5a 0 2");
    QMimeData *const foreign[] = {
        otherList.mimeData({otherList.index(0, 0), otherList.index(2, 0)}), otherProgram};
    QTreeView *list = ui().lvwFiles;
    const QPoint below(10, list->viewport()->height() - 5);
    for (QMimeData *data : foreign) {
        EXPECT_FALSE(drop(list->viewport(), data, below, Qt::MoveAction));
        EXPECT_EQ(column(0), (QStringList{"a", "b", "c"}));
    }
    // The list's own rows still move.
    ASSERT_TRUE(
        drop(list->viewport(), model()->mimeData({model()->index(0, 0)}), below, Qt::MoveAction));
    EXPECT_EQ(column(0), (QStringList{"b", "c", "a"}));
}

// Rows from both ends of the list moved into its middle keep their order.
TEST_F(DragDrop, MovingRowsKeepsTheirOrderFromAboveAndBelow)
{
    for (const char *name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"})
        writePicture(name);
    newProjectWith({"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"});
    model()->moveRowsTo({4, 0}, 2);
    EXPECT_EQ(column(0), (QStringList{"b", "a", "e", "c", "d"}));
    model()->moveRowsTo({1, 2}, 2); // onto themselves: nothing moves
    EXPECT_EQ(column(0), (QStringList{"b", "a", "e", "c", "d"}));
    model()->moveRowsTo({0, 9, -1}, 5);
    EXPECT_EQ(column(0), (QStringList{"a", "e", "c", "d", "b"}));
}

// A dropped folder adds the pictures directly in it, sorted by name (letter
// case aside), beside the pictures dropped with it; a folder without any is
// named in the message.
TEST_F(DragDrop, ADroppedFolderAddsItsOwnPicturesSortedByName)
{
    QDir(dir.path()).mkpath("art/deeper");
    QDir(dir.path()).mkdir("empty");
    for (const char *name : {"art/b.png", "art/A.bmp", "art/c.gif", "art/deeper/d.bmp", "e.bmp"})
        writePicture(name);
    writeFile("art/notes.txt", "words");
    newProject();
    ASSERT_TRUE(drop(ui().lvwFiles->viewport(), files({path("e.bmp"), path("art"), path("empty")}),
                     QPoint(20, 40)));
    EXPECT_EQ(column(0), (QStringList{"e", "A", "b", "c"}));
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_TRUE(seam.messages[0].text.contains(QDir::toNativeSeparators(path("empty"))));
    EXPECT_FALSE(seam.messages[0].text.contains("notes.txt"));
}

// Pictures (or a folder of them) dropped on page 0 start a new project with
// them, once the open one may go.
TEST_F(DragDrop, PicturesDroppedOnPageZeroStartANewProject)
{
    QWidget *page = ui().tabMain->widget(frmMain::PageProjectSelect);
    writePicture("a.png");
    writePicture("b.bmp");
    newProjectWith({"b.bmp"});
    back();
    EXPECT_FALSE(
        drop(page, files({path("a.png"), writeFile("notes.txt", "words")}), QPoint(10, 10)));

    seam.discardAnswers = {false};
    EXPECT_TRUE(drop(page, files({path("a.png")}), QPoint(10, 10)));
    QApplication::processEvents();
    EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
    EXPECT_EQ(column(0), QStringList{"b"});

    ui().optExistingProject->click();
    seam.discardAnswers = {true};
    EXPECT_TRUE(drop(page, files({path("a.png")}), QPoint(10, 10)));
    QApplication::processEvents();
    EXPECT_EQ(w->Tab(), frmMain::PageEditFiles);
    EXPECT_EQ(column(0), QStringList{"a"});
    EXPECT_TRUE(ui().optNewProject->isChecked());
    EXPECT_TRUE(ui().cmdNext->isEnabled());
    EXPECT_EQ(seam.discardQuestions.size(), 2u);
}

TEST_F(DragDrop, ANamesSignMovesWithItsRow)
{
    for (const char *name : {"a.bmp", "b.bmp", "c.bmp"})
        writePicture(name);
    newProjectWith({"a.bmp", "b.bmp", "c.bmp"});
    rename(0, "2nd");
    QApplication::processEvents();
    ASSERT_FALSE(model()->nameProblem(0).isEmpty());
    model()->moveRowsTo({0}, 3);
    QApplication::processEvents();
    EXPECT_EQ(column(0), (QStringList{"b", "c", "2nd"}));
    EXPECT_TRUE(model()->nameProblem(0).isEmpty());
    EXPECT_EQ(model()->nameProblem(2), "starts with a digit");
    EXPECT_EQ(model()->index(2, 0).data(Qt::ToolTipRole).toString(), "starts with a digit");
}

TEST_F(DragDrop, AProjectFileDroppedOnPageZeroIsChosen)
{
    QWidget *page = ui().tabMain->widget(frmMain::PageProjectSelect);
    const QString project = writeFile("tiles.bvp", "");
    EXPECT_FALSE(drop(page, files({project, project}), QPoint(10, 10)));
    EXPECT_TRUE(ui().optNewProject->isChecked());

    EXPECT_TRUE(drop(page, files({project}), QPoint(10, 10)));
    EXPECT_TRUE(ui().optExistingProject->isChecked());
    EXPECT_EQ(ui().txtProjectFile->text(), project);
    EXPECT_TRUE(ui().txtProjectFile->isEnabled());
    next();
    EXPECT_EQ(w->Tab(), frmMain::PageEditFiles);
}

// A header dropped there is read back: a folder is asked for, the pictures
// and their project are written into it and the project opens on page 1.
TEST_F(DragDrop, AHeaderDroppedOnPageZeroIsExtractedAndOpened)
{
    QWidget *page = ui().tabMain->widget(frmMain::PageProjectSelect);
    const QString header =
        writeFile("ship.h", Preamble + "static unsigned char ship[2] = {0x81, 0x0};\r\n\r\n");
    seam.folderAnswers.push_back(path("art"));
    EXPECT_TRUE(drop(page, files({header}), QPoint(10, 10)));
    QApplication::processEvents();
    ASSERT_EQ(w->Tab(), frmMain::PageEditFiles);
    EXPECT_EQ(column(0), QStringList{"ship"});
    EXPECT_EQ(ui().txtProjectFile->text(), path("art/ship.bvp"));
}

// The drop's handler runs queued, where nothing outside would catch: a
// failure there is told like any other, and page 0 stays.
TEST_F(DragDrop, AHeaderDroppedThatCannotBeExtractedIsTold)
{
    QWidget *page = ui().tabMain->widget(frmMain::PageProjectSelect);
    const QString header =
        writeFile("ship.h", Preamble + "static unsigned char ship[2] = {0x81, 0x0};\r\n\r\n");
    writeFile("file", "not a folder");
    seam.folderAnswers.push_back(path("file/art"));
    EXPECT_TRUE(drop(page, files({header}), QPoint(10, 10)));
    QApplication::processEvents();
    EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, path("file/art") + ": cannot be created: not a directory");
    EXPECT_EQ(seam.messages[0].icon, QMessageBox::Critical);
}

} // namespace
} // namespace bitvane::testing
