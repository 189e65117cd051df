// The wizard's pages and buttons, from project choice to the compile page.
#include "windowfixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QPalette>
#include <QProgressBar>
#include <QTimer>

namespace bitvane::testing {
namespace {

struct Buttons {
    bool back, next, cancel;
    const char *caption;
};

void expectButtons(frmMain &w, Buttons s)
{
    const frmMainUi &ui = WindowProbe::ui(w);
    EXPECT_EQ(ui.cmdBack->isEnabled(), s.back);
    EXPECT_EQ(ui.cmdNext->isEnabled(), s.next);
    EXPECT_EQ(ui.cmdCancel->isEnabled(), s.cancel);
    // The caption as shown, its mnemonic marker aside.
    EXPECT_EQ(QString(ui.cmdNext->text()).remove(u'&'), QLatin1String(s.caption));
}

using WizardTest = WindowTest;

TEST_F(WizardTest, NewProjectEmptiesTheListAndWaitsForAPicture)
{
    newProject();
    add(writePicture(QStringLiteral("a.bmp")));
    back();
    EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
    expectButtons(*w, {false, true, true, "Next >"});
    EXPECT_EQ(rows(), 1) << "Back leaves the list alone";

    seam.discardAnswers = {true};
    next();
    EXPECT_EQ(w->Tab(), frmMain::PageEditFiles);
    EXPECT_EQ(rows(), 0);
    expectButtons(*w, {true, false, true, "Next >"});
    EXPECT_FALSE(ui().cmdRemove->isEnabled());
}

TEST_F(WizardTest, OpeningAProjectReplacesTheListWithItsRecords)
{
    newProject();
    add(writePicture(QStringLiteral("old.bmp")));
    back();
    seam.discardAnswers = {true};
    const QString project = writeFile(
        QStringLiteral("tiles.bvp"),
        "\"/art/ship.bmp\",10,-5\r\n\"/art/alien.gif\",0,0\r\n\"/art/ship.bmp\",-255,100\r\n");
    openProject(project);
    ASSERT_EQ(w->Tab(), frmMain::PageEditFiles);
    expectButtons(*w, {true, true, true, "Next >"});
    EXPECT_TRUE(ui().cmdRemove->isEnabled());
    ASSERT_EQ(rows(), 3);
    struct Expected {
        const char *name, *location;
        int brightness, contrast;
    } expected[] = {{"ship", "/art/ship.bmp", 10, -5},
                    {"alien", "/art/alien.gif", 0, 0},
                    {"ship", "/art/ship.bmp", -255, 100}};
    ASSERT_EQ(w->entries().size(), 3u);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cell(i, 0), QLatin1String(expected[i].name));
        EXPECT_EQ(cell(i, 1), QLatin1String(expected[i].location));
        EXPECT_EQ(w->entries()[std::size_t(i)].Brightness, expected[i].brightness);
        EXPECT_EQ(w->entries()[std::size_t(i)].Contrast, expected[i].contrast);
        EXPECT_EQ(w->entries()[i].Name, QLatin1String(expected[i].name));
        EXPECT_EQ(w->entries()[i].Brightness, expected[i].brightness);
        EXPECT_EQ(w->entries()[i].Contrast, expected[i].contrast);
    }
    EXPECT_TRUE(seam.messages.empty());
}

TEST_F(WizardTest, AnEmptyProjectOpensWithNextDisabled)
{
    openProject(writeFile(QStringLiteral("empty.bvp"), QByteArray()));
    EXPECT_EQ(w->Tab(), frmMain::PageEditFiles);
    EXPECT_EQ(rows(), 0);
    expectButtons(*w, {true, false, true, "Next >"});
    EXPECT_FALSE(ui().cmdRemove->isEnabled());
    add(writePicture(QStringLiteral("a.bmp")));
    expectButtons(*w, {true, true, true, "Next >"});
}

TEST_F(WizardTest, AProjectThatCannotBeOpenedKeepsPageZero)
{
    const QString missing = path(QStringLiteral("missing.bvp"));
    struct Case {
        const char *what;
        QString path;
        const char *mentions;
    } cases[] = {{"missing file", missing, "missing.bvp"},
                 {"empty path", QString(), "No project file"},
                 {"blank path", QStringLiteral("   "), "No project file"},
                 {"folder", dir.path(), "cannot be opened"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        seam.messages.clear();
        openProject(c.path);
        EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
        expectButtons(*w, {false, true, true, "Next >"});
        ASSERT_EQ(seam.messages.size(), 1u);
        EXPECT_EQ(seam.messages[0].title, QStringLiteral("Bitvane"));
        EXPECT_EQ(seam.messages[0].icon, QMessageBox::Critical);
        EXPECT_TRUE(seam.messages[0].text.contains(QLatin1String(c.mentions)))
            << seam.messages[0].text.toStdString();
    }
}

TEST_F(WizardTest, AMalformedProjectNamesFileAndLineAndKeepsTheList)
{
    writePicture(QStringLiteral("a.bmp"));
    writePicture(QStringLiteral("b.bmp"));
    newProject();
    add(dir.path() + QChar(0) + QStringLiteral("a.bmp") + QChar(0) + QStringLiteral("b.bmp"));
    back();
    const QString project =
        writeFile(QStringLiteral("bad.bvp"), "\"/art/ship.bmp\",10,-5\r\n\"/art/alien.gif\",7\r\n");
    seam.discardAnswers = {true};
    openProject(project);
    EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
    expectButtons(*w, {false, true, true, "Next >"});
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].title, QStringLiteral("Bitvane"));
    EXPECT_TRUE(seam.messages[0].text.startsWith(project + QStringLiteral(":2: ")))
        << seam.messages[0].text.toStdString();
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(cell(0, 0), QStringLiteral("a"));
    EXPECT_EQ(cell(1, 0), QStringLiteral("b"));
}

