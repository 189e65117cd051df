// The main window: layout, fonts, focus order, about box, closing.
#include "layoutchecks.h"
#include "windowfixture.h"

#include "error.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>

namespace bitvane::testing {
namespace {

// Every control lies inside what can be seen of its container and overlaps
// none of its siblings; each page's frame covers its page whole, so that no
// page header shows.
TEST_F(WindowTest, ControlsLieInsideTheirContainersWithoutOverlap)
{
    w->show();
    ExpectInsideWithoutOverlap(w.get(), w->rect());
    ExpectInsideWithoutOverlap(ui().Picture1, ui().Picture1->rect());
    const QRect page(QPoint(0, 0), ui().tabMain->contentsRect().size());
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        showPage(i);
        const auto *frame = named<QFrame>(QStringLiteral("Frame%1").arg(i + 1).toLatin1());
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->parentWidget(), ui().tabMain->widget(i));
        EXPECT_EQ(frame->pos(), QPoint(0, 0));
        EXPECT_TRUE(frame->geometry().contains(page));
        EXPECT_EQ(frame->frameShape(), QFrame::NoFrame);
        ExpectInsideWithoutOverlap(frame, page);
    }
}

// The window's size is the one geometry checked as a number; the etched rule
// above the buttons is a dark line with a light one right under it, the
// banner's rule its bottom row.
TEST_F(WindowTest, WindowHasItsFixedSizeAndRules)
{
    EXPECT_EQ(w->size(), QSize(648, 537));
    EXPECT_EQ(w->minimumSize(), QSize(648, 537));
    EXPECT_EQ(w->maximumSize(), QSize(648, 537));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Bitvane"));
    const QRect shadow = named<QWidget>("Line1")->geometry();
    const QRect light = named<QWidget>("Line2")->geometry();
    EXPECT_EQ(shadow.height(), 1);
    EXPECT_EQ(light, shadow.translated(0, 1));
    EXPECT_GT(ui().cmdBack->y(), light.bottom());
    EXPECT_LT(ui().tabMain->geometry().bottom(), shadow.top());
    EXPECT_EQ(named<QWidget>("Line3")->parentWidget(), ui().Picture1);
    EXPECT_EQ(named<QWidget>("Line3")->geometry(),
              QRect(0, ui().Picture1->height() - 1, w->width(), 1));
    EXPECT_NE(named<QWidget>("Line1")->palette().color(QPalette::Window),
              named<QWidget>("Line2")->palette().color(QPalette::Window));
}

TEST_F(WindowTest, ArtworkHasTheLayoutSizes)
{
    EXPECT_EQ(ui().Picture1->pixmap().size(), QSize(650, 100));
    EXPECT_EQ(ui().lblPic->pixmap().size(), QSize(96, 97));
    const QList<QSize> iconSizes = w->windowIcon().availableSizes();
    EXPECT_TRUE(iconSizes.contains(QSize(32, 32)));
    EXPECT_TRUE(iconSizes.contains(QSize(48, 48)));
}

