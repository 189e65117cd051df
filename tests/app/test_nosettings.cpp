// The window with its real dialogs keeps no settings and starts its file dialogs in the working
// folder.
#include "windowfixture.h"

#include "app/frmformat.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDirIterator>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <deque>

namespace bitvane::testing {
namespace {

// Everything below a folder, hidden files included.
QStringList contentsOf(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

// Answers the real modal dialogs as they open, in order, each by its own
// action; a dialog that nobody answers is closed so that the test ends.
class ModalAnswers : public QObject {
public:
    using Answer = std::function<void(QWidget *)>;

    explicit ModalAnswers(std::deque<Answer> answers) : m_answers(std::move(answers))
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal == m_last)
                return;
            m_last = modal;
            ++answered;
            if (m_answers.empty()) {
                ADD_FAILURE() << "unexpected dialog " << modal->metaObject()->className();
                modal->close();
                return;
            }
            const Answer answer = std::move(m_answers.front());
            m_answers.pop_front();
            answer(modal);
        });
        m_poll.start(5);
    }
    int answered = 0;

private:
    std::deque<Answer> m_answers;
    QTimer m_poll;
    QPointer<QWidget> m_last;
};

ModalAnswers::Answer chooseFile(const QString &file, QString *startedIn = nullptr)
{
    return [file, startedIn](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        ASSERT_NE(dialog, nullptr);
        if (startedIn)
            *startedIn = dialog->directory().absolutePath();
        dialog->setDirectory(QFileInfo(file).absolutePath());
        dialog->selectFile(QFileInfo(file).fileName());
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog checks the choice
    };
}

ModalAnswers::Answer pressOk()
{
    return [](QWidget *modal) {
        if (auto *format = qobject_cast<frmFormat *>(modal))
            format->cmdOK->click();
        else if (auto *box = qobject_cast<QMessageBox *>(modal))
            box->accept();
        else
            ADD_FAILURE() << "not a message or the format dialog: "
                          << modal->metaObject()->className();
    };
}

// Clicks the message box's button with that caption; "Fix names" must be
// the default.
ModalAnswers::Answer pressButton(const QString &caption)
{
    return [caption](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        ASSERT_NE(box, nullptr);
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->defaultButton()->text(), "Fix names");
        for (QAbstractButton *button : box->buttons())
            if (button->text() == caption)
                return button->click();
        ADD_FAILURE() << "no button " << caption.toStdString();
    };
}

// Add, a whole compile and a close with every dialog real: the configuration
// folders stay empty, and each file dialog starts in the working folder
// although the one before finished elsewhere.
TEST_F(WindowTest, ARunWithTheRealDialogsWritesNoSettings)
{
    const QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    const QString home = QString::fromLocal8Bit(qgetenv("HOME"));
    ASSERT_TRUE(contentsOf(config).isEmpty());
    const QString picture = writePicture(QStringLiteral("hero.bmp"));
    QTemporaryDir elsewhere;

    QString startedIn[4];
    AllowRealDialogs realDialogs;
    ModalAnswers answers({
        chooseFile(picture, &startedIn[0]), // Add
        chooseFile(picture, &startedIn[1]), // Add again
        pressButton("Compile anyway"),      // the second "hero"
        pressOk(),                          // hexadecimal
        chooseFile(elsewhere.filePath(QStringLiteral("out.bvp")), &startedIn[2]),
        chooseFile(elsewhere.filePath(QStringLiteral("out.h")), &startedIn[3]),
        pressOk(), // "Compilation complete!"
    });
    w = std::make_unique<frmMain>(); // the real dialogs
    ASSERT_NO_FATAL_FAILURE(showWindow());
    newProject();
    ui().cmdAddFile->click();
    ui().cmdAddFile->click();
    ASSERT_EQ(rows(), 2);
    next(); // load
    next(); // to the compile page
    next(); // Finish
    EXPECT_EQ(answers.answered, 7);
    EXPECT_TRUE(QFile::exists(elsewhere.filePath(QStringLiteral("out.h"))));
    EXPECT_TRUE(w->close());
    w.reset();

    for (const QString &folder : startedIn)
        EXPECT_EQ(folder, QDir::currentPath());
    EXPECT_EQ(contentsOf(config), QStringList());
    EXPECT_EQ(contentsOf(home + QStringLiteral("/.config")), QStringList());
}

} // namespace
} // namespace bitvane::testing
