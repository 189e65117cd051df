// Names that would not compile in the real window: signs and tips kept live,
// names the project file cannot hold refused, and the question at "Finish".
#include "app/namewarnings.h"
#include "picturepages.h"

#include <QCoreApplication>
#include <QDir>
#include <QItemSelectionModel>
#include <QListView>

namespace bitvane::testing {
namespace {

class Names : public PicturePages {
protected:
    void TearDown() override
    {
        EXPECT_TRUE(seam.namesAnswers.empty());
        PicturePages::TearDown();
    }

    // Rows without a sign carry a blank of its size, so that names align.
    static bool isWarning(const QIcon &icon)
    {
        return icon.pixmap(NameSignSize).toImage() == NameSign(true).pixmap(NameSignSize).toImage();
    }

    // The sign and tip of a row of the file list, once the model has caught up.
    QString tip(int row) const
    {
        QCoreApplication::processEvents();
        const QModelIndex index = ui().lvwFiles->model()->index(row, 0);
        const bool sign = isWarning(index.data(Qt::DecorationRole).value<QIcon>());
        const QString text = index.data(Qt::ToolTipRole).toString();
        EXPECT_EQ(sign, !text.isEmpty()) << "row " << row;
        return text;
    }
    QStringList tips() const
    {
        QStringList all;
        for (int i = 0; i < rows(); ++i)
            all << tip(i);
        return all;
    }

