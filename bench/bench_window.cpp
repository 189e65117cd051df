// The window's long steps as the user meets them: loading a project's
// pictures, moving a slider, and "Finish". Runs on the offscreen platform
// unless QT_QPA_PLATFORM says otherwise; every repaint is real.

#include "app/dialogseam.h"
#include "windowprobe.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

using namespace bitvane;

namespace {

constexpr int Sprites = 1000;

// Answers every question at once: the pictures chosen at setup, hexadecimal,
// and two files in the scratch folder.
class InstantDialogs : public DialogSeam {
public:
    QString selection;
    QString projectPath, headerPath;
    int failures = 0;
    int saves = 0;

    std::optional<QString> showOpen(QWidget *, const QString &, const QString &, bool) override
    {
        return selection;
    }
    std::optional<QString> showSave(QWidget *, const QString &, const QString &,
                                    const QString &) override
    {
        return saves++ % 2 == 0 ? projectPath : headerPath;
    }
    std::optional<QString> chooseFolder(QWidget *, const QString &) override
    {
        return std::nullopt;
    }
    void showMessage(QWidget *, const QString &text, const QString &, QMessageBox::Icon) override
    {
        ++failures;
        qWarning("%s", qPrintable(text));
    }
    bool hexOrBin(QWidget *, bool) override { return true; }
    NamesAnswer askAboutNames(QWidget *, const QString &, const QString &) override
    {
        return NamesAnswer::CompileAnyway;
    }
    bool askDiscard(QWidget *, const QString &, const QString &) override { return true; }
    CompletedAnswer showCompleted(QWidget *, const QString &, const QString &) override
    {
        return CompletedAnswer::Ok;
    }
};

// 32 x 240 pictures of random colours (fixed seed), written once.
class SpriteFolder {
public:
    static SpriteFolder &get()
    {
        static SpriteFolder folder;
        return folder;
    }

