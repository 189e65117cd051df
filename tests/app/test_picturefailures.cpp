// The picture pages when something goes wrong: cancelled dialogs, failing pictures and compiles,
// closes midway.
#include "picturepages.h"

#include "app/frmformat.h"

#include <QApplication>
#include <QDir>
#include <QProgressBar>
#include <QTest>

namespace bitvane::testing {
namespace {

TEST_F(PicturePages, CancellingEitherSaveDialogTouchesNoFile)
{
    writePicture("a.bmp", makePicture(8, 8, 3).image);
    newProjectWith({"a.bmp"});
    loadPictures();
    next();
    writeFile("old.h", "old");
    const QStringList before = QDir(dir.path()).entryList(QDir::Files);

    struct Case {
        const char *what;
        std::vector<std::optional<QString>> answers;
    };
    const Case cases[] = {{"project dialog cancelled", {std::nullopt}},
                          {"header dialog cancelled", {path("p.bvp"), std::nullopt}}};
    for (const Case &c : cases) {
        seam.saves.clear();
        seam.formatAnswers.push_back(true);
        seam.saveAnswers.assign(c.answers.begin(), c.answers.end());
        next();
        EXPECT_EQ(seam.saves.size(), c.answers.size()) << c.what;
        EXPECT_TRUE(seam.messages.empty()) << c.what << ": " << lastMessage().toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), before) << c.what;
        EXPECT_EQ(readAll(path("old.h")), "old") << c.what;
        // Page 4 comes back as it was.
        EXPECT_EQ(w->Tab(), frmMain::PageCompile) << c.what;
        EXPECT_EQ(ui().cmdNext->text(), "&Finish") << c.what;
        EXPECT_TRUE(ui().cmdNext->isEnabled()) << c.what;
        EXPECT_TRUE(ui().cmdBack->isEnabled()) << c.what;
        EXPECT_TRUE(ui().cmdCancel->isEnabled()) << c.what;
        EXPECT_TRUE(ui().prbCompile->isHidden()) << c.what;
        EXPECT_TRUE(ui().picCompile->isHidden()) << c.what;
    }
}

