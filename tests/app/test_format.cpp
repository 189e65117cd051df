// frmFormat: layout, keyboard and the answer of each way of closing it.
#include "app/frmformat.h"
#include "layoutchecks.h"
#include "scriptedseam.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using bitvane::frmFormat;

namespace {

// Runs action on the dialog once it waits modally, then makes sure the wait
// ends even when the action fails to end it, so that a broken dialog fails
// the test instead of hanging it. Each poll hands the state on to the next
// one it schedules; nothing holds itself, so nothing leaks.
struct Waiting {
    std::function<void(frmFormat &)> action;
    bool *sawHexSelected = nullptr;
    int tries = 0;
};

void poll(std::shared_ptr<Waiting> waiting)
{
    auto *dialog = qobject_cast<frmFormat *>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) {
        if (++waiting->tries < 500)
            QTimer::singleShot(2, [waiting] { poll(waiting); });
        else
            ADD_FAILURE() << "the dialog never waited";
        return;
    }
    // Keys reach the buttons only through the focus of an active window.
    dialog->activateWindow();
    if (!QTest::qWaitForWindowActive(dialog))
        ADD_FAILURE() << "the dialog never became active";
    if (waiting->sawHexSelected)
        *waiting->sawHexSelected = dialog->optHex->isChecked() && !dialog->optBin->isChecked();
    waiting->action(*dialog);
    QTimer::singleShot(2000, dialog, [dialog] {
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog is still open";
            dialog->done(QDialog::Rejected);
        }
    });
}

void whenWaiting(std::function<void(frmFormat &)> action, bool *sawHexSelected = nullptr)
{
    auto waiting = std::make_shared<Waiting>(Waiting{std::move(action), sawHexSelected, 0});
    QTimer::singleShot(0, [waiting] { poll(waiting); });
}

QWidget *focusOf(frmFormat &d)
{
    QWidget *f = QApplication::focusWidget();
    return f && f->window() == &d ? f : &d;
}

struct Call {
    const char *what;
    std::function<void(frmFormat &)> act;
    bool expected;
};

const std::vector<Call> &calls()
{
    static const std::vector<Call> list = {
        {"OK untouched", [](frmFormat &d) { QTest::mouseClick(d.cmdOK, Qt::LeftButton); }, true},
        {"Binary then OK",
         [](frmFormat &d) {
             QTest::mouseClick(d.optBin, Qt::LeftButton);
             QTest::mouseClick(d.cmdOK, Qt::LeftButton);
         },
         false},
        {"OK again after Binary", [](frmFormat &d) { d.cmdOK->click(); }, true},
        {"Binary then the close box",
         [](frmFormat &d) {
             QTest::mouseClick(d.optBin, Qt::LeftButton);
             d.close();
         },
         false},
        {"the close box untouched", [](frmFormat &d) { d.close(); }, true},
        {"Binary then Enter",
         [](frmFormat &d) {
             QTest::mouseClick(d.optBin, Qt::LeftButton);
             QTest::keyClick(focusOf(d), Qt::Key_Return);
         },
         false},
        {"Binary then Escape",
         [](frmFormat &d) {
             QTest::mouseClick(d.optBin, Qt::LeftButton);
             QTest::keyClick(focusOf(d), Qt::Key_Escape);
         },
         false},
        {"Binary, Hexidecimal, OK",
         [](frmFormat &d) {
             QTest::mouseClick(d.optBin, Qt::LeftButton);
             QTest::mouseClick(d.optHex, Qt::LeftButton);
             QTest::keyClick(focusOf(d), Qt::Key_Enter);
         },
         true},
        {"arrow key to Binary, then Space on OK",
         [](frmFormat &d) {
             d.optHex->setFocus();
             QTest::keyClick(d.optHex, Qt::Key_Down);
             d.cmdOK->setFocus();
             QTest::keyClick(d.cmdOK, Qt::Key_Space);
         },
         false},
    };
    return list;
}

class FormatDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner.setFixedSize(648, 537);
        owner.move(120, 80);
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    }
    QWidget owner;
    bitvane::testing::AllowRealDialogs realDialogs; // the dialog itself is what is tested
};

} // namespace

