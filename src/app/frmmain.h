// frmMain: the five-page wizard window, from choosing a project to writing the header.
#pragma once

#include "app/dialogseam.h"
#include "app/projectsnapshot.h"
#include "project/pictureentry.h"

#include <QList>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTimer;

namespace bitvane {

class FileListModel;
class PictureWatcher;
struct frmMainUi;

// The window's title, which its message boxes carry too.
inline const QString AppTitle = QStringLiteral("Bitvane");

// Whether a path chosen on page 0 names a header (its extension is ".h", in
// any letter case) rather than a project file.
bool IsHeaderPath(const QString &path);

// The main window. Its handlers carry the names of the controls they answer
// (cmdNext_Click, sldBrightness_Change); the controls themselves are private
// (frmmain_ui.h). Entries is the one record of the project's pictures from
// the file list on: the list shows it, the sliders and removal change it,
// loading fills in its images and the compile writes it.
class frmMain : public QWidget {
    Q_OBJECT
public:
    // The pages, in order; their captions are also their window titles.
    enum Page {
        PageProjectSelect = 0,
        PageEditFiles,
        PageLoadFiles,
        PageEditPictures,
        PageCompile
    };

    // dialogs is not owned; nullptr means the real Qt dialogs.
    explicit frmMain(DialogSeam *dialogs = nullptr, QWidget *parent = nullptr);
    ~frmMain() override;

    // The page shown.
    int Tab() const;
    // Chooses "Open an existing project" with path filled in, as a project
    // named at start-up or dropped on page 0 is.
    void chooseProject(const QString &path);

    // The project's pictures in list order.
    const std::vector<PictureEntry> &entries() const { return Entries; }

protected:
    // Refused while compiling (its files are replaced whole or not at all),
    // and when the user keeps changes the question to discard them is
    // about; while loading, accepted and the loading stops at its next round
    // of event processing.
    void closeEvent(QCloseEvent *event) override;
    // Return and Enter press the default button, "Next >" or "Finish".
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Widget tests and benchmarks drive the steps below directly.
    friend struct WindowProbe;

    // Page controller (frmmain.cpp).
    void Form_Load();
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdCancel_Click();
    void Picture1_Click();
    // Shows page and sets Back, Next (and its caption) and Cancel from the
    // page's row of one table.
    void showPage(Page page);
    void applyButtons();
    void nextFromEditFiles();
    void nextFromCompile();
    // At "Finish": names that would not compile are listed and the user
    // chooses. True when the compile goes on; after "Fix names" page 1
    // shows with the changed rows selected.
    bool namesReadyAtFinish();
    // Before the open project is replaced or the window closes: true when
    // nothing changed since the project was opened or last compiled, or the
    // user chose to discard the changes.
    bool changesMayGo();
    // The open project as its file would record it, page 4's choices
    // included; what the question before losing it compares.
    ProjectSnapshot snapshot() const;

    // Project and file list, pages 0 and 1 (frmmain_files.cpp).
    void optNewProject_Click();
    void optExistingProject_Click();
    void cmdProjectFile_Click();
    void cmdAddFile_Click();
    void cmdRemove_Click();
    // Pictures dropped on the file list and project files dropped on page 0.
    bool fileListDrop(QEvent *event);
    bool projectPageDrop(QEvent *event);
    // Adds the pictures among urls, and the pictures in the folders among
    // them (sorted by name); names the others in one message.
    void dropPictures(const QList<QUrl> &urls);
    // The way back from a header (frmmain_header.cpp): reads it, asks for a
    // folder, extracts the pictures and their project file into it and opens
    // that project on page 1. True when it did; false when the user
    // cancelled or was told why not (a faulty header, a file already there).
    bool OpenHeader(const QString &headerPath);
    // True when path opens for reading; otherwise the user has been told why.
    bool CanOpenFile(const QString &path);
    // Replaces Entries with the project file named in txtProjectFile; throws
    // Error naming file and line, and then leaves Entries as they were.
    void LoadFromFile();

