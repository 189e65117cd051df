// frmMain's picture pages: loading the pictures, the preview with its sliders, the compile.
#include "app/frmmain.h"

#include "app/filelistmodel.h"
#include "app/frmmain_ui.h"
#include "app/picturewatcher.h"
#include "app/sheetframes.h"

#include "compiler/compilerun.h"
#include "compiler/outputset.h"
#include "error.h"
#include "imaging/adjustments.h"
#include "imaging/pictureloader.h"
#include "imaging/shading.h"
#include "project/paths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTimer>

namespace bitvane {

namespace {

const QString ProjectSaveFilter = QStringLiteral("Bitvane Projects (*.bvp)|*.bvp");
const QString HeaderSaveFilter = QStringLiteral("C header (*.h)|*.h");

// The nearest value on the slider's steps, as a drag would give.
int snapToSteps(const QSlider *slider, int value)
{
    const int step = slider->singleStep();
    const int snapped = int(std::lround(double(value) / step)) * step;
    return std::clamp(snapped, slider->minimum(), slider->maximum());
}

// The number box follows its slider without the change coming back.
void showNumber(QSpinBox *box, int value)
{
    const QSignalBlocker quiet(box);
    box->setValue(value);
}

// The frame the frame box chooses, within the sprite's frames.
int ShownFrame(const QSpinBox *box, const LoadedSprite &sprite)
{
    return std::clamp(box->value(), 0, sprite.frameCount() - 1);
}

// The work boxes are centred in an area that starts at their frame's corner.
void centreIn(QWidget *box, int areaWidth, int areaHeight)
{
    box->move((areaWidth - box->width()) / 2, (areaHeight - box->height()) / 2);
}

} // namespace

void frmMain::LoadPictures()
{
    const int count = int(Entries.size());
    // The entries change only when every picture has loaded: a picture that
    // fails, or a close meanwhile, leaves them as they were.
    std::vector<LoadedSprite> sprites(Entries.size());

    ui->prbLoadFiles->setRange(0, count);
    ui->picLoad->show();
    const auto hideLoad = qScopeGuard([this] { ui->picLoad->hide(); });
    for (int i = 0; i < count; ++i) {
        LoadedSprite &sprite = sprites[std::size_t(i)];
        const PictureEntry &entry = Entries[std::size_t(i)];
        sprite = LoadSprite(entry.Location, ResolveOptions(entry.Options), KeepFitted::Yes);
        ui->picLoad->setSurface(sprite.Image);
        centreIn(ui->picLoad, width(), ui->tabMain->height());
        QCoreApplication::processEvents();
        if (m_loadCancelled)
            return;
        ui->prbLoadFiles->setValue(i + 1);
    }
    for (std::size_t i = 0; i < sprites.size(); ++i)
        Entries[i].Sprite = std::move(sprites[i]);
    // The names a picture writes follow the frames it turned out to have,
    // so the list's signs are worked out again.
    m_files->entriesLoaded();
}

int frmMain::currentPicture() const
{
    const int k = ui->lstPictures->currentIndex().row();
    return k >= 0 && std::size_t(k) < Entries.size() ? k : -1;
}

void frmMain::lstPictures_Click()
{
    const int k = currentPicture();
    if (k < 0)
        return;
    const PictureEntry &entry = Entries[std::size_t(k)];

    const PictureSurface &image = entry.Sprite.Image;
    showFrames(entry);
    drawFrame();
    ui->lblInfo->setText(
        SpriteInfoText(QSize(image.width(), image.height()), entry.Sprite.SourceSize,
                       ui->optModern->isChecked() ? HeaderStyle::Modern : HeaderStyle::Classic,
                       ResolveOptions(entry.Options), entry.Sprite.frameCount()));
    showPictureOptions(entry);
    cboZoom_Change();

    // Showing a picture's settings is not choosing them: the change handlers
    // must not run and store anything.
    {
        const QSignalBlocker quietBrightness(ui->sldBrightness);
        const QSignalBlocker quietContrast(ui->sldContrast);
        ui->sldBrightness->setValue(entry.Brightness);
        ui->sldContrast->setValue(entry.Contrast);
    }
    showNumber(ui->spnBrightness, entry.Brightness);
    showNumber(ui->spnContrast, entry.Contrast);
    QCoreApplication::processEvents();
}

void frmMain::showPictureOptions(const PictureEntry &entry)
{
    const PictureOptions options = ResolveOptions(entry.Options);
    const QSignalBlocker quietFit(ui->cboFit);
    const QSignalBlocker quietWidth(ui->cboWidth);
    const QSignalBlocker quietBlack(ui->spnBlack);
    const QSignalBlocker quietWhite(ui->spnWhite);
    const QSignalBlocker quietShading(ui->cboShading);
    ui->cboFit->setCurrentIndex(ui->cboFit->findData(int(options.fit)));
    ui->cboWidth->setCurrentIndex(ui->cboWidth->findData(options.width));
    ui->cboWidth->setEnabled(options.fit == FitMode::Scale);
    // Each point keeps the other's side: black stays below white.
    ui->spnBlack->setMaximum(254);
    ui->spnWhite->setMinimum(1);
    ui->spnBlack->setValue(options.black);
    ui->spnWhite->setValue(options.white);
    ui->spnBlack->setMaximum(options.white - 1);
    ui->spnWhite->setMinimum(options.black + 1);
    ui->cboShading->setCurrentIndex(ui->cboShading->findData(int(options.shade)));

    // The boxes offer only sheets the picture holds: a cell within it, at
    // most its whole cells; a frame count only where there can be frames.
    const QSignalBlocker quietCellWidth(ui->spnCellWidth);
    const QSignalBlocker quietCellHeight(ui->spnCellHeight);
    const QSignalBlocker quietFrames(ui->spnFrames);
    const QSize picture = WholePictureSize(entry.Sprite);
    const QSize cell(options.cellWidth, options.cellHeight);
    ui->spnCellWidth->setRange(0, std::min(picture.width(), MaxCellSide));
    ui->spnCellHeight->setRange(0, std::min(picture.height(), MaxCellSide));
    ui->spnCellWidth->setValue(cell.width());
    ui->spnCellHeight->setValue(cell.height());
    const int mostFrames = options.isSheet()  ? std::min(WholeCells(picture, cell), MaxSprites)
                           : entry.Sprite.Gif ? MaxSprites
                                              : 1;
    ui->spnFrames->setRange(0, mostFrames);
    ui->spnFrames->setValue(options.frames);
    ui->spnFrames->setEnabled(options.isSheet() || entry.Sprite.Gif);
    ui->lblLeftover->setText(LeftoverNote(picture, cell));

    // Palette order ranks the fitted picture's own colours, at most four.
    QString tooManyColours;
    try {
        PaletteLevels(entry.Sprite.Fitted, entry.Sprite.Columns,
                      QFileInfo(entry.Location).fileName());
    } catch (const Error &e) {
        tooManyColours = e.message();
    }
    auto *shadings = qobject_cast<QStandardItemModel *>(ui->cboShading->model());
    QStandardItem *palette = shadings->item(ui->cboShading->findData(int(ShadeMode::Palette)));
    palette->setEnabled(tooManyColours.isEmpty());
    palette->setToolTip(tooManyColours);
    ui->cboShading->setToolTip(tooManyColours);
}

void frmMain::pictureOptions_Change()
{
    const int k = currentPicture();
    if (k < 0)
        return;
    PictureEntry &entry = Entries[std::size_t(k)];
    PictureOptions chosen = WithSheetChoice(
        ResolveOptions(entry.Options), QSize(ui->spnCellWidth->value(), ui->spnCellHeight->value()),
        ui->spnFrames->value(), WholePictureSize(entry.Sprite));
    chosen.fit = FitMode(ui->cboFit->currentData().toInt());
    chosen.width = chosen.fit == FitMode::Scale ? ui->cboWidth->currentData().toInt() : 0;
    chosen.black = ui->spnBlack->value();
    chosen.white = ui->spnWhite->value();
    chosen.shade = ShadeMode(ui->cboShading->currentData().toInt());
    if (chosen == ResolveOptions(entry.Options))
        return;
    setCursor(Qt::WaitCursor);
    const auto normalPointer = qScopeGuard([this] { unsetCursor(); });

    LoadedSprite sprite;
    try {
        sprite = LoadSprite(entry.Location, chosen, KeepFitted::Yes);
    } catch (const Error &) {
        showPictureOptions(entry);
        throw;
    }
    entry.Options = ChoicesOf(chosen);
    entry.Sprite = std::move(sprite);
    // Page 1's frame count and the names a sheet writes follow.
    m_files->entryChanged(k);
    lstPictures_Click();
}

void frmMain::showFrames(const PictureEntry &entry)
{
    const int frames = entry.Sprite.frameCount();
    {
        const QSignalBlocker quiet(ui->spnFrame);
        ui->spnFrame->setRange(0, frames - 1);
    }
    for (QWidget *control :
         std::initializer_list<QWidget *>{ui->lblFrame, ui->spnFrame, ui->cmdPlay})
        control->setVisible(frames > 1);
    if (frames < 2)
        stopPlaying();
}

void frmMain::drawFrame()
{
    const int k = currentPicture();
    if (k < 0)
        return;
    const PictureEntry &entry = Entries[std::size_t(k)];
    const int frame = ShownFrame(ui->spnFrame, entry.Sprite);
    ApplyAdjustments(ui->picDisp->surface(), entry.Sprite.frameImage(frame), entry.Contrast,
                     entry.Brightness);
    ui->picDisp->setMask(ui->chkMasks->isChecked() ? entry.Sprite.frameMask(frame) : SpriteMask{});
    ui->picDisp->refresh();
    ui->picBefore->setSurface(entry.Sprite.frameFitted(frame));
}

void frmMain::cmdPlay_Click()
{
    const int k = currentPicture();
    if (m_player->isActive() || k < 0) {
        stopPlaying();
        return;
    }
    const LoadedSprite &sprite = Entries[std::size_t(k)].Sprite;
    m_player->start(FrameDelayMs(sprite, ShownFrame(ui->spnFrame, sprite)));
    ui->cmdPlay->setText(QStringLiteral("&Pause"));
}

void frmMain::stopPlaying()
{
    m_player->stop();
    ui->cmdPlay->setText(QStringLiteral("&Play"));
}

void frmMain::playerStep()
{
    const int k = currentPicture();
    if (k < 0 || Entries[std::size_t(k)].Sprite.frameCount() < 2) {
        stopPlaying();
        return;
    }
    const LoadedSprite &sprite = Entries[std::size_t(k)].Sprite;
    const int next = (ShownFrame(ui->spnFrame, sprite) + 1) % sprite.frameCount();
    ui->spnFrame->setValue(next);
    m_player->start(FrameDelayMs(sprite, next));
}

void frmMain::cboZoom_Change()
{
    const PictureSurface &sprite = ui->picDisp->surface();
    int zoom = ui->cboZoom->currentData().toInt();
    if (zoom <= 0) {
        // Fit: what the scroll area shows without scrolling, less the
        // captions above the previews.
        QWidget *pane = ui->scrPreview->widget();
        pane->layout()->activate();
        const QSize area = ui->scrPreview->maximumViewportSize() - QSize(0, ui->picDisp->y());
        zoom = FitZoom(QSize(sprite.width(), sprite.height()), area, PreviewGap);
    }
    ui->picBefore->setZoom(zoom);
    ui->picDisp->setZoom(zoom);
    ui->scrPreview->widget()->layout()->activate();
}

void frmMain::spnBrightness_Change()
{
    ui->sldBrightness->setValue(snapToSteps(ui->sldBrightness, ui->spnBrightness->value()));
    // A value the slider already had still shows snapped in the box.
    showNumber(ui->spnBrightness, ui->sldBrightness->value());
}

void frmMain::spnContrast_Change()
{
    ui->sldContrast->setValue(snapToSteps(ui->sldContrast, ui->spnContrast->value()));
    showNumber(ui->spnContrast, ui->sldContrast->value());
}

void frmMain::sldBrightness_Change()
{
    const int k = currentPicture();
    if (k < 0)
        return;
    setCursor(Qt::WaitCursor);
    const auto normalPointer = qScopeGuard([this] { unsetCursor(); });

    // Both sliders are read, whichever moved.
    PictureEntry &entry = Entries[std::size_t(k)];
    entry.Brightness = std::int16_t(ui->sldBrightness->value());
    entry.Contrast = std::int16_t(ui->sldContrast->value());
    showNumber(ui->spnBrightness, entry.Brightness);
    showNumber(ui->spnContrast, entry.Contrast);
    ApplyAdjustments(ui->picDisp->surface(),
                     entry.Sprite.frameImage(ShownFrame(ui->spnFrame, entry.Sprite)),
                     entry.Contrast, entry.Brightness);
    ui->picDisp->refresh();
}

void frmMain::sldContrast_Change()
{
    sldBrightness_Change();
}

void frmMain::picturesChanged(const QStringList &locations)
{
    // The entries hold still while a step works through them.
    if (m_loading || m_busyCompiling) {
        QTimer::singleShot(PictureWatcher::SettleMs, this, [this, locations] {
            if (Tab() >= PageEditPictures)
                runGuarded([this, locations] { picturesChanged(locations); });
        });
        return;
    }
    bool shownChanged = false;
    for (const QString &location : locations) {
        QString problem;
        try {
            // Each entry of the file with its own fit, levels and shading.
            for (std::size_t i = 0; i < Entries.size(); ++i) {
                PictureEntry &entry = Entries[i];
                if (entry.Location != location)
                    continue;
                entry.Sprite = LoadSprite(location, ResolveOptions(entry.Options), KeepFitted::Yes);
                shownChanged = shownChanged || int(i) == currentPicture();
            }
        } catch (const Error &e) {
            // The last picture that loaded stays, and is what a compile writes.
            problem = e.message();
        }
        m_files->setPictureProblem(location, problem);
    }
    if (shownChanged)
        lstPictures_Click();
}

ProjectSettings frmMain::pageSettings() const
{
    ProjectSettings settings;
    settings.style = ui->optModern->isChecked() ? HeaderStyle::Modern : HeaderStyle::Classic;
    settings.masks = ui->chkMasks->isChecked();
    settings.hex = m_hex;
    settings.relativeLocations = ui->chkRelative->isChecked();
    settings.shared = settings.style == HeaderStyle::Modern && ui->chkShared->isChecked();
    return settings;
}

void frmMain::presetSettings(const ProjectSettings &settings)
{
    (settings.style == HeaderStyle::Modern ? ui->optModern : ui->optClassic)->setChecked(true);
    ui->chkMasks->setChecked(settings.masks);
    ui->chkShared->setChecked(settings.shared);
    ui->chkRelative->setChecked(settings.relativeLocations);
    m_hex = settings.hex;
}

void frmMain::stopWatching()
{
    m_watcher->clear();
    m_files->clearPictureProblems();
}

std::optional<frmMain::WrittenFiles> frmMain::CompileProject()
{
    const auto hideCompile = qScopeGuard([this] { ui->picCompile->hide(); });
    try {
        QString preset = QStringLiteral("Untitled");
        QString opened; // the project file the pictures came from
        if (!ui->optNewProject->isChecked()) {
            opened = ui->txtProjectFile->text();
            // A project file named without an extension opens fine; it must
            // not become impossible to compile again.
            try {
                preset = GetBaseName(opened);
            } catch (const Error &) {
                preset = QFileInfo(opened).fileName();
            }
        }

        // Each answer is refused at once when the compile could not write
        // it: no ordinary file, or a picture of the project. The project
        // may be saved over the one it was opened from, the header not.
        OutputSet readFiles;
        for (const PictureEntry &entry : Entries)
            readFiles.addInput(entry.Location);
        m_hex = dialogs().hexOrBin(this, m_hex);
        const std::optional<QString> projectPath =
            dialogs().showSave(this, QStringLiteral("Save project as"), preset, ProjectSaveFilter);
        if (!projectPath)
            return std::nullopt;
        readFiles.check(*projectPath);
        if (!opened.isEmpty())
            readFiles.addInput(opened);
        const std::optional<QString> headerPath =
            dialogs().showSave(this, QStringLiteral("Save header as"), preset, HeaderSaveFilter);
        if (!headerPath)
            return std::nullopt;
        readFiles.check(*headerPath);

        CompileJob job;
        job.settings = pageSettings();
        job.headerPath = *headerPath;
        job.projectPath = *projectPath;
        if (!opened.isEmpty() && !SameFile(opened, *projectPath))
            job.inputs.push_back(opened);
        job.entries = Entries;
        job.sprite = [this](int i) -> const LoadedSprite & {
            const PictureEntry &entry = Entries[std::size_t(i)];
            const PictureSurface &image = entry.Sprite.Image;
            // The box shows what is being written. A setting the passes
            // refuse is left for the compile to report with its picture.
            PictureBox *box = ui->picCompile;
            try {
                ApplyAdjustments(box->surface(), image, entry.Contrast, entry.Brightness);
                box->resize(image.width(), image.height());
                box->refresh();
            } catch (const Error &) {
                box->setSurface(image);
            }
            centreIn(box, width(), ui->tabMain->height());
            return entry.Sprite;
        };
        job.progress = [this](int done, int) {
            ui->prbCompile->setValue(done);
            QCoreApplication::processEvents();
        };

        ui->prbCompile->setRange(0, int(Entries.size()));
        ui->picCompile->show();
        RunCompile(job);
        return WrittenFiles{*projectPath, *headerPath};
    } catch (const Error &failure) {
        ui->picCompile->hide();
        dialogs().showMessage(this, failure.message(), AppTitle, QMessageBox::Critical);
        return std::nullopt;
    }
}

} // namespace bitvane