// The client area is the one geometry checked as numbers; the controls lie
// inside it without overlap, the options above each other, OK beside them.
TEST_F(FormatDialog, Layout)
{
    frmFormat d(&owner);
    EXPECT_EQ(d.windowTitle(), "Bitvane");
    EXPECT_EQ(d.minimumSize(), QSize(185, 65));
    EXPECT_EQ(d.maximumSize(), QSize(185, 65));
    EXPECT_EQ(d.optHex->text(), "Hexidecimal");
    EXPECT_EQ(d.optBin->text(), "Binary");
    EXPECT_EQ(d.cmdOK->text(), "OK");
    bitvane::testing::ExpectInsideWithoutOverlap(&d, QRect(0, 0, 185, 65));
    EXPECT_EQ(d.optHex->x(), d.optBin->x());
    EXPECT_LT(d.optHex->y(), d.optBin->y());
    EXPECT_GT(d.cmdOK->x(), std::max(d.optHex->geometry().right(), d.optBin->geometry().right()));
    EXPECT_EQ(d.font().families().value(0), "Trebuchet MS");
    EXPECT_DOUBLE_EQ(d.cmdOK->font().pointSizeF(), 8.25);
    EXPECT_TRUE(d.cmdOK->isDefault());
    EXPECT_EQ(d.optHex->nextInFocusChain(), d.optBin);
    EXPECT_EQ(d.optBin->nextInFocusChain(), d.cmdOK);
}

// Every caption must fit its box in the font actually used, or a fallback
// face would show a clipped "Hexidecimal".
TEST_F(FormatDialog, CaptionsFitTheirBoxes)
{
    frmFormat d(&owner);
    bitvane::testing::ExpectCaptionsFit(&d);
}

// One dialog asked again and again, as the compile asks once per run: each
// call starts on "Hexidecimal" and answers what was shown when it ended.
TEST_F(FormatDialog, AnswerAtEachCallOnOneDialog)
{
    frmFormat d(&owner);
    for (const Call &call : calls()) {
        bool hexShown = false;
        whenWaiting(call.act, &hexShown);
        EXPECT_EQ(d.HexOrBin(), call.expected) << call.what;
        EXPECT_TRUE(hexShown) << call.what;
        EXPECT_FALSE(d.isVisible()) << call.what;
    }
}

TEST_F(FormatDialog, AnswerAtEachCallOnFreshDialogs)
{
    for (const Call &call : calls()) {
        frmFormat d(&owner);
        bool hexShown = false;
        whenWaiting(call.act, &hexShown);
        EXPECT_EQ(d.HexOrBin(), call.expected) << call.what;
        EXPECT_TRUE(hexShown) << call.what;
    }
}

TEST_F(FormatDialog, WaitsModallyWithTheOwnerLive)
{
    frmFormat d(&owner);
    bool modal = false;
    bool ownerBlocked = false;
    whenWaiting([&](frmFormat &dialog) {
        modal = dialog.isModal();
        ownerBlocked = !owner.isEnabled() || QApplication::activeModalWidget() == &dialog;
        dialog.cmdOK->click();
    });
    EXPECT_TRUE(d.HexOrBin());
    EXPECT_TRUE(modal);
    EXPECT_TRUE(ownerBlocked);
}

TEST_F(FormatDialog, CentredOverTheOwnerWhereverItIs)
{
    frmFormat d(&owner);
    for (QPoint at : {QPoint(120, 80), QPoint(300, 20), QPoint(0, 0)}) {
        owner.move(at);
        QApplication::processEvents();
        QRect shown;
        whenWaiting([&](frmFormat &dialog) {
            shown = dialog.frameGeometry();
            dialog.cmdOK->click();
        });
        d.HexOrBin();
        const QRect o = owner.frameGeometry();
        EXPECT_LE(std::abs(shown.center().x() - o.center().x()), 1) << at.x() << "," << at.y();
        EXPECT_LE(std::abs(shown.center().y() - o.center().y()), 1) << at.x() << "," << at.y();
    }
}