TEST_F(WindowTest, StartsOnPageZeroInTheLayoutState)
{
    EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
    EXPECT_EQ(ui().tabMain->count(), 5);
    const char *captions[] = {"project select", "edit files", "load files", "edit pictures",
                              "compile pictures"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ui().tabMain->widget(i)->windowTitle(), QLatin1String(captions[i]));
    EXPECT_TRUE(ui().optNewProject->isChecked());
    EXPECT_FALSE(ui().optExistingProject->isChecked());
    EXPECT_TRUE(ui().txtProjectFile->text().isEmpty());
    EXPECT_FALSE(ui().txtProjectFile->isEnabled());
    EXPECT_FALSE(ui().cmdProjectFile->isEnabled());
    EXPECT_FALSE(ui().cmdBack->isEnabled());
    EXPECT_TRUE(ui().cmdNext->isEnabled());
    EXPECT_EQ(ui().cmdNext->text(), QStringLiteral("&Next >"));
    EXPECT_TRUE(ui().cmdCancel->isEnabled());
    EXPECT_FALSE(ui().cmdRemove->isEnabled());
    EXPECT_TRUE(ui().cmdAddFile->isEnabled());
    EXPECT_TRUE(ui().prbCompile->isHidden());
    EXPECT_TRUE(ui().picLoad->isHidden());
    EXPECT_TRUE(ui().picCompile->isHidden());
    EXPECT_FALSE(ui().picDisp->isHidden());
    EXPECT_EQ(ui().prbLoadFiles->maximum(), 100);
    EXPECT_EQ(ui().prbCompile->maximum(), 100);
    const QAbstractItemModel *files = ui().lvwFiles->model();
    EXPECT_EQ(files->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
    EXPECT_EQ(files->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Location"));
    EXPECT_EQ(ui().lvwFiles->columnWidth(0), 96);
    EXPECT_EQ(named<QLabel>("Label4")->text(), QStringLiteral("Tip: You can edit names here!"));
    EXPECT_EQ(ui().lblMSG2->text(), QStringLiteral("Press \"Finish\" to begin compiling..."));
}

TEST_F(WindowTest, FontsAreTheLayoutsWithCaptionsShownWhole)
{
    EXPECT_DOUBLE_EQ(w->font().pointSizeF(), 8.25);
    EXPECT_EQ(w->font().families().front(), QStringLiteral("Trebuchet MS"));
    EXPECT_EQ(ui().txtProjectFile->font().families().front(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(ui().cmdProjectFile->font().families().front(), QStringLiteral("MS Sans Serif"));
    EXPECT_TRUE(ui().lblMSG1->font().bold());
    EXPECT_EQ(ui().lblMSG1->font().families().front(), QStringLiteral("Trebuchet MS"));
    // 12 pt, or as near as a wider fallback face allows.
    EXPECT_LE(ui().lblMSG1->font().pointSizeF(), 12.0);
    EXPECT_GE(ui().lblMSG1->font().pointSizeF(), 10.0);
    ExpectCaptionsFit(w.get());
}

TEST_F(WindowTest, SlidersReachTheirEndsInTheirSteps)
{
    struct Case {
        QSlider *slider;
        int limit, step;
    } cases[] = {{ui().sldBrightness, 255, 85}, {ui().sldContrast, 100, 10}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.slider->objectName().toStdString());
        EXPECT_EQ(c.slider->minimum(), -c.limit);
        EXPECT_EQ(c.slider->maximum(), c.limit);
        EXPECT_EQ(c.slider->value(), 0);
        c.slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(c.slider->value(), c.step);
        c.slider->triggerAction(QAbstractSlider::SliderPageStepSub);
        c.slider->triggerAction(QAbstractSlider::SliderPageStepSub);
        EXPECT_EQ(c.slider->value(), -c.step);
        c.slider->triggerAction(QAbstractSlider::SliderToMaximum);
        EXPECT_EQ(c.slider->value(), c.limit);
        c.slider->triggerAction(QAbstractSlider::SliderToMinimum);
        EXPECT_EQ(c.slider->value(), -c.limit);
    }
}

TEST_F(WindowTest, LocationColumnEndsFourPixelsShortOfTheListEdge)
{
    w->show();
    EXPECT_EQ(ui().lvwFiles->columnWidth(0) + ui().lvwFiles->columnWidth(1),
              ui().lvwFiles->width() - 4);
    newProject();
    add(writePicture(QStringLiteral("a-rather-long-file-name-that-fills-the-column.bmp")));
    QCoreApplication::processEvents();
    EXPECT_FALSE(ui().lvwFiles->horizontalScrollBar()->isVisible());
}

TEST_F(WindowTest, WindowIsCentredOnTheScreen)
{
    const QRect screen = w->screen()->geometry();
    EXPECT_EQ(w->pos(), QPoint(screen.x() + (screen.width() - w->width()) / 2,
                               screen.y() + (screen.height() - w->height()) / 2));
}

TEST_F(WindowTest, OnlyTheShownPageIsVisible)
{
    w->show();
    QFrame *frames[] = {named<QFrame>("Frame1"), named<QFrame>("Frame2"), named<QFrame>("Frame3"),
                        named<QFrame>("Frame4"), named<QFrame>("Frame5")};
    for (int page = 0; page < 5; ++page) {
        showPage(page);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(frames[i]->isVisible(), i == page) << "page " << page << " frame " << i;
    }
}

// The focus order of the layout's tab indices, for the controls that take
// the focus; page 3 in reading order: list, zoom, previews, the column of
// choices, the sliders left to right.
const char *const FocusOrder[] = {
    "cmdNext",        "cmdBack",        "cmdCancel",  "optNewProject", "optExistingProject",
    "txtProjectFile", "cmdProjectFile", "lvwFiles",   "cmdAddFile",    "cmdRemove",
    "lstPictures",    "cboZoom",        "scrPreview", "cboFit",        "cboWidth",
    "spnBlack",       "spnWhite",       "cboShading", "spnCellWidth",  "spnCellHeight",
    "spnFrames",      "spnFrame",       "cmdPlay",    "sldContrast",   "spnContrast",
    "sldBrightness",  "spnBrightness",  "optClassic", "optModern",     "chkMasks",
    "chkShared",      "chkRelative"};

TEST_F(WindowTest, FocusChainFollowsTheTabIndices)
{
    QStringList named;
    for (const char *name : FocusOrder)
        named << QLatin1String(name);
    QStringList chain;
    QWidget *at = ui().cmdNext;
    do {
        if (named.contains(at->objectName()) && !chain.contains(at->objectName()))
            chain << at->objectName();
        at = at->nextInFocusChain();
    } while (at != ui().cmdNext);
    EXPECT_EQ(chain, named);
    // No control that the Tab key reaches is left out of the order.
    for (const QWidget *control : w->findChildren<QWidget *>()) {
        const QString name = control->objectName();
        if ((control->focusPolicy() & Qt::TabFocus) && !name.isEmpty() &&
            !name.startsWith(u"qt_")) {
            EXPECT_TRUE(named.contains(name)) << name.toStdString();
        }
    }
}

TEST_F(WindowTest, TabKeyWalksPageZeroAndPageOneInOrder)
{
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    EXPECT_EQ(QApplication::focusWidget(), ui().cmdNext);

    auto walk = [&](int steps) {
        QStringList seen;
        for (int i = 0; i < steps; ++i) {
            QWidget *focus = QApplication::focusWidget();
            if (!focus) {
                ADD_FAILURE() << "nothing has the focus";
                break;
            }
            seen << focus->objectName();
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        return seen;
    };
    // Page 0 with "Open an existing project": Back is disabled and skipped.
    ui().optExistingProject->setChecked(true);
    ui().cmdNext->setFocus();
    EXPECT_EQ(walk(6), (QStringList{"cmdNext", "cmdCancel", "optExistingProject", "txtProjectFile",
                                    "cmdProjectFile", "cmdNext"}));

    newProject();
    add(writePicture(QStringLiteral("a.bmp")));
    ui().cmdNext->setFocus();
    EXPECT_EQ(walk(7), (QStringList{"cmdNext", "cmdBack", "cmdCancel", "lvwFiles", "cmdAddFile",
                                    "cmdRemove", "cmdNext"}));
}

const QByteArray AboutText = "Bitvane 2.0\r\r\n"
                             "If you find Bitvane 2.0 usefull please donate!\r\n"
                             "Visit the following link to support freeware.\r\r\n"
                             "http://www.bitvane.example/downloads.php\r\r\n"
                             "To send questions, comments, bug reports, program\r\n"
                             "feature requests, etc. Visit the following link.\r\r\n"
                             "http://www.bitvane.example/contact.php";

TEST_F(WindowTest, BannerClickShowsTheAboutTextOnEveryPage)
{
    w->show();
    for (int page = 0; page < 5; ++page) {
        showPage(page);
        seam.messages.clear();
        QTest::mouseClick(ui().Picture1, Qt::LeftButton, {}, QPoint(300, 50));
        ASSERT_EQ(seam.messages.size(), 1u) << "page " << page;
        EXPECT_EQ(seam.messages[0].text.toLatin1(), AboutText);
        EXPECT_EQ(seam.messages[0].title, QStringLiteral("Bitvane"));
        EXPECT_EQ(seam.messages[0].icon, QMessageBox::Information);
        EXPECT_EQ(w->Tab(), page);
    }
}

TEST(AboutText, ShowsSevenLinesWithEmptyLinesBetweenParagraphs)
{
    const QStringList lines = displayText(QString::fromLatin1(AboutText)).split(u'\n');
    ASSERT_EQ(lines.size(), 11);
    for (int empty : {1, 4, 6, 9})
        EXPECT_TRUE(lines[empty].isEmpty()) << empty;
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("."))).size(), 7);
}

// The program's own event loop ends when the window goes, as it does for
// the user.
TEST_F(WindowTest, CancelAndTheCloseBoxEndTheProgram)
{
    for (bool useCancel : {true, false}) {
        SCOPED_TRACE(useCancel ? "Cancel" : "close box");
        w = std::make_unique<frmMain>(&seam);
        ASSERT_NO_FATAL_FAILURE(showWindow());
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        QTimer::singleShot(0, w.get(), [&] {
            if (useCancel)
                ui().cmdCancel->click();
            else
                w->close();
        });
        // A safety net only: the loop is expected to end at once.
        bool timedOut = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            timedOut = true;
            QCoreApplication::quit();
        });
        guard.start(10000);
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_FALSE(timedOut);
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(lastClosed.count(), 1);
        EXPECT_TRUE(seam.messages.empty());
    }
}

