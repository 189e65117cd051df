// The user's work kept: the question before changes are lost, and "Keep editing" after a compile.
#include "picturepages.h"

#include "app/filelistmodel.h"

#include <QCheckBox>
#include <QComboBox>

namespace bitvane::testing {
namespace {

class KeepWork : public PicturePages {
protected:
    // A project of two pictures, opened on page 1.
    void openTwo()
    {
        writePicture("a.bmp");
        writePicture("b.bmp");
        openProject(writeFile("two.bvp", "\"" + path("a.bmp").toUtf8() + "\",0,0\r\n\"" +
                                             path("b.bmp").toUtf8() + "\",85,10\r\n"));
        ASSERT_EQ(w->Tab(), frmMain::PageEditFiles);
    }

    // Back to page 1 from wherever the change was made.
    void backToFiles()
    {
        while (w->Tab() > frmMain::PageEditFiles)
            back();
    }

    FileListModel *model() const { return static_cast<FileListModel *>(ui().lvwFiles->model()); }
};

// Page 0's Next, Cancel and the close box ask exactly when pictures, names
// or settings differ from the project as opened or last compiled. Cancel
// keeps the project (page 1 again, the window open); Discard goes on.
TEST_F(KeepWork, TheQuestionComesExactlyWhenSomethingWouldBeLost)
{
    const QString question = "Discard the changes to this project?";
    struct Case {
        const char *what;
        std::function<void()> change;
        bool asked;
    } cases[] = {
        {"untouched", [] {}, false},
        {"looked at on page 3", [this] { loadPictures(); }, false},
        {"picture added", [this] { add(writePicture("c.bmp")); }, true},
        {"picture removed",
         [this] {
             selectRows({0});
             ui().cmdRemove->click();
         },
         true},
        {"renamed", [this] { rename(1, "bee"); }, true},
        {"renamed and named back",
         [this] {
             rename(1, "bee");
             rename(1, "b");
         },
         false},
        {"rows moved", [this] { model()->moveRowsTo({1}, 0); }, true},
        {"contrast changed",
         [this] {
             loadPictures();
             ui().sldContrast->setValue(50);
         },
         true},
        {"brightness moved and moved back",
         [this] {
             loadPictures();
             select(1);
             ui().sldBrightness->setValue(0);
             ui().sldBrightness->setValue(85);
         },
         false},
        {"style changed on page 4",
         [this] {
             loadPictures();
             next();
             ui().optModern->click();
         },
         true},
        {"locations made relative",
         [this] {
             loadPictures();
             next();
             ui().chkRelative->click();
         },
         true},
        {"masks ticked and unticked",
         [this] {
             loadPictures();
             next();
             ui().chkMasks->click();
             ui().chkMasks->click();
         },
         false},
        {"shading chosen",
         [this] {
             loadPictures();
             ui().cboShading->setCurrentIndex(2);
         },
         true},
        {"fit chosen and chosen back",
         [this] {
             loadPictures();
             ui().cboFit->setCurrentIndex(1);
             ui().cboFit->setCurrentIndex(0);
         },
         false},
        {"changed, then compiled",
         [this] {
             loadPictures();
             ui().sldContrast->setValue(50);
             finish(true, "out.bvp", "out.h");
             openProject(path("out.bvp"));
         },
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        w = std::make_unique<frmMain>(&seam);
        ASSERT_NO_FATAL_FAILURE(showWindow());
        seam.discardQuestions.clear();
        ASSERT_NO_FATAL_FAILURE(openTwo());
        c.change();
        backToFiles();
        const QStringList names = column(0);

        if (!c.asked) {
            ui().cmdCancel->click();
            EXPECT_FALSE(w->isVisible());
            EXPECT_TRUE(seam.discardQuestions.empty());
            continue;
        }
        // Back to page 0 alone loses nothing; Next there would.
        back();
        EXPECT_TRUE(seam.discardQuestions.empty());
        seam.discardAnswers = {false};
        next();
        EXPECT_EQ(w->Tab(), frmMain::PageEditFiles);
        EXPECT_EQ(column(0), names);

        seam.discardAnswers = {false};
        ui().cmdCancel->click();
        EXPECT_TRUE(w->isVisible());
        seam.discardAnswers = {false};
        EXPECT_FALSE(w->close());

        seam.discardAnswers = {true};
        EXPECT_TRUE(w->close());
        EXPECT_EQ(seam.discardQuestions, std::vector<QString>(4, question));
        EXPECT_TRUE(seam.discardAnswers.empty());
    }
}

// "Keep editing" returns to page 3 with the written project open: the next
// Finish offers its name, writes the new settings, and OK ends on page 0.
TEST_F(KeepWork, KeepEditingReturnsToThePicturesWithTheSavedProjectOpen)
{
    writePicture("a.bmp");
    writePicture("b.bmp");
    newProjectWith({"a.bmp", "b.bmp"});
    loadPictures();
    select(1);
    ui().sldBrightness->setValue(85);
    seam.completedAnswers = {DialogSeam::CompletedAnswer::KeepEditing};
    finish(true, "game.bvp", "game.h");
    ASSERT_TRUE(lastMessage().startsWith("Compilation complete!"));
    EXPECT_EQ(w->Tab(), frmMain::PageEditPictures);
    EXPECT_EQ(QString(ui().cmdNext->text()).remove(u'&'), "Next >");
    EXPECT_TRUE(ui().cmdBack->isEnabled());
    EXPECT_EQ(selectedPicture(), 1);
    EXPECT_EQ(sliderBrightness(), 85);
    EXPECT_TRUE(ui().optExistingProject->isChecked());
    EXPECT_EQ(ui().txtProjectFile->text(), path("game.bvp"));
    EXPECT_TRUE(ui().lblMSG1->isVisibleTo(ui().tabMain->widget(frmMain::PageCompile)));

    ui().sldContrast->setValue(50);
    seam.saves.clear();
    finish(true, "game.bvp", "game.h");
    ASSERT_EQ(seam.saves.size(), 2u);
    EXPECT_EQ(seam.saves[0].fileName, "game");
    EXPECT_TRUE(readAll(path("game.bvp")).endsWith("b.bmp\",85,50\r\n"));
    EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
    EXPECT_TRUE(ui().optNewProject->isChecked());
    // Both compiles kept everything: nothing is asked.
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(seam.discardQuestions.empty());
}

} // namespace
} // namespace bitvane::testing