    QString selection(int count) const
    {
        QString text = m_dir.path();
        for (int i = 0; i < count; ++i)
            text += QChar(0) + QStringLiteral("s%1.bmp").arg(i, 4, 10, QChar('0'));
        return text;
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

private:
    SpriteFolder()
    {
        std::mt19937 rng(20261207);
        QImage image(32, 240, QImage::Format_RGB32);
        for (int i = 0; i < Sprites; ++i) {
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    image.setPixel(x, y, rng() & 0xFFFFFF);
            image.save(m_dir.filePath(QStringLiteral("s%1.bmp").arg(i, 4, 10, QChar('0'))), "BMP");
        }
    }
    QTemporaryDir m_dir;
};

// A shown window on page 1 holding count pictures.
std::unique_ptr<frmMain> windowWith(InstantDialogs &dialogs, int count)
{
    dialogs.selection = SpriteFolder::get().selection(count);
    dialogs.projectPath = SpriteFolder::get().path(QStringLiteral("bench.bvp"));
    dialogs.headerPath = SpriteFolder::get().path(QStringLiteral("bench.h"));
    auto window = std::make_unique<frmMain>(&dialogs);
    window->show();
    QApplication::processEvents();
    WindowProbe::ui(*window).optNewProject->setChecked(true);
    WindowProbe::cmdNext_Click(*window);
    WindowProbe::cmdAddFile_Click(*window);
    return window;
}

void BM_LoadPictures(benchmark::State &state)
{
    InstantDialogs dialogs;
    auto window = windowWith(dialogs, Sprites);
    WindowProbe::showPage(*window, frmMain::PageLoadFiles);
    for (auto _ : state) {
        WindowProbe::LoadPictures(*window);
        QApplication::processEvents();
    }
    if (window->entries().size() != std::size_t(Sprites) || dialogs.failures)
        state.SkipWithError("the pictures did not load");
    state.counters["pictures"] = Sprites;
}
BENCHMARK(BM_LoadPictures)->Unit(benchmark::kMillisecond)->Iterations(5);

// "Next >" on the file list: the loading plus the picture list and the
// first preview.
void BM_NextToEditPictures(benchmark::State &state)
{
    InstantDialogs dialogs;
    auto window = windowWith(dialogs, Sprites);
    for (auto _ : state) {
        WindowProbe::cmdNext_Click(*window);
        QApplication::processEvents();
        state.PauseTiming();
        WindowProbe::cmdBack_Click(*window);
        state.ResumeTiming();
    }
    if (WindowProbe::ui(*window).lstPictures->model()->rowCount() != Sprites || dialogs.failures)
        state.SkipWithError("the pictures did not load");
}
BENCHMARK(BM_NextToEditPictures)->Unit(benchmark::kMillisecond)->Iterations(5);

// From the slider's new value to the preview repainted, on one 32 x 240
// sprite; the values walk through both ranges so every pass does real work.
void BM_SliderChange(benchmark::State &state)
{
    InstantDialogs dialogs;
    auto window = windowWith(dialogs, 1);
    WindowProbe::cmdNext_Click(*window);
    QApplication::processEvents();
    const int brightness[] = {-255, -170, -85, 0, 85, 170, 255};
    const int contrast[] = {-100, -50, 0, 30, 60, 100};
    std::size_t step = 0;
    for (auto _ : state) {
        QSlider *slider = step % 2 ? WindowProbe::ui(*window).sldContrast
                                   : WindowProbe::ui(*window).sldBrightness;
        slider->setValue(step % 2 ? contrast[step / 2 % std::size(contrast)]
                                  : brightness[step / 2 % std::size(brightness)]);
        QApplication::processEvents();
        ++step;
    }
    if (dialogs.failures)
        state.SkipWithError("a slider change failed");
}
BENCHMARK(BM_SliderChange)->Unit(benchmark::kMicrosecond);

// The same at the largest zoom, 16x: the 32 x 240 sprite then fills the
// preview area, and the repaint draws every device pixel of it.
void BM_SliderChangeAt16x(benchmark::State &state)
{
    InstantDialogs dialogs;
    auto window = windowWith(dialogs, 1);
    WindowProbe::cmdNext_Click(*window);
    QComboBox *zoom = WindowProbe::ui(*window).cboZoom;
    zoom->setCurrentIndex(zoom->findData(16));
    QApplication::processEvents();
    const int brightness[] = {-255, -170, -85, 0, 85, 170, 255};
    std::size_t step = 0;
    for (auto _ : state) {
        WindowProbe::ui(*window).sldBrightness->setValue(
            brightness[step++ % std::size(brightness)]);
        QApplication::processEvents();
    }
    if (dialogs.failures || WindowProbe::ui(*window).picDisp->zoom() != 16)
        state.SkipWithError("the preview is not at 16x");
}
BENCHMARK(BM_SliderChangeAt16x)->Unit(benchmark::kMicrosecond);

// One frame of a 256 x 256 sheet of 16 x 16 cells (256 frames) played:
// the player's step to the next frame, both previews drawn again and
// repainted, at the fitting zoom (arg 0) and at 16x. The target is under
// 1 ms a frame.
void BM_PlayFrame(benchmark::State &state)
{
    QTemporaryDir dir;
    std::mt19937 rng(256);
    QImage sheet(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            sheet.setPixel(x, y, rng() & 0xFFFFFF);
    sheet.save(dir.filePath(QStringLiteral("sheet.png")), "PNG");
    InstantDialogs dialogs;
    dialogs.selection = dir.path() + QChar(0) + QStringLiteral("sheet.png");
    frmMain window(&dialogs);
    window.show();
    QApplication::processEvents();
    WindowProbe::ui(window).optNewProject->setChecked(true);
    WindowProbe::cmdNext_Click(window);
    WindowProbe::cmdAddFile_Click(window);
    WindowProbe::cmdNext_Click(window);
    frmMainUi &ui = WindowProbe::ui(window);
    ui.spnCellWidth->setValue(16);
    if (state.range(0))
        ui.cboZoom->setCurrentIndex(ui.cboZoom->findData(int(state.range(0))));
    ui.cmdPlay->click();
    QApplication::processEvents();
    for (auto _ : state) {
        WindowProbe::playerStep(window);
        ui.picDisp->repaint();
        ui.picBefore->repaint();
    }
    if (dialogs.failures || ui.spnFrame->maximum() != 255)
        state.SkipWithError("the sheet did not give 256 frames");
    state.SetLabel(QStringLiteral("%1x").arg(ui.picDisp->zoom()).toStdString());
}
BENCHMARK(BM_PlayFrame)->Arg(0)->Arg(16)->Unit(benchmark::kMicrosecond);

// "Finish" without the message and the reset: CompileProject of 1000
// sprites, both files written.
void BM_CompileFromWindow(benchmark::State &state)
{
    InstantDialogs dialogs;
    auto window = windowWith(dialogs, Sprites);
    WindowProbe::cmdNext_Click(*window);
    WindowProbe::cmdNext_Click(*window);
    QApplication::processEvents();
    for (auto _ : state) {
        if (!WindowProbe::CompileProject(*window))
            state.SkipWithError("the compile failed");
        QApplication::processEvents();
    }
}
BENCHMARK(BM_CompileFromWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