TEST_F(PicturePages, AFailedCompileSaysWhyAndKeepsThePage)
{
    writePicture("a.bmp", makePicture(8, 8, 3).image);
    newProjectWith({"a.bmp"});
    loadPictures();
    finish(true, "p.bvp", "missing-folder/p.h");
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].title, "Bitvane");
    EXPECT_EQ(seam.messages[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(seam.messages[0].text.contains("p.h")) << lastMessage().toStdString();
    EXPECT_FALSE(QFile::exists(path("p.bvp")));
    EXPECT_EQ(w->Tab(), frmMain::PageCompile);
    EXPECT_TRUE(ui().picCompile->isHidden());

    // Finish again works like the first time.
    seam.messages.clear();
    finish(true, "p.bvp", "p.h");
    EXPECT_TRUE(lastMessage().startsWith("Compilation complete!"));
    EXPECT_TRUE(QFile::exists(path("p.h")));
}

TEST_F(PicturePages, APictureThatFailsToLoadIsNamedAndNothingIsHalfLoaded)
{
    writePicture("good.bmp", makePicture(8, 8, 4).image);
    writePicture("later.bmp", makePicture(16, 8, 5).image);
    writeFile("bad.bmp", "this is no picture");

    newProjectWith({"good.bmp", "later.bmp"});
    loadPictures();
    ui().sldBrightness->setValue(85);
    const std::vector<PictureEntry> before = w->entries();
    back();

    struct Case {
        const char *what;
        QString added;
    };
    const Case cases[] = {{"not a picture", "bad.bmp"}, {"removed after adding", "gone.bmp"}};
    for (const Case &c : cases) {
        seam.messages.clear();
        if (c.added == "gone.bmp")
            writePicture("gone.bmp", makePicture(8, 8, 6).image);
        addFiles({c.added});
        QFile::remove(path("gone.bmp"));
        // Behind the failing picture, one that would load.
        addFiles({"later.bmp"});
        next();
        ASSERT_EQ(seam.messages.size(), 1u) << c.what;
        EXPECT_EQ(seam.messages[0].title, "Bitvane") << c.what;
        EXPECT_TRUE(seam.messages[0].text.contains(c.added)) << lastMessage().toStdString();
        EXPECT_EQ(w->Tab(), frmMain::PageEditFiles) << c.what;
        EXPECT_TRUE(ui().cmdBack->isEnabled()) << c.what;
        EXPECT_TRUE(ui().cmdNext->isEnabled()) << c.what;
        EXPECT_TRUE(ui().picLoad->isHidden()) << c.what;
        // The two rows added stay listed, with no picture loaded.
        ASSERT_EQ(w->entries().size(), before.size() + 2) << c.what;
        EXPECT_TRUE(w->entries()[before.size()].Image.isEmpty()) << c.what;
        EXPECT_TRUE(w->entries()[before.size() + 1].Image.isEmpty()) << c.what;
        for (std::size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(w->entries()[i].Name, before[i].Name) << c.what;
            EXPECT_EQ(w->entries()[i].Brightness, before[i].Brightness) << c.what;
            EXPECT_TRUE(w->entries()[i].Image == before[i].Image) << c.what;
        }
        // Take the two rows out again.
        selectRows({rows() - 1, rows() - 2});
        ui().cmdRemove->click();
    }

    seam.messages.clear();
    loadPictures();
    ASSERT_EQ(w->entries().size(), 2u);
    EXPECT_EQ(w->entries()[0].Brightness, 85);
}

// Cancel or the close box while loading: the loading stops at once, nothing
// is loaded, and the window is gone.
TEST_F(PicturePages, ClosingWhileLoadingStopsAtOnce)
{
    for (int i = 0; i < 10; ++i)
        writePicture(QStringLiteral("p%1.bmp").arg(i), makePicture(8, 8, std::uint32_t(i)).image);
    QStringList names;
    for (int i = 0; i < 10; ++i)
        names << QStringLiteral("p%1.bmp").arg(i);

    // The program ends when its last window closes; here the test goes on.
    QApplication::setQuitOnLastWindowClosed(false);
    for (bool viaCancel : {true, false}) {
        w = std::make_unique<frmMain>(&seam);
        ASSERT_NO_FATAL_FAILURE(showWindow());
        newProjectWith(names);
        // The new project is given up.
        seam.discardAnswers = {true};
        int progressAtClose = -1;
        when(
            w.get(), [&] { return ui().prbLoadFiles->value() >= 3; },
            [&] {
                progressAtClose = ui().prbLoadFiles->value();
                if (viaCancel)
                    ui().cmdCancel->click();
                else
                    w->close();
            });
        next();
        EXPECT_EQ(progressAtClose, 3) << viaCancel;
        EXPECT_FALSE(w->isVisible()) << viaCancel;
        EXPECT_EQ(ui().prbLoadFiles->value(), 3) << viaCancel;
        ASSERT_EQ(w->entries().size(), 10u) << viaCancel;
        for (const PictureEntry &entry : w->entries())
            EXPECT_TRUE(entry.Image.isEmpty()) << viaCancel;
        EXPECT_TRUE(seam.messages.empty()) << viaCancel;
    }
    QApplication::setQuitOnLastWindowClosed(true);
}

TEST_F(PicturePages, ACloseWhileCompilingIsRefusedUntilItEnds)
{
    for (int i = 0; i < 5; ++i)
        writePicture(QStringLiteral("p%1.bmp").arg(i), makePicture(8, 8, std::uint32_t(i)).image);
    newProjectWith({"p0.bmp", "p1.bmp", "p2.bmp", "p3.bmp", "p4.bmp"});
    loadPictures();
    next();
    bool tried = false, boxShown = false;
    when(
        w.get(), [&] { return ui().prbCompile->value() >= 2; },
        [&] {
            tried = true;
            boxShown = ui().picCompile->isVisible();
            w->close();
        });
    seam.formatAnswers.push_back(true);
    seam.saveAnswers = {path("p.bvp"), path("p.h")};
    next();
    EXPECT_TRUE(tried);
    EXPECT_TRUE(boxShown);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(lastMessage().startsWith("Compilation complete!"));
    EXPECT_EQ(readAll(path("p.h")).count("static unsigned char"), 5);
}

// The real number-format dialog behind the seam: its answer at each call
// reaches the header.
TEST_F(PicturePages, TheFormatDialogsAnswerAtEachCallReachesTheHeader)
{
    writePicture("a.bmp", makePicture(8, 2, 9).image);
    newProjectWith({"a.bmp"});
    loadPictures();
    next();

    bool chooseBinary = true;
    QPoint dialogCentre, windowCentre;
    seam.answerFormat = [&](QWidget *parent) {
        QTimer::singleShot(0, [&] {
            auto *d = qobject_cast<frmFormat *>(QApplication::activeModalWidget());
            if (!d) {
                ADD_FAILURE() << "no format dialog";
                return;
            }
            EXPECT_TRUE(d->optHex->isChecked());
            dialogCentre = d->frameGeometry().center();
            windowCentre = w->frameGeometry().center();
            if (chooseBinary)
                d->optBin->click();
            d->cmdOK->click();
        });
        QtDialogSeam real;
        AllowRealDialogs realDialogs;
        return real.hexOrBin(parent);
    };
    for (bool binary : {true, false, true}) {
        chooseBinary = binary;
        seam.saveAnswers = {path("p.bvp"), path("p.h")};
        next();
        ASSERT_TRUE(lastMessage().startsWith("Compilation complete!"));
        const QByteArray header = readAll(path("p.h"));
        EXPECT_EQ(header.contains("{0b"), binary);
        EXPECT_EQ(header.contains("{0x"), !binary);
        EXPECT_LE((dialogCentre - windowCentre).manhattanLength(), 2);
        // Back to page 4 for the next call: an opened project this time.
        openProject(path("p.bvp"));
        loadPictures();
        next();
    }
    EXPECT_EQ(seam.formatCalls, 3);
}

} // namespace
} // namespace bitvane::testing
