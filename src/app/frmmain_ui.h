// frmMainUi: the main window's controls, and the layout that builds them.
#pragma once

#include "app/picturebox.h"
#include "app/spritepreview.h"

class QAbstractItemModel;
class QCheckBox;
class QComboBox;
class QScrollArea;
class QSpinBox;
class QListView;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QStackedWidget;
class QTreeView;

namespace bitvane {

// Pixels between the two previews on page 3.
inline constexpr int PreviewGap = 16;

// The controls the window's handlers work with, named as in the layout so
// that the handlers read like the wizard's description. The rules, frames
// and captions that no handler touches are built too but kept only by the
// window's widget tree (objectNames Line1-Line3, Frame1-Frame5,
// Label1-Label4).
struct frmMainUi {
    PictureBox *Picture1 = nullptr; // banner; a click shows the about box
    QStackedWidget *tabMain = nullptr;
    QPushButton *cmdBack = nullptr;
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdCancel = nullptr;

    // Page 0 "project select".
    QRadioButton *optNewProject = nullptr;
    QRadioButton *optExistingProject = nullptr;
    QLineEdit *txtProjectFile = nullptr;
    QPushButton *cmdProjectFile = nullptr;

    // Page 1 "edit files": columns "Name" (editable) and "Location".
    QTreeView *lvwFiles = nullptr;
    QPushButton *cmdAddFile = nullptr;
    QPushButton *cmdRemove = nullptr;

    // Page 2 "load files".
    PictureBox *picLoad = nullptr; // shows the picture being loaded
    QProgressBar *prbLoadFiles = nullptr;

    // Page 3 "edit pictures": the pictures' names, a second view of the
    // file list's model.
    QListView *lstPictures = nullptr;
    QComboBox *cboZoom = nullptr;       // Fit, 1x, 2x, 4x, 8x, 16x (the zoom is the item's data)
    QScrollArea *scrPreview = nullptr;  // both previews, side by side
    SpritePreview *picBefore = nullptr; // the fitted picture before the reduction
    SpritePreview *picDisp = nullptr;   // the sprite the header will hold
    QLabel *lblInfo = nullptr;          // what will be written, and what fitting did
    QSlider *sldContrast = nullptr;     // -100..100, steps of 10
    QSpinBox *spnContrast = nullptr;    // the same value, typed
    QSlider *sldBrightness = nullptr;   // -255..255, steps of 85
    QSpinBox *spnBrightness = nullptr;
    // The picture's fit, levels and shading, beside the previews.
    QComboBox *cboFit = nullptr;   // Cut, Scale
    QComboBox *cboWidth = nullptr; // with Scale: its own width class, 8, 16 or 32 (the item's data)
    QSpinBox *spnBlack = nullptr;  // the black point, 0..254
    QSpinBox *spnWhite = nullptr;  // the white point, 1..255
    QComboBox *cboShading = nullptr; // Threshold, Ordered, Diffusion, Palette order
    // A sheet's cell (0: none) and how many frames it or an animated GIF
    // gives (0 shows "All"), under them what the cell leaves over.
    QSpinBox *spnCellWidth = nullptr;
    QSpinBox *spnCellHeight = nullptr;
    QSpinBox *spnFrames = nullptr;
    QLabel *lblLeftover = nullptr;
    // Shown only for more than one frame: the frame both previews show
    // (from 0, as the header's NAME_0.. count) and the player.
    QLabel *lblFrame = nullptr;
    QSpinBox *spnFrame = nullptr;
    QPushButton *cmdPlay = nullptr; // "&Play", "&Pause" while playing

    // Page 4 "compile pictures".
    PictureBox *picCompile = nullptr; // shows the picture being written
    QLabel *lblPic = nullptr;
    QLabel *lblMSG1 = nullptr;
    QLabel *lblMSG2 = nullptr;
    // The header's style, masks and sharing, and how the project file
    // stores locations: Classic and unchecked at every start, as the
    // program keeps no settings; an opened project presets them.
    QRadioButton *optClassic = nullptr;
    QRadioButton *optModern = nullptr;
    QCheckBox *chkMasks = nullptr;
    QCheckBox *chkShared = nullptr; // enabled under Modern only
    QCheckBox *chkRelative = nullptr;
    QProgressBar *prbCompile = nullptr; // shown while compiling
};

// Builds the whole layout inside window (sizes from the layout's twips / 15)
// and sets the keyboard order; the file list and page 3's picture list both
// show files. Connects nothing.
void BuildMainLayout(QWidget *window, frmMainUi &ui, QAbstractItemModel *files);

// The two columns fill the list less a few pixels, so that no horizontal
// scroll bar appears beside the frame.
void FitFileColumns(QTreeView *list);

// Makes the project path box and its browse button editable or not, with the
// background that says which.
void SetPathBoxEnabled(const frmMainUi &ui, bool enabled);

} // namespace bitvane