TEST_F(WizardTest, OptionsSwitchThePathBoxAndKeepItsText)
{
    const QColor buttonFace = w->palette().color(QPalette::Button);
    const QColor windowBack = w->palette().color(QPalette::Base);
    EXPECT_EQ(ui().txtProjectFile->palette().color(QPalette::Base), buttonFace);

    ui().optExistingProject->click();
    EXPECT_TRUE(ui().txtProjectFile->isEnabled());
    EXPECT_TRUE(ui().cmdProjectFile->isEnabled());
    EXPECT_EQ(ui().txtProjectFile->palette().color(QPalette::Base), windowBack);
    ui().txtProjectFile->setText(QStringLiteral("/p/x.bvp"));

    ui().optNewProject->click();
    EXPECT_FALSE(ui().txtProjectFile->isEnabled());
    EXPECT_FALSE(ui().cmdProjectFile->isEnabled());
    EXPECT_EQ(ui().txtProjectFile->palette().color(QPalette::Base), buttonFace);
    EXPECT_EQ(ui().txtProjectFile->text(), QStringLiteral("/p/x.bvp"));

    // They keep their state through a visit to page 1.
    ui().optExistingProject->click();
    openProject(writeFile(QStringLiteral("one.bvp"), "\"/a/b.bmp\",0,0\r\n"));
    back();
    EXPECT_TRUE(ui().optExistingProject->isChecked());
    EXPECT_TRUE(ui().txtProjectFile->isEnabled());
    EXPECT_EQ(ui().txtProjectFile->text(), path(QStringLiteral("one.bvp")));
}

TEST_F(WizardTest, BrowseAsksForOneProjectFileWithAnEmptyName)
{
    ui().optExistingProject->click();
    ui().txtProjectFile->setText(QStringLiteral("/kept.bvp"));
    seam.openAnswers = {std::nullopt, QStringLiteral("/p/tiles.bvp")};

    ui().cmdProjectFile->click();
    EXPECT_EQ(ui().txtProjectFile->text(), QStringLiteral("/kept.bvp")) << "cancel keeps the box";
    ui().cmdProjectFile->click();
    EXPECT_EQ(ui().txtProjectFile->text(), QStringLiteral("/p/tiles.bvp"));

    ASSERT_EQ(seam.opens.size(), 2u);
    for (const auto &call : seam.opens) {
        EXPECT_TRUE(call.fileName.isEmpty());
        EXPECT_EQ(call.filter, QStringLiteral("Bitvane Projects|*.bvp|Headers (*.h)|*.h"));
        EXPECT_FALSE(call.multiSelect);
    }
    EXPECT_TRUE(seam.messages.empty());
}

// Pages 1 -> 2 -> 3 -> 4 and back, with the button states of each page.
TEST_F(WizardTest, WalksThePagesWithTheirButtonStates)
{
    newProject();
    add(writePicture(QStringLiteral("a.bmp")));
    expectButtons(*w, {true, true, true, "Next >"});

    // Inside the step, page 2 shows with Back and Next disabled.
    int seenPage = -1;
    bool seenBack = true, seenNext = true, seenCancel = false;
    int seenProgress = -1;
    QTimer::singleShot(0, w.get(), [&] {
        seenPage = w->Tab();
        seenBack = ui().cmdBack->isEnabled();
        seenNext = ui().cmdNext->isEnabled();
        seenCancel = ui().cmdCancel->isEnabled();
        seenProgress = ui().prbLoadFiles->value();
    });
    next();
    EXPECT_EQ(seenPage, frmMain::PageLoadFiles);
    EXPECT_FALSE(seenBack);
    EXPECT_FALSE(seenNext);
    EXPECT_TRUE(seenCancel);
    EXPECT_EQ(seenProgress, 0);

    EXPECT_EQ(w->Tab(), frmMain::PageEditPictures);
    expectButtons(*w, {true, true, true, "Next >"});
    EXPECT_FALSE(ui().picDisp->isHidden());

    back();
    EXPECT_EQ(w->Tab(), frmMain::PageEditFiles) << "Back skips the load page";
    expectButtons(*w, {true, true, true, "Next >"});
    next();
    EXPECT_EQ(w->Tab(), frmMain::PageEditPictures);

    next();
    EXPECT_EQ(w->Tab(), frmMain::PageCompile);
    expectButtons(*w, {true, true, true, "Finish"});

    back();
    EXPECT_EQ(w->Tab(), frmMain::PageEditPictures);
    expectButtons(*w, {true, true, true, "Next >"});
    EXPECT_TRUE(seam.messages.empty());
}

