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
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
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

    // Page 3 with three sprites: 8 x 8, 16 x 16 and a 40 x 300 photo cut to
    // 32 x 240, drawn in colour so that the before view differs.
    bitvane::WindowProbe::showPage(w, bitvane::frmMain::PageEditFiles);
    w.findChild<QTreeView *>(QStringLiteral("lvwFiles"))->selectAll();
    ui.cmdRemove->click();
    const QTemporaryDir sprites;
    auto draw = [&](const char *name, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int cx = 2 * x - width + 1, cy = 2 * y - height + 1;
                const int r = (cx * cx + cy * cy) * 16 / (width * width + 1);
                image.setPixel(x, y,
                               qRgb(255 - 60 * (r % 5), 200 - 40 * (r % 4), 90 + 30 * (x % 3)));
            }
        image.save(sprites.filePath(QLatin1String(name)));
        return QLatin1String(name);
    };
    seam.answers.push_back(sprites.path() + QChar(0) + draw("coin.png", 8, 8) + QChar(0) +
                           draw("ship.png", 16, 16) + QChar(0) + draw("tower.png", 40, 300));
    ui.cmdAddFile->click();
    ui.cmdNext->click();
    const char *names[] = {"page3-8x8.png", "page3-16x16.png", "page3-32x240.png"};
    for (int i = 0; i < 3; ++i) {
        ui.lstPictures->setCurrentIndex(ui.lstPictures->model()->index(i, 0));
        shot(names[i]);
    }
    ui.lstPictures->setCurrentIndex(ui.lstPictures->model()->index(1, 0));
    ui.sldContrast->setValue(40);
    shot("page3-16x16-contrast.png");

    // The README's picture of page 3: a small drawn heart.
    const char *const heart[] = {
        "................", "..kkkk....kkkk..", ".kppppk..krrrrk.", "kppwwppkkrrrrrrk",
        "kpwwpppkrrrrrrrk", "kppppprrrrrrrrrk", "kpppprrrrrrrrrrk", ".kpprrrrrrrrrrk.",
        "..krrrrrrrrrrk..", "...krrrrrrrrk...", "....krrrrrrk....", ".....krrrrk.....",
        "......krrk......", ".......kk.......", "................", "................"};
    QImage picture(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const char c = heart[y][x];
            picture.setPixel(x, y,
                             c == 'k'   ? qRgb(20, 10, 10)
                             : c == 'r' ? qRgb(200, 30, 40)
                             : c == 'p' ? qRgb(250, 150, 160)
                             : c == 'w' ? qRgb(255, 250, 250)
                                        : qRgb(255, 255, 255));
        }
    picture.save(sprites.filePath(QStringLiteral("heart.png")));
    bitvane::WindowProbe::showPage(w, bitvane::frmMain::PageEditFiles);
    seam.answers.push_back(sprites.filePath(QStringLiteral("heart.png")));
    ui.cmdAddFile->click();
    ui.cmdNext->click();
    ui.lstPictures->setCurrentIndex(ui.lstPictures->model()->index(3, 0));
    shot("edit-pictures.png");

    seam.messageShot = out.filePath(QStringLiteral("about.png"));
    bitvane::WindowProbe::Picture1_Click(w);
    return 0;
}