    // The picture pages 2 to 4 (frmmain_pictures.cpp).
    //
    // LoadPictures loads every entry's picture. It returns at once when a
    // close arrives meanwhile; on failure it throws Error. Either way no
    // entry changes unless every picture has loaded.
    void LoadPictures();
    // The row of page 3's list, -1 for none.
    int currentPicture() const;
    // Draws the selected entry and positions the sliders without storing.
    void lstPictures_Click();
    // Both previews of the selected entry at the chosen zoom, and the info
    // line under them.
    void cboZoom_Change();
    // A typed number moves its slider, snapped to the slider's steps.
    void spnContrast_Change();
    void spnBrightness_Change();
    // Store both sliders into the selected entry, then redraw the preview.
    void sldBrightness_Change();
    void sldContrast_Change();
    // The fit, levels or shading chosen for the selected entry: its picture
    // loaded again with them and both previews redrawn. A choice the picture
    // cannot take is refused with its reason, the entry's own shown again.
    void pictureOptions_Change();
    // The selected entry's options in the controls, without storing; palette
    // order offered only where the picture has at most four colours; the
    // sheet's boxes limited to what the picture holds (no cell larger than
    // the picture, no more frames than whole cells), the frame count offered
    // only for a sheet or a GIF.
    void showPictureOptions(const PictureEntry &entry);
    // The frame box and the player for the selected entry: shown for more
    // than one frame, the frame kept within them; the player stops where
    // there is nothing to play.
    void showFrames(const PictureEntry &entry);
    // Both previews show the frame in the frame box: After its sprite with
    // the sliders' adjustments, Before its cell (or screen) as fitted.
    void drawFrame();
    // Play starts the After preview stepping through the frames, each shown
    // for its delay (FrameDelayMs); Pause stops it on the frame shown.
    void cmdPlay_Click();
    void stopPlaying();
    // The player's tick: the next frame (after the last, the first), then
    // the timer set to its delay.
    void playerStep();
    // Pictures written again or gone while the project is open: each entry
    // of such a location is loaded again with its settings kept, or marked
    // with the reason it could not be; the preview follows. Waits while a
    // load or a compile runs.
    void picturesChanged(const QStringList &locations);
    void stopWatching();
    // What the next compile writes besides the pictures: page 4's style,
    // masks, sharing (only under Modern) and locations, and the notation
    // the number-format dialog starts with.
    ProjectSettings pageSettings() const;
    // Page 4 and the number-format dialog start from a project's settings.
    void presetSettings(const ProjectSettings &settings);
    // Runs the whole compile with its dialogs; the two files when both were
    // written. Shows its own failures.
    struct WrittenFiles {
        QString project;
        QString header;
    };
    std::optional<WrittenFiles> CompileProject();

    // Runs a handler; a failure that escapes it is shown in a message box
    // titled "Bitvane" (critical icon) instead of ending the program.
    void runGuarded(const std::function<void()> &handler);
    void showFailure(const std::exception &failure);
    DialogSeam &dialogs() const { return *m_dialogs; }
    void connectHandlers();

    std::unique_ptr<frmMainUi> ui;
    std::vector<PictureEntry> Entries;
    FileListModel *m_files = nullptr;
    // The project as opened or last compiled; what a question protects.
    ProjectSnapshot m_saved;
    // The number-format dialog's first choice: the opened project's
    // notation, then the last answer.
    bool m_hex = true;
    // The loaded pictures' files, while pages 3 and 4 show them.
    PictureWatcher *m_watcher = nullptr;
    // Steps the frames while playing; single-shot, set to each frame's delay.
    QTimer *m_player = nullptr;
    std::unique_ptr<DialogSeam> m_ownDialogs;
    DialogSeam *m_dialogs = nullptr;

    // What eventFilter watches besides controls of ui, kept so that it
    // compares addresses only while the pages are being destroyed.
    QWidget *m_fileListViewport = nullptr;
    QWidget *m_projectPage = nullptr;

    bool m_loading = false;       // LoadPictures is running
    bool m_loadCancelled = false; // a close came while loading
    bool m_busyCompiling = false; // CompileProject is running
};

} // namespace bitvane