// Settings belong to their picture, not to a position in the list.
TEST_F(WizardTest, BackAndNextDoNothingWhereThePageHasNoStep)
{
    WindowProbe::cmdBack_Click(*w);
    EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
    showPage(frmMain::PageLoadFiles);
    WindowProbe::cmdNext_Click(*w);
    WindowProbe::cmdBack_Click(*w);
    EXPECT_EQ(w->Tab(), frmMain::PageLoadFiles);
}

TEST_F(WizardTest, AFailedOrCancelledFinishRestoresPageFour)
{
    toEditPictures();
    next();
    ASSERT_EQ(w->Tab(), frmMain::PageCompile);

    // While the compile runs, page 4 has its labels hidden, the progress
    // bar shown, every button disabled, and a close is refused.
    bool busyButtons = true, barShown = false, labelsHidden = false, closed = true;
    QTimer::singleShot(0, w.get(), [&] {
        busyButtons =
            ui().cmdBack->isEnabled() || ui().cmdNext->isEnabled() || ui().cmdCancel->isEnabled();
        barShown = !ui().prbCompile->isHidden();
        // The style and mask choices too: they cannot change any more.
        labelsHidden = ui().lblMSG1->isHidden() && ui().lblMSG2->isHidden() &&
                       ui().lblPic->isHidden() && ui().optClassic->isHidden() &&
                       ui().optModern->isHidden() && ui().chkMasks->isHidden();
        closed = w->close();
    });
    seam.saveAnswers = {std::nullopt};
    seam.formatAnswers = {true};
    next();
    EXPECT_FALSE(busyButtons);
    EXPECT_TRUE(barShown);
    EXPECT_TRUE(labelsHidden);
    EXPECT_FALSE(closed);

    EXPECT_EQ(w->Tab(), frmMain::PageCompile);
    expectButtons(*w, {true, true, true, "Finish"});
    EXPECT_TRUE(ui().prbCompile->isHidden());
    EXPECT_EQ(ui().prbCompile->value(), 0);
    EXPECT_FALSE(ui().lblMSG1->isHidden());
    EXPECT_FALSE(ui().lblMSG2->isHidden());
    EXPECT_FALSE(ui().lblPic->isHidden());
    EXPECT_FALSE(ui().optModern->isHidden());
    EXPECT_FALSE(ui().chkMasks->isHidden());
    for (const auto &m : seam.messages)
        EXPECT_FALSE(m.text.startsWith(QStringLiteral("Compilation complete!")));
}

TEST_F(WizardTest, ASuccessfulFinishResetsTheWizardForANewProject)
{
    ui().optExistingProject->click();
    openProject(writeFile(QStringLiteral("tiles.bvp"),
                          "\"" + writePicture(QStringLiteral("ship.bmp")).toUtf8() + "\",0,0\r\n"));
    ASSERT_EQ(w->Tab(), frmMain::PageEditFiles);
    next();
    ASSERT_EQ(w->Tab(), frmMain::PageEditPictures);
    next();
    seam.formatAnswers = {true};
    seam.saveAnswers = {path(QStringLiteral("out.bvp")), path(QStringLiteral("out.h"))};
    next();

    ASSERT_FALSE(seam.messages.empty());
    EXPECT_TRUE(seam.messages.back().text.startsWith(QStringLiteral("Compilation complete!")));
    EXPECT_EQ(seam.messages.back().title, QStringLiteral("Bitvane"));
    EXPECT_EQ(seam.messages.back().icon, QMessageBox::NoIcon);
    EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
    expectButtons(*w, {false, true, true, "Next >"});
    EXPECT_TRUE(ui().optNewProject->isChecked());
    EXPECT_TRUE(ui().txtProjectFile->text().isEmpty());
    EXPECT_FALSE(ui().txtProjectFile->isEnabled());
    EXPECT_FALSE(ui().cmdProjectFile->isEnabled());
    EXPECT_EQ(ui().txtProjectFile->palette().color(QPalette::Base),
              w->palette().color(QPalette::Button));
    EXPECT_TRUE(ui().prbCompile->isHidden());
    EXPECT_FALSE(ui().lblMSG1->isHidden());
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("out.h"))));
}

} // namespace
} // namespace bitvane::testing
