#pragma once

#include "app/dialogseam.h"
#include "imaging/surface.h"
#include "project/pictureentry.h"

#include <QLabel>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QFrame;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QStackedWidget;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace bitvane {

// A borderless picture box on a white ground. The work boxes (picLoad,
// picTemp, picDisp, picCompile) show a PictureSurface and take its size, as
// the wizard's sizing and centring rely on; the banner shows a fixed pixmap
// and doubles as the about button.
class PictureBox : public QLabel {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    // Keeps a copy, resizes the box to the surface and shows it.
    void setSurface(const PictureSurface &surface);
    const PictureSurface &surface() const { return m_surface; }
    // For pixel passes that write into the box's own surface; call refresh()
    // afterwards so the box shows what was written.
    PictureSurface &surface() { return m_surface; }
    void refresh();

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    PictureSurface m_surface;
};

// The main window: a five-page wizard from choosing a project to writing the
// header. Controls carry the names of the layout so that the handlers read
// like the wizard's description; sizes are the layout's twips / 15.
class frmMain : public QWidget {
    Q_OBJECT
public:
    // Rows of lvwFiles carry their own settings, so that a picture keeps its
    // brightness and contrast through removals above it and through Back and
    // Next: item data of column 0, as int.
    static constexpr int RoleBrightness = Qt::UserRole;
    static constexpr int RoleContrast = Qt::UserRole + 1;

    // The page captions, also the pages' window titles.
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

    // The page shown (tabMain's current index).
    int Tab() const;
    void setTab(int page);

    // Window controls.
    PictureBox *Picture1 = nullptr; // banner; a click shows the about box
    QWidget *Line3 = nullptr;       // rule along the banner's lower edge
    QStackedWidget *tabMain = nullptr;
    QWidget *Line1 = nullptr; // etched rule above the buttons: shadow ...
    QWidget *Line2 = nullptr; // ... and highlight one pixel below
    QPushButton *cmdBack = nullptr;
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdCancel = nullptr;

    // One borderless frame per page, covering it.
    QFrame *Frame1 = nullptr;
    QFrame *Frame2 = nullptr;
    QFrame *Frame3 = nullptr;
    QFrame *Frame4 = nullptr;
    QFrame *Frame5 = nullptr;

    // Page 0 "project select".
    QRadioButton *optNewProject = nullptr;
    QRadioButton *optExistingProject = nullptr;
    QLineEdit *txtProjectFile = nullptr;
    QPushButton *cmdProjectFile = nullptr;

    // Page 1 "edit files": column 0 "Name" (editable), column 1 "Location".
    QTreeWidget *lvwFiles = nullptr;
    QPushButton *cmdAddFile = nullptr;
    QPushButton *cmdRemove = nullptr;
    QLabel *Label4 = nullptr;

    // Page 2 "load files".
    PictureBox *picLoad = nullptr; // hidden
    QProgressBar *prbLoadFiles = nullptr;

    // Page 3 "edit pictures".
    QLabel *Label1 = nullptr;
    QListWidget *lstPictures = nullptr;
    PictureBox *picTemp = nullptr; // hidden
    PictureBox *picDisp = nullptr;
    QLabel *Label3 = nullptr;
    QSlider *sldContrast = nullptr; // -100..100, steps of 10
    QLabel *Label2 = nullptr;
    QSlider *sldBrightness = nullptr; // -255..255, steps of 85

    // Page 4 "compile pictures".
    PictureBox *picCompile = nullptr; // hidden
    QLabel *lblPic = nullptr;
    QLabel *lblMSG1 = nullptr;
    QLabel *lblMSG2 = nullptr;
    QProgressBar *prbCompile = nullptr; // hidden

    // One entry per row of lvwFiles, in row order.
    std::vector<PictureEntry> Entries;

    // The dialogs in use (the seam given, or the window's own Qt dialogs).
    DialogSeam &dialogs() const { return *m_dialogs; }

    // Wizard handlers, connected to their controls; public so that tests and
    // the picture pages can run them as a click would.
    void Form_Load();
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdCancel_Click();
    void optNewProject_Click();
    void optExistingProject_Click();
    void cmdProjectFile_Click();
    void cmdAddFile_Click();
    void cmdRemove_Click();
    void Picture1_Click();

    // True when path opens for reading; otherwise the user has been told why
    // (critical icon).
    bool CanOpenFile(const QString &path);
    // Replaces the list and Entries with the project file named in
    // txtProjectFile; throws Error naming file and line, and then leaves both
    // as they were.
    void LoadFromFile();

    // The picture pages (frmmain_pictures.cpp).
    //
    // LoadPictures fits Entries to the rows (settings from each row's
    // RoleBrightness / RoleContrast, Name from the row's text) and loads
    // every picture. It checks m_loadCancelled after each round of event
    // processing and returns at once when it is set; the controller then
    // touches nothing more. On failure it throws Error with no entry half
    // loaded; the controller shows the message and goes back to page 1.
    void LoadPictures();
    void FillPictureList();
    // Draws the selected entry; positions the sliders under a QSignalBlocker,
    // since their change handlers store what the user chose.
    void lstPictures_Click();
    // Store both sliders into the selected entry and into its row of
    // lvwFiles, then redraw the preview.
    void sldBrightness_Change();
    void sldContrast_Change();
    // Runs the whole compile with its dialogs; true when both files were
    // written. The controller has set m_busyCompiling around the call.
    bool CompileProject();

    // Runs a handler; a failure that escapes it is shown in a message box
    // titled "Bitvane" (critical icon) instead of ending the program.
    void runGuarded(const std::function<void()> &handler);
    // Shows message() of an Error, or what() of anything else, as above.
    void showFailure(const std::exception &failure);

    // Long steps and closing. While LoadPictures runs, m_loading is true; a
    // close then sets m_loadCancelled and is accepted, and the loading stops
    // at its next round of event processing. While CompileProject runs,
    // m_busyCompiling is true and a close is refused: the compile finishes
    // (its files are replaced whole or not at all) before the window can go.
    bool m_loading = false;
    bool m_loadCancelled = false;
    bool m_busyCompiling = false;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void buildTabOrder();
    QTreeWidgetItem *appendFileRow(const QString &name, const QString &location, int brightness,
                                   int contrast);
    void updateListButtons();
    // The path box and its browse button, editable or not.
    void setPathBoxEnabled(bool enabled);

    std::unique_ptr<DialogSeam> m_ownDialogs;
    DialogSeam *m_dialogs = nullptr;
};

} // namespace bitvane