    void threePictures()
    {
        for (const char *name : {"1up.bmp", "my sprite.bmp", "ship.bmp"})
            writePicture(QString::fromLatin1(name));
        newProjectWith({"1up.bmp", "my sprite.bmp", "ship.bmp"});
    }
};

TEST_F(Names, FileListSignsFollowEditsAdditionsAndRemovals)
{
    threePictures();
    EXPECT_EQ(tips(), (QStringList{"starts with a digit", "contains ' '", ""}));

    rename(0, "ship"); // clears its own row, marks another
    EXPECT_EQ(tips(), (QStringList{"", "contains ' '", "also the name of row 1"}));
    rename(1, "class");
    EXPECT_EQ(tip(1), "is a keyword of C++");
    addFiles({"ship.bmp"});
    EXPECT_EQ(tip(3), "also the name of row 1");
    selectRows({0});
    ui().cmdRemove->click();
    EXPECT_EQ(tips(), (QStringList{"is a keyword of C++", "", "also the name of row 2"}));
}

TEST_F(Names, ANameTheProjectFileCannotHoldIsRefusedWithTheReason)
{
    threePictures();
    rename(2, "say \"hi\"");
    rename(2, "two\nlines");
    EXPECT_EQ(cell(2, 0), "ship");
    QCoreApplication::processEvents();
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_TRUE(seam.messages[0].text.contains("holds a double quote"))
        << lastMessage().toStdString();
    EXPECT_TRUE(seam.messages[1].text.contains("holds a line break"));
    EXPECT_EQ(seam.messages[0].title, "Bitvane");
}

TEST_F(Names, PictureListShowsTheSameSigns)
{
    threePictures();
    loadPictures();
    const QListView *list = ui().lstPictures;
    auto item = [list](int row, int role) {
        return list->model()->index(row, list->modelColumn()).data(role);
    };
    ASSERT_EQ(list->model()->rowCount(), 3);
    EXPECT_EQ(item(0, Qt::ToolTipRole).toString(), "starts with a digit");
    EXPECT_TRUE(isWarning(item(0, Qt::DecorationRole).value<QIcon>()));
    EXPECT_EQ(item(1, Qt::ToolTipRole).toString(), "contains ' '");
    EXPECT_EQ(item(2, Qt::ToolTipRole).toString(), "");
    EXPECT_FALSE(isWarning(item(2, Qt::DecorationRole).value<QIcon>()));
}

TEST_F(Names, FinishOffersFixNamesWhichReturnsToTheListWithTheChangedRowsSelected)
{
    threePictures();
    loadPictures();
    next();
    seam.namesAnswers.push_back(DialogSeam::NamesAnswer::FixNames);
    next(); // "Finish"
    ASSERT_EQ(seam.namesQuestions.size(), 1u);
    const QString question = seam.namesQuestions[0];
    EXPECT_TRUE(question.contains("Row 1, \"1up\": starts with a digit")) << question.toStdString();
    EXPECT_TRUE(question.contains("Row 2, \"my sprite\": contains ' '"));
    EXPECT_FALSE(question.contains("ship"));
    EXPECT_EQ(seam.formatCalls, 0); // nothing compiled
    EXPECT_EQ(w->Tab(), frmMain::PageEditFiles);
    EXPECT_EQ(column(0), (QStringList{"_1up", "my_sprite", "ship"}));
    EXPECT_EQ(tips(), (QStringList{"", "", ""}));
    QList<int> selected;
    for (const QModelIndex &index : ui().lvwFiles->selectionModel()->selectedRows())
        selected << index.row();
    std::sort(selected.begin(), selected.end());
    EXPECT_EQ(selected, (QList<int>{0, 1}));

    // With the names fixed, "Finish" compiles without asking.
    loadPictures();
    finish(true, "fixed.bvp", "fixed.h");
    EXPECT_TRUE(lastMessage().startsWith("Compilation complete!"));
    EXPECT_TRUE(readAll(path("fixed.h")).contains(" my_sprite["));
    EXPECT_TRUE(readAll(path("fixed.bvp")).contains(",\"my_sprite\"\r\n"));
}

TEST_F(Names, FinishCompilesAnywayOrStaysWhenTheQuestionIsClosed)
{
    threePictures();
    loadPictures();
    next();
    seam.namesAnswers.push_back(DialogSeam::NamesAnswer::Cancel);
    next();
    EXPECT_EQ(w->Tab(), frmMain::PageCompile);
    EXPECT_EQ(seam.formatCalls, 0);
    EXPECT_TRUE(ui().cmdNext->isEnabled());

    seam.namesAnswers.push_back(DialogSeam::NamesAnswer::CompileAnyway);
    finish(true, "raw.bvp", "raw.h");
    EXPECT_TRUE(lastMessage().startsWith("Compilation complete!"));
    EXPECT_TRUE(readAll(path("raw.h")).contains(" my sprite["));
    EXPECT_EQ(seam.namesQuestions.size(), 2u);
}

TEST_F(Names, AProjectKeepsItsNamesAndRelativeLocationsWhereverItIsOpened)
{
    // The window runs elsewhere; the project names its pictures from its
    // own folder, one by a bare file name, one renamed.
    ASSERT_TRUE(QDir(dir.path()).mkpath("game/art"));
    writePicture("game/hero.bmp");
    writePicture("game/art/boss.bmp");
    const QByteArray text = "\"hero.bmp\",0,0\r\n\"./art/boss.bmp\",10,-5,\"big boss\"\r\n";
    writeFile("game/p.bvp", text);
    openProject(path("game/p.bvp"));
    ASSERT_EQ(w->Tab(), frmMain::PageEditFiles) << lastMessage().toStdString();
    EXPECT_EQ(column(0), (QStringList{"hero", "big boss"}));
    EXPECT_EQ(column(1), (QStringList{path("game/hero.bmp"), path("game/./art/boss.bmp")}));
    EXPECT_EQ(tip(1), "contains ' '");
    loadPictures();

    // Written back over itself: the same bytes.
    seam.namesAnswers.push_back(DialogSeam::NamesAnswer::CompileAnyway);
    finish(true, "game/p.bvp", "game/p.h");
    EXPECT_TRUE(lastMessage().startsWith("Compilation complete!"));
    EXPECT_EQ(readAll(path("game/p.bvp")), text);
}

} // namespace
} // namespace bitvane::testing
