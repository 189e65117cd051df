// The dialog seam: filter and selection texts, and the real dialogs driven briefly.
#include "app/dialogseam.h"
#include "scriptedseam.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>

namespace bitvane {
namespace {

TEST(DialogSeam, FiltersBecomeQtFilters)
{
    struct Case {
        const char *filter, *qt;
    } cases[] = {
        {"Bitvane Projects|*.bvp", "Bitvane Projects (*.bvp)"},
        {"Bitvane Projects (*.bvp)|*.bvp", "Bitvane Projects (*.bvp)"},
        {"C header (*.h)|*.h", "C header (*.h)"},
        {"Picture Files (*.bmp, *.gif, *.jpg, *.jpeg)|*.bmp;*.jpg;*.jpeg;*.gif",
         "Picture Files (*.bmp *.jpg *.jpeg *.gif)"},
        {"Text|*.txt|All files|*.*", "Text (*.txt);;All files (*.*)"},
        {"Pictures (shown big)|*.png", "Pictures (shown big) (*.png)"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(toQtFilter(QLatin1String(c.filter)), QLatin1String(c.qt)) << c.filter;
}

TEST(DialogSeam, DefaultSuffixIsTheFirstPatternsExtension)
{
    EXPECT_EQ(defaultSuffix(QStringLiteral("Bitvane Projects (*.bvp)")), QStringLiteral("bvp"));
    EXPECT_EQ(defaultSuffix(QStringLiteral("C header (*.h)")), QStringLiteral("h"));
    EXPECT_EQ(defaultSuffix(QStringLiteral("Pictures (*.bmp *.gif)")), QStringLiteral("bmp"));
    EXPECT_EQ(defaultSuffix(QStringLiteral("All files (*)")), QString());
    EXPECT_EQ(defaultSuffix(QStringLiteral("All files (*.*)")), QString());
}

TEST(DialogSeam, SelectionTextOfChosenFiles)
{
    const QChar nul(0);
    EXPECT_EQ(selectionText({QStringLiteral("/pics/hero.bmp")}), QStringLiteral("/pics/hero.bmp"));
    EXPECT_EQ(selectionText({QStringLiteral("/pics/a.bmp"), QStringLiteral("/pics/b.gif")}),
              QStringLiteral("/pics") + nul + QStringLiteral("a.bmp") + nul +
                  QStringLiteral("b.gif"));
    EXPECT_EQ(selectionText({QStringLiteral("/a.bmp"), QStringLiteral("/b.bmp")}),
              QStringLiteral("/") + nul + QStringLiteral("a.bmp") + nul + QStringLiteral("b.bmp"));
    EXPECT_TRUE(selectionText({}).isEmpty());
}

TEST(DialogSeam, MessageLineBreaksBecomeNewlines)
{
    EXPECT_EQ(displayText(QStringLiteral("a\r\r\nb\r\nc")), QStringLiteral("a\n\nb\nc"));
    EXPECT_EQ(displayText(QStringLiteral("plain")), QStringLiteral("plain"));
}

// Drives the real Qt file dialog: whatever modal dialog shows next gets
// `act` run on it once the event loop reaches it.
void whenModal(std::function<void(QWidget *)> act)
{
    QTimer::singleShot(0, qApp, [act] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            whenModal(act);
            return;
        }
        act(modal);
    });
}

void typeAndAccept(QWidget *modal, const QString &name)
{
    auto *dialog = qobject_cast<QFileDialog *>(modal);
    ASSERT_NE(dialog, nullptr);
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
    static_cast<QDialog *>(dialog)->accept();
}

class QtDialogs : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // Each dialog opens in this folder through the file name it is given.
    QTemporaryDir dir;
    QtDialogSeam seam;
    testing::AllowRealDialogs realDialogs;
};

TEST_F(QtDialogs, SaveAddsTheFiltersExtensionToABareName)
{
    whenModal([](QWidget *m) { typeAndAccept(m, QStringLiteral("sprites")); });
    const auto answer = seam.showSave(nullptr, QStringLiteral("Save header as"),
                                      dir.filePath(QStringLiteral("Untitled")),
                                      QStringLiteral("C header (*.h)|*.h"));
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(QFileInfo(*answer).fileName(), QStringLiteral("sprites.h"));
    EXPECT_EQ(QFileInfo(*answer).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
}

TEST_F(QtDialogs, SaveAsksBeforeReplacingAFile)
{
    QFile existing(dir.filePath(QStringLiteral("tiles.bvp")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();

    for (bool replace : {false, true}) {
        SCOPED_TRACE(replace);
        bool asked = false;
        whenModal([&](QWidget *m) {
            // The question comes up on top of the file dialog.
            whenModal([&, m](QWidget *question) {
                if (question == m) {
                    ADD_FAILURE() << "no question asked";
                    return;
                }
                auto *box = qobject_cast<QMessageBox *>(question);
                ASSERT_NE(box, nullptr);
                asked = true;
                box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
                if (!replace)
                    static_cast<QDialog *>(m)->reject();
            });
            typeAndAccept(m, QStringLiteral("tiles"));
        });
        const auto answer = seam.showSave(nullptr, QStringLiteral("Save header as"),
                                          dir.filePath(QStringLiteral("Untitled")),
                                          QStringLiteral("Bitvane Projects (*.bvp)|*.bvp"));
        EXPECT_TRUE(asked);
        EXPECT_EQ(answer.has_value(), replace);
        if (answer) {
            EXPECT_EQ(QFileInfo(*answer).fileName(), QStringLiteral("tiles.bvp"));
        }
    }
}

TEST_F(QtDialogs, CancelAnswersNothing)
{
    whenModal([](QWidget *m) { static_cast<QDialog *>(m)->reject(); });
    EXPECT_FALSE(seam.showSave(nullptr, QStringLiteral("Save header as"), QString(),
                               QStringLiteral("C header (*.h)|*.h")));
    whenModal([](QWidget *m) { static_cast<QDialog *>(m)->reject(); });
    EXPECT_FALSE(
        seam.showOpen(nullptr, QString(), QStringLiteral("Bitvane Projects|*.bvp"), false));
}

TEST_F(QtDialogs, OpenOfSeveralFilesGivesTheSelectionText)
{
    for (const char *name : {"a.bmp", "b.bmp"}) {
        QFile f(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    whenModal([](QWidget *m) { typeAndAccept(m, QStringLiteral("\"a.bmp\" \"b.bmp\"")); });
    const auto answer = seam.showOpen(
        nullptr, dir.filePath(QStringLiteral("a.bmp")),
        QStringLiteral("Picture Files (*.bmp, *.gif, *.jpg, *.jpeg)|*.bmp;*.jpg;*.jpeg;*.gif"),
        true);
    ASSERT_TRUE(answer.has_value());
    const QString folder = QFileInfo(dir.path()).absoluteFilePath();
    EXPECT_EQ(*answer,
              folder + QChar(0) + QStringLiteral("a.bmp") + QChar(0) + QStringLiteral("b.bmp"));
}

// A real dialog that the test did not allow fails it and is closed at once,
// whichever kind it is, instead of waiting for a click.
TEST(RealDialogGuard, AnUnallowedDialogFailsTheTestAndIsClosed)
{
    QtDialogSeam real;
    std::optional<QString> answer = QStringLiteral("not asked");
    EXPECT_NONFATAL_FAILURE(answer = real.showOpen(nullptr, QString(), "All|*", false),
                            "a real QFileDialog");
    EXPECT_EQ(answer, std::nullopt);
    EXPECT_NONFATAL_FAILURE(
        real.showMessage(nullptr, "text", "Bitvane", QMessageBox::Information),
        "a real QMessageBox \"Bitvane\" opened where the test scripted no answer");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
} // namespace bitvane
