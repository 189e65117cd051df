#include "app/frmmain.h"

#include "compiler/compilerun.h"
#include "compiler/outputfile.h"
#include "error.h"
#include "imaging/adjustments.h"
#include "imaging/pictureloader.h"
#include "project/paths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QTreeWidget>

namespace bitvane {

namespace {

const QString AppTitle = QStringLiteral("Bitvane");
const QString ProjectSaveFilter = QStringLiteral("Bitvane Projects (*.bvp)|*.bvp");
const QString HeaderSaveFilter = QStringLiteral("C header (*.h)|*.h");
constexpr int LocationColumn = 1;

// Runs on every way out of a scope, exceptions included.
template <typename F> class Finally {
public:
    explicit Finally(F f) : m_f(std::move(f)) {}
    ~Finally() { m_f(); }
    Finally(const Finally &) = delete;
    Finally &operator=(const Finally &) = delete;

private:
    F m_f;
};

// The work boxes are centred in an area that starts at their frame's corner.
void centreIn(QWidget *box, int areaWidth, int areaHeight)
{
    box->move((areaWidth - box->width()) / 2, (areaHeight - box->height()) / 2);
}

// What the header will hold for a picture: contrast first, then brightness,
// the compile's order. dst takes src's size.
void drawAdjusted(PictureSurface &dst, const PictureSurface &src, const PictureEntry &entry)
{
    dst.resize(src.width(), src.height());
    ApplyContrast(dst, src, entry.Contrast);
    ApplyBrightness(dst, dst, entry.Brightness);
}

} // namespace

void frmMain::LoadPictures()
{
    const int rows = lvwFiles->topLevelItemCount();
    // Entries change only when every picture has loaded: a picture that
    // fails, or a close meanwhile, leaves them as they were.
    std::vector<PictureEntry> loaded(std::size_t(rows), PictureEntry{});

    prbLoadFiles->setRange(0, rows);
    picLoad->show();
    const Finally hideLoad([this] { picLoad->hide(); });
    for (int i = 0; i < rows; ++i) {
        const QTreeWidgetItem *row = lvwFiles->topLevelItem(i);
        PictureEntry &entry = loaded[std::size_t(i)];
        entry.Image = LoadPicture(row->text(LocationColumn));
        picLoad->setSurface(entry.Image);
        centreIn(picLoad, width(), tabMain->height());
        QCoreApplication::processEvents();
        if (m_loadCancelled)
            return;

        entry.Name = row->text(0);
        entry.Brightness = std::int16_t(row->data(0, RoleBrightness).toInt());
        entry.Contrast = std::int16_t(row->data(0, RoleContrast).toInt());
        prbLoadFiles->setValue(i + 1);
    }
    Entries = std::move(loaded);
}

void frmMain::FillPictureList()
{
    lstPictures->clear();
    for (const PictureEntry &entry : Entries)
        lstPictures->addItem(entry.Name);
}

void frmMain::lstPictures_Click()
{
    const int k = lstPictures->currentRow();
    if (k < 0 || std::size_t(k) >= Entries.size())
        return;
    const PictureEntry &entry = Entries[std::size_t(k)];

    picTemp->setSurface(entry.Image);
    drawAdjusted(picDisp->surface(), picTemp->surface(), entry);
    picDisp->resize(picTemp->size());
    picDisp->refresh();
    // Centred in the part of the page right of the list.
    picDisp->move((width() - picDisp->width() + lstPictures->width()) / 2,
                  (tabMain->height() - picDisp->height()) / 2);

    // Showing a picture's settings is not choosing them: the change handlers
    // must not run and store anything.
    {
        const QSignalBlocker quietBrightness(sldBrightness);
        const QSignalBlocker quietContrast(sldContrast);
        sldBrightness->setValue(entry.Brightness);
        sldContrast->setValue(entry.Contrast);
    }
    QCoreApplication::processEvents();
}

void frmMain::sldBrightness_Change()
{
    const int k = lstPictures->currentRow();
    if (k < 0 || std::size_t(k) >= Entries.size())
        return;
    setCursor(Qt::WaitCursor);
    const Finally normalPointer([this] { unsetCursor(); });

    // Both sliders are read, whichever moved; the row keeps them too, so the
    // settings survive going back to the file list and reloading.
    PictureEntry &entry = Entries[std::size_t(k)];
    entry.Brightness = std::int16_t(sldBrightness->value());
    entry.Contrast = std::int16_t(sldContrast->value());
    if (QTreeWidgetItem *row = lvwFiles->topLevelItem(k)) {
        row->setData(0, RoleBrightness, int(entry.Brightness));
        row->setData(0, RoleContrast, int(entry.Contrast));
    }

    drawAdjusted(picDisp->surface(), picTemp->surface(), entry);
    picDisp->refresh();
}

void frmMain::sldContrast_Change()
{
    sldBrightness_Change();
}

bool frmMain::CompileProject()
{
    const Finally hideCompile([this] { picCompile->hide(); });
    try {
        QString preset = QStringLiteral("Untitled");
        if (!optNewProject->isChecked()) {
            const QString opened = txtProjectFile->text();
            // A project file named without an extension opens fine; it must
            // not become impossible to compile again.
            try {
                preset = GetBaseName(opened);
            } catch (const Error &) {
                preset = QFileInfo(opened).fileName();
            }
        }

        const bool hex = dialogs().hexOrBin(this);
        const std::optional<QString> projectPath =
            dialogs().showSave(this, preset, ProjectSaveFilter);
        if (!projectPath)
            return false;
        CheckOutputTarget(*projectPath);
        const std::optional<QString> headerPath =
            dialogs().showSave(this, preset, HeaderSaveFilter);
        if (!headerPath)
            return false;
        CheckOutputTarget(*headerPath);

        const int rows = lvwFiles->topLevelItemCount();
        if (std::size_t(rows) != Entries.size())
            throw Error(QStringLiteral("the picture list changed since the pictures were loaded; "
                                       "go back and load them again"));
        CompileJob job;
        job.hex = hex;
        job.headerPath = *headerPath;
        job.projectPath = *projectPath;
        job.entries.reserve(std::size_t(rows));
        for (int i = 0; i < rows; ++i) {
            const PictureEntry &entry = Entries[std::size_t(i)];
            job.entries.push_back({entry.Name, lvwFiles->topLevelItem(i)->text(LocationColumn),
                                   entry.Brightness, entry.Contrast});
        }
        job.image = [this](int i) {
            const PictureEntry &entry = Entries[std::size_t(i)];
            // The box shows what is being written. A setting the passes
            // refuse is left for the compile to report with its picture.
            try {
                drawAdjusted(picCompile->surface(), entry.Image, entry);
                picCompile->resize(entry.Image.width(), entry.Image.height());
                picCompile->refresh();
            } catch (const Error &) {
                picCompile->setSurface(entry.Image);
            }
            centreIn(picCompile, width(), tabMain->height());
            return entry.Image;
        };
        job.progress = [this](int done, int) {
            prbCompile->setValue(done);
            QCoreApplication::processEvents();
        };

        prbCompile->setRange(0, rows);
        picCompile->show();
        RunCompile(job);
        return true;
    } catch (const Error &failure) {
        picCompile->hide();
        dialogs().showMessage(this, failure.message(), AppTitle, QMessageBox::Critical);
        return false;
    }
}

} // namespace bitvane