TEST_F(WindowTest, CancelEndsTheProgramFromEveryPage)
{
    for (int page = 0; page < 5; ++page) {
        auto window = std::make_unique<frmMain>(&seam);
        window->show();
        WindowProbe::showPage(*window, page);
        WindowProbe::ui(*window).cmdCancel->click();
        EXPECT_FALSE(window->isVisible()) << page;
    }
}

TEST_F(WindowTest, CloseIsRefusedWhileCompilingAndStopsALoading)
{
    w->show();
    WindowProbe::setBusyCompiling(*w, true);
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    WindowProbe::setBusyCompiling(*w, false);

    WindowProbe::setLoading(*w, true);
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(WindowProbe::loadCancelled(*w));
    EXPECT_FALSE(w->isVisible());
}

TEST_F(WindowTest, CloseWhileLoadingStopsTheLoading)
{
    w->show();
    newProject();
    add(writePicture(QStringLiteral("a.bmp")));
    seam.discardAnswers = {true};
    // The close arrives while the load page paints, before any picture.
    QTimer::singleShot(0, w.get(), [this] { w->close(); });
    next();
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(WindowProbe::loadCancelled(*w));
    EXPECT_FALSE(WindowProbe::loading(*w));
    EXPECT_EQ(w->Tab(), frmMain::PageLoadFiles);
    EXPECT_TRUE(seam.messages.empty());
}

TEST_F(WindowTest, UncaughtFailureIsShownAndTheWindowGoesOn)
{
    WindowProbe::runGuarded(
        *w, [] { throw Error(QStringLiteral("/x/a.bmp"), 3, QStringLiteral("broken")); });
    WindowProbe::runGuarded(*w, [] { throw std::runtime_error("plain failure"); });
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_EQ(seam.messages[0].text, QStringLiteral("/x/a.bmp:3: broken"));
    EXPECT_EQ(seam.messages[0].icon, QMessageBox::Critical);
    EXPECT_EQ(seam.messages[0].title, QStringLiteral("Bitvane"));
    EXPECT_EQ(seam.messages[1].text, QStringLiteral("plain failure"));
    EXPECT_EQ(w->Tab(), frmMain::PageProjectSelect);
}

} // namespace
} // namespace bitvane::testing
