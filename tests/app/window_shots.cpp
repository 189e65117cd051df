// Saves pictures of the window's pages and of the about box, for looking at
// the layout with real fonts under an X server:
//
//     xvfb-run -s "-screen 0 1024x768x24" window_shots OUTDIR
//
// Not a test: it checks nothing, it only draws.

#include "windowprobe.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

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
    bitvane::frmMainUi &ui = bitvane::WindowProbe::ui(w);
    w.show();
    settle();
    auto shot = [&](const char *name) {
        settle();
        w.grab().save(out.filePath(QLatin1String(name)));
    };

    shot("page0.png");
    ui.optExistingProject->click();
    ui.txtProjectFile->setText(QStringLiteral("/home/ann/sprites/tiles.bvp"));
    shot("page0-existing.png");
    ui.optNewProject->click();

    ui.cmdNext->click();
    // Only files that exist are added.
    const QTemporaryDir art;
    QString selection = art.path();
    for (const char *name : {"hero.bmp", "alien.gif", "ship.big.jpg",
                             "a-very-long-picture-file-name-for-the-column.jpeg"}) {
        QFile(art.filePath(QLatin1String(name))).open(QIODevice::WriteOnly);
        selection += QChar(0) + QLatin1String(name);
    }
    seam.answers.push_back(selection);
    ui.cmdAddFile->click();
    ui.lvwFiles->setCurrentIndex(ui.lvwFiles->model()->index(1, 0));
    shot("page1.png");

    bitvane::WindowProbe::showPage(w, bitvane::frmMain::PageCompile);
    shot("page4.png");

    seam.messageShot = out.filePath(QStringLiteral("about.png"));
    bitvane::WindowProbe::Picture1_Click(w);
    return 0;
}
