// The keyboard on the real window: Delete, Return and the Alt mnemonics, through synthesised key
// events.
#include "picturepages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>

namespace bitvane::testing {
namespace {

class Keys : public PicturePages {
protected:
    // The editor of a name, opened as F2 or a double click would.
    QWidget *editName(int row)
    {
        QTreeView *list = ui().lvwFiles;
        list->setFocus();
        list->setCurrentIndex(list->model()->index(row, 0));
        list->edit(list->currentIndex());
        QWidget *editor = QApplication::focusWidget();
        EXPECT_NE(editor, list);
        return editor;
    }
};

TEST_F(Keys, DeleteRemovesTheSelectedRowsButNotWhileANameIsEdited)
{
    for (const char *name : {"a.bmp", "b.bmp", "c.bmp"})
        writePicture(name);
    newProjectWith({"a.bmp", "b.bmp", "c.bmp"});
    selectRows({0, 2});
    ui().lvwFiles->setFocus();
    QTest::keyClick(ui().lvwFiles, Qt::Key_Delete);
    EXPECT_EQ(column(0), QStringList{"b"});

    QWidget *editor = editName(0);
    QTest::keyClick(editor, Qt::Key_Home);
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(column(0), QStringList{""}) << "the key edits the name";
    EXPECT_EQ(w->Tab(), frmMain::PageEditFiles);
}

// Return presses "Next >" (and on the last page "Finish") from any control
// but a name being edited, which it ends, and a number box, which takes it.
TEST_F(Keys, ReturnPressesTheDefaultButtonUnlessANameIsEdited)
{
    writePicture("hero.bmp");
    ui().optNewProject->setFocus();
    QTest::keyClick(ui().optNewProject, Qt::Key_Return);
    ASSERT_EQ(w->Tab(), frmMain::PageEditFiles);
    addFiles({"hero.bmp"});

    QWidget *editor = editName(0);
    QTest::keyClicks(editor, QStringLiteral("ship"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(w->Tab(), frmMain::PageEditFiles);
    EXPECT_EQ(cell(0, 0), "ship");

    ui().lvwFiles->setFocus();
    QTest::keyClick(ui().lvwFiles, Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(w->Tab(), frmMain::PageEditPictures);
    ui().spnBrightness->setFocus();
    QTest::keyClick(ui().spnBrightness, Qt::Key_Return);
    EXPECT_EQ(w->Tab(), frmMain::PageEditPictures);
    ui().lstPictures->setFocus();
    QTest::keyClick(ui().lstPictures, Qt::Key_Return);
    ASSERT_EQ(w->Tab(), frmMain::PageCompile);

    seam.formatAnswers.push_back(true);
    seam.saveAnswers.push_back(path("p.bvp"));
    seam.saveAnswers.push_back(path("p.h"));
    QTest::keyClick(ui().cmdBack, Qt::Key_Return);
    EXPECT_TRUE(lastMessage().startsWith("Compilation complete!"));
    EXPECT_TRUE(QFile::exists(path("p.h")));
}

// Each button answers Alt and its underlined letter; Cancel's is not pressed,
// as it would end the program.
TEST_F(Keys, AltMnemonicsPressTheButtons)
{
    EXPECT_EQ(ui().cmdCancel->text(), QLatin1String("&Cancel"));
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    // A mnemonic clicks as a mouse would, with the button shown down a moment.
    auto alt = [this](Qt::Key key, const std::function<bool()> &done) {
        QTest::keyClick(w.get(), key, Qt::AltModifier);
        return QTest::qWaitFor(done, 2000);
    };
    EXPECT_TRUE(alt(Qt::Key_O, [this] { return ui().optExistingProject->isChecked(); }));
    EXPECT_TRUE(alt(Qt::Key_W, [this] { return ui().optNewProject->isChecked(); }));
    ASSERT_TRUE(alt(Qt::Key_N, [this] { return w->Tab() == frmMain::PageEditFiles; }));
    seam.openAnswers.push_back(writePicture("hero.bmp"));
    EXPECT_TRUE(alt(Qt::Key_A, [this] { return rows() == 1; }));
    selectRows({0});
    EXPECT_TRUE(alt(Qt::Key_R, [this] { return rows() == 0; }));
    EXPECT_TRUE(alt(Qt::Key_B, [this] { return w->Tab() == frmMain::PageProjectSelect; }));

    // Page 4's choices, each by its letter; page 1's Add and Remove share
    // two of them but are hidden meanwhile.
    ASSERT_TRUE(alt(Qt::Key_N, [this] { return w->Tab() == frmMain::PageEditFiles; }));
    seam.openAnswers.push_back(writePicture("ship.bmp"));
    ASSERT_TRUE(alt(Qt::Key_A, [this] { return rows() == 1; }));
    ASSERT_TRUE(alt(Qt::Key_N, [this] { return w->Tab() == frmMain::PageEditPictures; }));
    ASSERT_TRUE(alt(Qt::Key_N, [this] { return w->Tab() == frmMain::PageCompile; }));
    EXPECT_TRUE(alt(Qt::Key_M, [this] { return ui().optModern->isChecked(); }));
    EXPECT_TRUE(alt(Qt::Key_S, [this] { return ui().chkShared->isChecked(); }));
    EXPECT_TRUE(alt(Qt::Key_R, [this] { return ui().chkRelative->isChecked(); }));
    EXPECT_TRUE(alt(Qt::Key_A, [this] { return ui().chkMasks->isChecked(); }));
    EXPECT_TRUE(alt(Qt::Key_L, [this] {
        return ui().optClassic->isChecked() && !ui().chkShared->isEnabled();
    }));
    EXPECT_EQ(rows(), 1);
}

// On page 3 each caption's letter takes the focus to its control.
TEST_F(Keys, AltMnemonicsReachThePictureChoices)
{
    writePicture("hero.bmp");
    newProjectWith({"hero.bmp"});
    loadPictures();
    ui().cboFit->setCurrentIndex(1); // Width is offered only when scaling
    ui().spnCellWidth->setValue(4);  // a sheet of two frames: the frame box shows
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    const struct {
        Qt::Key key;
        QWidget *control;
    } cases[] = {{Qt::Key_F, ui().cboFit},       {Qt::Key_W, ui().cboWidth},
                 {Qt::Key_L, ui().spnBlack},     {Qt::Key_S, ui().cboShading},
                 {Qt::Key_E, ui().spnCellWidth}, {Qt::Key_U, ui().spnFrames},
                 {Qt::Key_A, ui().spnFrame},     {Qt::Key_Z, ui().cboZoom}};
    for (const auto &c : cases) {
        QTest::keyClick(w.get(), c.key, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return c.control->hasFocus(); }, 2000))
            << c.control->objectName().toStdString();
    }
}

} // namespace
} // namespace bitvane::testing
