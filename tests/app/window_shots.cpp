// Saves pictures of the window's pages and of the about box, for looking at
// the layout with real fonts under an X server:
//
//     xvfb-run -s "-screen 0 1024x768x24" window_shots OUTDIR
//
// Not a test: it checks nothing, it only draws.

#include "app/frmmain.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <deque>

namespace {

// Answers the file dialogs from a queue; message boxes are the real ones,
// photographed and closed.
class ShotSeam : public bitvane::QtDialogSeam {
public:
    std::deque<QString> answers;
    QString messageShot;

    std::optional<QString> showOpen(QWidget *, const QString &, const QString &, bool) override
    {
        if (answers.empty())
            return std::nullopt;
        QString a = answers.front();
        answers.pop_front();
        return a;
    }

    void showMessage(QWidget *parent, const QString &text, const QString &title,
                     QMessageBox::Icon icon) override
    {
        QTimer::singleShot(300, [this] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                box->grab().save(messageShot);
                box->close();
            }
        });
        QtDialogSeam::showMessage(parent, text, title, icon);
    }
};

void settle()
{
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_shots OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    ShotSeam seam;
    bitvane::frmMain w(&seam);
    w.show();
    settle();
    auto shot = [&](const char *name) {
        settle();
        w.grab().save(out.filePath(QLatin1String(name)));
    };

    shot("page0.png");
    w.optExistingProject->click();
    w.txtProjectFile->setText(QStringLiteral("/home/ann/sprites/tiles.bvp"));
    shot("page0-existing.png");
    w.optNewProject->click();

    w.cmdNext->click();
    const QChar nul(0);
    seam.answers.push_back(QStringLiteral("/home/ann/sprites/art") + nul +
                           QStringLiteral("hero.bmp") + nul + QStringLiteral("alien.gif") + nul +
                           QStringLiteral("ship.big.jpg") + nul +
                           QStringLiteral("a-very-long-picture-file-name-for-the-column.jpeg"));
    w.cmdAddFile->click();
    w.lvwFiles->topLevelItem(1)->setSelected(true);
    shot("page1.png");

    w.setTab(bitvane::frmMain::PageCompile);
    w.cmdNext->setText(QStringLiteral("Finish"));
    shot("page4.png");

    seam.messageShot = out.filePath(QStringLiteral("about.png"));
    w.Picture1_Click();
    return 0;
}
