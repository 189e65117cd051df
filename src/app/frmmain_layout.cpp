// The main window's layout: every control in its place, and the keyboard order.
#include "app/frmmain_ui.h"
#include "app/namewarnings.h"

#include "app/fonts.h"
#include "imaging/pictureoptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTreeView>

#include <cmath>
#include <initializer_list>
#include <utility>

namespace bitvane {

namespace {

constexpr int NameColumnWidth = 96; // 1440 twips
constexpr int ColumnSlack = 4;

// The layout was drawn in twips, 15 to the pixel.
int px(int twips)
{
    return static_cast<int>(std::lround(twips / 15.0));
}

void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(px(left), px(top), px(width), px(height));
}

// The captions were fitted to the window's typeface. A fallback face that
// runs wider is made just small enough to show its caption whole.
void fitCaption(QLabel *label)
{
    QFont f = label->font();
    while (QFontMetrics(f).horizontalAdvance(label->text()) > label->width() &&
           f.pointSizeF() > 6.0)
        f.setPointSizeF(f.pointSizeF() - 0.25);
    label->setFont(f);
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// One of page 4's choices; its tip says what it does to the output.
template <typename Choice>
Choice *makeChoice(QWidget *parent, const QString &name, const QString &caption, const QString &tip)
{
    auto *choice = new Choice(caption, parent);
    choice->setObjectName(name);
    choice->setToolTip(tip);
    return choice;
}

// A one-pixel rule in a system colour (button shadow or highlight).
QWidget *makeRule(QWidget *parent, const QString &name, QPalette::ColorRole colour)
{
    auto *rule = new QWidget(parent);
    rule->setObjectName(name);
    rule->setAutoFillBackground(true);
    QPalette pal = rule->palette();
    pal.setColor(QPalette::Window, pal.color(colour));
    rule->setPalette(pal);
    return rule;
}

PictureBox *makePictureBox(QWidget *parent, const QString &name)
{
    auto *box = new PictureBox(parent);
    box->setObjectName(name);
    return box;
}

QProgressBar *makeProgressBar(QWidget *parent, const QString &name)
{
    auto *bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

QSlider *makeSlider(QWidget *parent, const QString &name, int limit, int step)
{
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setRange(-limit, limit);
    slider->setSingleStep(step);
    slider->setPageStep(step);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(step);
    slider->setValue(0);
    return slider;
}

// The number box beside a slider: its range and steps; a typed value counts
// once it is complete (Return or leaving the box), not at every digit.
QSpinBox *makeNumberBox(QWidget *parent, const QString &name, int limit, int step)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(-limit, limit);
    box->setSingleStep(step);
    box->setKeyboardTracking(false);
    box->setAlignment(Qt::AlignRight);
    return box;
}

// The two previews side by side under their captions, centred in a scroll
// area that scrolls when a chosen zoom makes them larger than it.
void buildPreviewPane(QWidget *page, frmMainUi &ui)
{
    ui.scrPreview = new QScrollArea(page);
    ui.scrPreview->setObjectName(QStringLiteral("scrPreview"));
    ui.scrPreview->setFrameShape(QFrame::NoFrame);
    ui.scrPreview->setAlignment(Qt::AlignCenter);
    ui.scrPreview->setWidgetResizable(false);
    auto *pane = new QWidget;
    pane->setObjectName(QStringLiteral("PreviewPane"));
    auto *grid = new QGridLayout(pane);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(PreviewGap);
    grid->setVerticalSpacing(2);
    ui.picBefore = new SpritePreview(pane);
    ui.picBefore->setObjectName(QStringLiteral("picBefore"));
    ui.picDisp = new SpritePreview(pane);
    ui.picDisp->setObjectName(QStringLiteral("picDisp"));
    QLabel *before = makeLabel(pane, QStringLiteral("lblBefore"), QStringLiteral("Before"));
    QLabel *after = makeLabel(pane, QStringLiteral("lblAfter"), QStringLiteral("After"));
    grid->addWidget(before, 0, 0, Qt::AlignHCenter);
    grid->addWidget(after, 0, 1, Qt::AlignHCenter);
    grid->addWidget(ui.picBefore, 1, 0, Qt::AlignHCenter | Qt::AlignTop);
    grid->addWidget(ui.picDisp, 1, 1, Qt::AlignHCenter | Qt::AlignTop);
    ui.scrPreview->setWidget(pane);
}

// A combo box of captions, each item's data its value.
QComboBox *makeChoiceBox(QWidget *parent, const QString &name,
                         std::initializer_list<std::pair<QString, int>> items)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    for (const auto &[caption, value] : items)
        box->addItem(caption, value);
    return box;
}

// A number box of whole counts from 0, which shows as special; a typed
// value counts once it is complete.
QSpinBox *makeCountBox(QWidget *parent, const QString &name, const QString &special)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, 0);
    box->setSpecialValueText(special);
    box->setKeyboardTracking(false);
    box->setAlignment(Qt::AlignRight);
    return box;
}

// The picture's fit, levels, shading and sheet in a column right of the
// previews, each under a caption whose mnemonic reaches it; the frame shown
// and the player at the foot.
void buildPictureChoices(QWidget *page, frmMainUi &ui)
{
    constexpr int Left = 7455, Width = 2040, Half = 975;
    QLabel *lblFit = makeLabel(page, QStringLiteral("lblFit"), QStringLiteral("&Fit:"));
    place(lblFit, Left, 420, Width, 240);
    ui.cboFit = makeChoiceBox(page, QStringLiteral("cboFit"),
                              {{QStringLiteral("Cut"), int(FitMode::Cut)},
                               {QStringLiteral("Scale"), int(FitMode::Scale)}});
    ui.cboFit->setToolTip(
        QStringLiteral("Cut: the top-left part at sprite size; Scale: the whole picture "
                       "reduced, keeping its aspect"));
    place(ui.cboFit, Left, 660, Width, 330);
    QLabel *lblWidth = makeLabel(page, QStringLiteral("lblWidth"), QStringLiteral("&Width:"));
    place(lblWidth, Left, 1080, Width, 240);
    ui.cboWidth = makeChoiceBox(page, QStringLiteral("cboWidth"),
                                {{QStringLiteral("Its own"), 0},
                                 {QStringLiteral("8"), 8},
                                 {QStringLiteral("16"), 16},
                                 {QStringLiteral("32"), 32}});
    ui.cboWidth->setToolTip(QStringLiteral("The width a scaled picture is reduced to"));
    place(ui.cboWidth, Left, 1320, Width, 330);
    QLabel *lblLevels = makeLabel(page, QStringLiteral("lblLevels"), QStringLiteral("&Levels:"));
    place(lblLevels, Left, 1740, Width, 240);
    ui.spnBlack = new QSpinBox(page);
    ui.spnBlack->setObjectName(QStringLiteral("spnBlack"));
    ui.spnBlack->setRange(0, 254);
    ui.spnBlack->setToolTip(QStringLiteral("Black point: this grey and darker become black"));
    place(ui.spnBlack, Left, 1980, Half, 330);
    ui.spnWhite = new QSpinBox(page);
    ui.spnWhite->setObjectName(QStringLiteral("spnWhite"));
    ui.spnWhite->setRange(1, 255);
    ui.spnWhite->setValue(255);
    ui.spnWhite->setToolTip(QStringLiteral("White point: this grey and lighter become white"));
    place(ui.spnWhite, Left + Width - Half, 1980, Half, 330);
    for (QSpinBox *box : {ui.spnBlack, ui.spnWhite}) {
        box->setKeyboardTracking(false);
        box->setAlignment(Qt::AlignRight);
    }
    QLabel *lblShading = makeLabel(page, QStringLiteral("lblShading"), QStringLiteral("&Shading:"));
    place(lblShading, Left, 2400, Width, 240);
    ui.cboShading = makeChoiceBox(page, QStringLiteral("cboShading"),
                                  {{QStringLiteral("Threshold"), int(ShadeMode::Threshold)},
                                   {QStringLiteral("Ordered"), int(ShadeMode::Ordered)},
                                   {QStringLiteral("Diffusion"), int(ShadeMode::Diffuse)},
                                   {QStringLiteral("Palette order"), int(ShadeMode::Palette)}});
    place(ui.cboShading, Left, 2640, Width, 330);
    lblFit->setBuddy(ui.cboFit);
    lblWidth->setBuddy(ui.cboWidth);
    lblLevels->setBuddy(ui.spnBlack);
    lblShading->setBuddy(ui.cboShading);

    // A sheet's cell and frames, then the frame shown and the player.
    QLabel *lblCell = makeLabel(page, QStringLiteral("lblCell"), QStringLiteral("C&ell size:"));
    place(lblCell, Left, 3060, Width, 240);
    ui.spnCellWidth = makeCountBox(page, QStringLiteral("spnCellWidth"), QStringLiteral("None"));
    ui.spnCellWidth->setToolTip(
        QStringLiteral("Cell width: the picture is a sheet of cells, read left to right, then "
                       "top to bottom"));
    place(ui.spnCellWidth, Left, 3300, Half, 330);
    ui.spnCellHeight = makeCountBox(page, QStringLiteral("spnCellHeight"), QStringLiteral("None"));
    ui.spnCellHeight->setToolTip(QStringLiteral("Cell height"));
    place(ui.spnCellHeight, Left + Width - Half, 3300, Half, 330);
    ui.lblLeftover = makeLabel(page, QStringLiteral("lblLeftover"), QString());
    ui.lblLeftover->setWordWrap(true);
    place(ui.lblLeftover, Left, 3660, Width, 480);
    QLabel *lblFrames =
        makeLabel(page, QStringLiteral("lblFrames"), QStringLiteral("Frames &used:"));
    place(lblFrames, Left, 4170, Width, 240);
    ui.spnFrames = makeCountBox(page, QStringLiteral("spnFrames"), QStringLiteral("All"));
    ui.spnFrames->setToolTip(
        QStringLiteral("How many cells of the sheet, or frames of an animated GIF, become "
                       "sprites"));
    place(ui.spnFrames, Left, 4410, Half, 330);
    ui.lblFrame = makeLabel(page, QStringLiteral("lblFrame"), QStringLiteral("Fr&ame:"));
    place(ui.lblFrame, Left, 4860, Width, 240);
    ui.spnFrame = makeCountBox(page, QStringLiteral("spnFrame"), QString());
    ui.spnFrame->setToolTip(QStringLiteral("The frame both previews show, NAME_0 first"));
    place(ui.spnFrame, Left, 5175, Half, 330);
    ui.cmdPlay = makeButton(page, QStringLiteral("cmdPlay"), QStringLiteral("&Play"));
    ui.cmdPlay->setToolTip(QStringLiteral("Plays the frames in the After preview"));
    place(ui.cmdPlay, Left + Width - Half, 5160, Half, 375);
    for (QWidget *frameControl :
         std::initializer_list<QWidget *>{ui.lblFrame, ui.spnFrame, ui.cmdPlay})
        frameControl->hide();
    lblCell->setBuddy(ui.spnCellWidth);
    lblFrames->setBuddy(ui.spnFrames);
    ui.lblFrame->setBuddy(ui.spnFrame);
}

void buildTabOrder(const frmMainUi &ui)
{
    // The keyboard order of the layout; controls that take no focus
    // (labels, pictures, progress bars, frames) have no place in it. Page 3
    // reads as it is drawn: the list, the zoom over the previews, the
    // previews (scrolled by keys at large zooms), the column of choices top
    // to bottom, then the sliders under the previews, left to right.
    QWidget *const order[] = {ui.cmdNext,
                              ui.cmdBack,
                              ui.cmdCancel,
                              ui.optNewProject,
                              ui.optExistingProject,
                              ui.txtProjectFile,
                              ui.cmdProjectFile,
                              ui.lvwFiles,
                              ui.cmdAddFile,
                              ui.cmdRemove,
                              ui.lstPictures,
                              ui.cboZoom,
                              ui.scrPreview,
                              ui.cboFit,
                              ui.cboWidth,
                              ui.spnBlack,
                              ui.spnWhite,
                              ui.cboShading,
                              ui.spnCellWidth,
                              ui.spnCellHeight,
                              ui.spnFrames,
                              ui.spnFrame,
                              ui.cmdPlay,
                              ui.sldContrast,
                              ui.spnContrast,
                              ui.sldBrightness,
                              ui.spnBrightness,
                              ui.optClassic,
                              ui.optModern,
                              ui.chkMasks,
                              ui.chkShared,
                              ui.chkRelative};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace

void BuildMainLayout(QWidget *window, frmMainUi &ui, QAbstractItemModel *files)
{
    ui.Picture1 = makePictureBox(window, QStringLiteral("Picture1"));
    place(ui.Picture1, 0, 0, 9720, 1500);
    ui.Picture1->setPixmap(QPixmap(QStringLiteral(":/images/banner.png")));
    ui.Picture1->setCursor(Qt::PointingHandCursor);
    ui.Picture1->setToolTip(QStringLiteral("About Bitvane"));
    QWidget *Line3 = makeRule(ui.Picture1, QStringLiteral("Line3"), QPalette::Dark);
    Line3->setGeometry(0, px(1485), px(9720), 1);

    ui.tabMain = new QStackedWidget(window);
    ui.tabMain->setObjectName(QStringLiteral("tabMain"));
    place(ui.tabMain, 120, 1560, 9555, 5655);

    QWidget *Line1 = makeRule(window, QStringLiteral("Line1"), QPalette::Dark);
    Line1->setGeometry(px(120), px(7320), px(9600 - 120), 1);
    QWidget *Line2 = makeRule(window, QStringLiteral("Line2"), QPalette::Light);
    Line2->setGeometry(px(120), px(7335), px(9600 - 120), 1);

    ui.cmdBack = makeButton(window, QStringLiteral("cmdBack"), QStringLiteral("< &Back"));
    place(ui.cmdBack, 6480, 7560, 975, 375);
    ui.cmdBack->setEnabled(false);
    ui.cmdNext = makeButton(window, QStringLiteral("cmdNext"), QStringLiteral("&Next >"));
    place(ui.cmdNext, 7455, 7560, 975, 375);
    ui.cmdCancel = makeButton(window, QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"));
    place(ui.cmdCancel, 8640, 7560, 975, 375);

    // Each page is covered by one borderless frame, so no page header ever
    // shows; the pages change only through the wizard's buttons.
    const QString captions[] = {QStringLiteral("project select"), QStringLiteral("edit files"),
                                QStringLiteral("load files"), QStringLiteral("edit pictures"),
                                QStringLiteral("compile pictures")};
    const int frameHeights[] = {5655, 5775, 5655, 5655, 5655};
    QFrame *frames[5] = {};
    for (int i = 0; i < 5; ++i) {
        auto *page = new QWidget;
        page->setObjectName(QStringLiteral("page%1").arg(i));
        page->setWindowTitle(captions[i]);
        ui.tabMain->addWidget(page);
        auto *frame = new QFrame(page);
        frame->setObjectName(QStringLiteral("Frame%1").arg(i + 1));
        frame->setFrameShape(QFrame::NoFrame);
        place(frame, 0, 0, 9615, frameHeights[i]);
        frames[i] = frame;
    }

    // Page 0.
    ui.optNewProject = new QRadioButton(QStringLiteral("Create a ne&w project"), frames[0]);
    ui.optNewProject->setObjectName(QStringLiteral("optNewProject"));
    place(ui.optNewProject, 3353, 1965, 2055, 495);
    ui.optNewProject->setChecked(true);
    ui.optExistingProject =
        new QRadioButton(QStringLiteral("&Open an existing project"), frames[0]);
    ui.optExistingProject->setObjectName(QStringLiteral("optExistingProject"));
    place(ui.optExistingProject, 3353, 2445, 2295, 495);
    ui.txtProjectFile = new QLineEdit(frames[0]);
    ui.txtProjectFile->setObjectName(QStringLiteral("txtProjectFile"));
    ui.txtProjectFile->setFont(SystemFont());
    // A project file dropped here is chosen by the page, not typed in as
    // its address.
    ui.txtProjectFile->setAcceptDrops(false);
    place(ui.txtProjectFile, 3593, 2925, 2535, 285);
    ui.cmdProjectFile =
        makeButton(frames[0], QStringLiteral("cmdProjectFile"), QStringLiteral("..."));
    ui.cmdProjectFile->setFont(SystemFont());
    place(ui.cmdProjectFile, 6113, 2925, 255, 285);
    SetPathBoxEnabled(ui, false);

    // Page 1.
    ui.lvwFiles = new QTreeView(frames[1]);
    ui.lvwFiles->setObjectName(QStringLiteral("lvwFiles"));
    place(ui.lvwFiles, 0, 120, 9495, 4935);
    ui.lvwFiles->setModel(files);
    ui.lvwFiles->setRootIsDecorated(false);
    ui.lvwFiles->setItemsExpandable(false);
    ui.lvwFiles->setUniformRowHeights(true);
    ui.lvwFiles->setIconSize(NameSignSize);
    ui.lvwFiles->setSortingEnabled(false);
    ui.lvwFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ui.lvwFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui.lvwFiles->setEditTriggers(QAbstractItemView::SelectedClicked |
                                 QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::DoubleClicked);
    ui.lvwFiles->setTextElideMode(Qt::ElideMiddle);
    // Rows are reordered by dragging; pictures dropped from outside are
    // taken by the window (frmmain_files.cpp).
    ui.lvwFiles->setDragDropMode(QAbstractItemView::DragDrop);
    ui.lvwFiles->setDefaultDropAction(Qt::MoveAction);
    ui.lvwFiles->setDropIndicatorShown(true);
    ui.lvwFiles->header()->setStretchLastSection(false);
    ui.lvwFiles->header()->setSectionsMovable(false);
    ui.lvwFiles->setColumnWidth(0, NameColumnWidth);
    ui.lvwFiles->setColumnWidth(1, NameColumnWidth);
    ui.cmdAddFile = makeButton(frames[1], QStringLiteral("cmdAddFile"), QStringLiteral("&Add"));
    place(ui.cmdAddFile, 7560, 5160, 975, 375);
    ui.cmdRemove = makeButton(frames[1], QStringLiteral("cmdRemove"), QStringLiteral("&Remove"));
    place(ui.cmdRemove, 8535, 5160, 975, 375);
    ui.cmdRemove->setEnabled(false);
    QLabel *Label4 = makeLabel(frames[1], QStringLiteral("Label4"),
                               QStringLiteral("Tip: You can edit names here!"));
    place(Label4, 120, 5160, 2235, 240);

    // Page 2.
    ui.picLoad = makePictureBox(frames[2], QStringLiteral("picLoad"));
    place(ui.picLoad, 0, 0, 240, 240);
    ui.picLoad->hide();
    ui.prbLoadFiles = makeProgressBar(frames[2], QStringLiteral("prbLoadFiles"));
    place(ui.prbLoadFiles, 0, 5160, 9495, 375);

    // Page 3.
    QLabel *Label1 = makeLabel(frames[3], QStringLiteral("Label1"), QStringLiteral("Pictures:"));
    place(Label1, 0, 0, 690, 240);
    ui.lstPictures = new QListView(frames[3]);
    ui.lstPictures->setObjectName(QStringLiteral("lstPictures"));
    place(ui.lstPictures, 0, 240, 2055, 5100);
    // The names with their signs, as page 1 shows them; named and moved
    // only there.
    ui.lstPictures->setModel(files);
    ui.lstPictures->setModelColumn(0);
    ui.lstPictures->setSelectionMode(QAbstractItemView::SingleSelection);
    ui.lstPictures->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui.lstPictures->setDragEnabled(false);
    ui.lstPictures->setIconSize(NameSignSize);
    QLabel *lblZoom = makeLabel(frames[3], QStringLiteral("lblZoom"), QStringLiteral("&Zoom:"));
    place(lblZoom, 7455, 60, 675, 240);
    ui.cboZoom = new QComboBox(frames[3]);
    ui.cboZoom->setObjectName(QStringLiteral("cboZoom"));
    place(ui.cboZoom, 8175, 0, 1320, 330);
    ui.cboZoom->addItem(QStringLiteral("Fit"), 0);
    for (const int zoom : {1, 2, 4, 8, 16})
        ui.cboZoom->addItem(QStringLiteral("%1x").arg(zoom), zoom);
    lblZoom->setBuddy(ui.cboZoom);
    buildPreviewPane(frames[3], ui);
    place(ui.scrPreview, 2160, 360, 5175, 3930);
    buildPictureChoices(frames[3], ui);
    ui.lblInfo = makeLabel(frames[3], QStringLiteral("lblInfo"), QString());
    ui.lblInfo->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    place(ui.lblInfo, 2160, 4335, 5175, 480);
    QLabel *Label3 = makeLabel(frames[3], QStringLiteral("Label3"), QStringLiteral("Contrast"));
    place(Label3, 2400, 4860, 675, 240);
    ui.sldContrast = makeSlider(frames[3], QStringLiteral("sldContrast"), 100, 10);
    place(ui.sldContrast, 2280, 5130, 1455, 435);
    ui.spnContrast = makeNumberBox(frames[3], QStringLiteral("spnContrast"), 100, 10);
    place(ui.spnContrast, 3780, 5175, 900, 330);
    QLabel *Label2 = makeLabel(frames[3], QStringLiteral("Label2"), QStringLiteral("Brightness"));
    place(Label2, 5040, 4860, 795, 240);
    ui.sldBrightness = makeSlider(frames[3], QStringLiteral("sldBrightness"), 255, 85);
    place(ui.sldBrightness, 4920, 5130, 1455, 435);
    ui.spnBrightness = makeNumberBox(frames[3], QStringLiteral("spnBrightness"), 255, 85);
    place(ui.spnBrightness, 6420, 5175, 900, 330);

    // Page 4.
    ui.picCompile = makePictureBox(frames[4], QStringLiteral("picCompile"));
    place(ui.picCompile, 0, 0, 495, 495);
    ui.picCompile->hide();
    ui.lblPic = makeLabel(frames[4], QStringLiteral("lblPic"), QString());
    ui.lblPic->setPixmap(QPixmap(QStringLiteral(":/images/lblpic.png")));
    place(ui.lblPic, 2160, 1560, 1440, 1455);
    ui.lblMSG1 = makeLabel(frames[4], QStringLiteral("lblMSG1"),
                           QStringLiteral("Sprite conversion complete!"));
    ui.lblMSG1->setFont(WindowFont(12, true));
    place(ui.lblMSG1, 3270, 2055, 3195, 330);
    ui.lblMSG2 = makeLabel(frames[4], QStringLiteral("lblMSG2"),
                           QStringLiteral("Press \"Finish\" to begin compiling..."));
    place(ui.lblMSG2, 3570, 2460, 2580, 240);
    // Under the labels, in their column: the two styles are the only option
    // buttons of this page's frame, so they exclude each other alone.
    ui.optClassic = makeChoice<QRadioButton>(
        frames[4], QStringLiteral("optClassic"), QStringLiteral("C&lassic"),
        QStringLiteral("The header as Bitvane has always written it"));
    place(ui.optClassic, 3570, 2880, 1095, 285);
    ui.optClassic->setChecked(true);
    ui.optModern = makeChoice<QRadioButton>(
        frames[4], QStringLiteral("optModern"), QStringLiteral("&Modern"),
        QStringLiteral("const arrays of fixed-width types, one row per line, with an include "
                       "guard"));
    place(ui.optModern, 4755, 2880, 1095, 285);
    ui.chkMasks = makeChoice<QCheckBox>(
        frames[4], QStringLiteral("chkMasks"), QStringLiteral("Write m&asks"),
        QStringLiteral("An array NAME_mask after each picture: the pixels it draws"));
    place(ui.chkMasks, 3570, 3225, 2280, 285);
    ui.chkShared = makeChoice<QCheckBox>(
        frames[4], QStringLiteral("chkShared"), QStringLiteral("&Shared by several C files"),
        QStringLiteral("Modern only: every file that includes the header sees the arrays; "
                       "the one that defines BITVANE_IMPLEMENTATION first holds them"));
    place(ui.chkShared, 3570, 3570, 3600, 285);
    ui.chkShared->setEnabled(false);
    ui.chkRelative = makeChoice<QCheckBox>(
        frames[4], QStringLiteral("chkRelative"),
        QStringLiteral("Store picture locations &relative to the project file"),
        QStringLiteral("The project and its pictures can then move together to another folder"));
    place(ui.chkRelative, 3570, 3915, 5400, 285);
    ui.prbCompile = makeProgressBar(frames[4], QStringLiteral("prbCompile"));
    place(ui.prbCompile, 0, 5160, 9495, 375);
    ui.prbCompile->hide();

    for (QLabel *label : {Label1, Label2, Label3, Label4, lblZoom, ui.lblMSG1, ui.lblMSG2})
        fitCaption(label);
    buildTabOrder(ui);
}

void FitFileColumns(QTreeView *list)
{
    list->setColumnWidth(1, list->width() - list->columnWidth(0) - ColumnSlack);
}

void SetPathBoxEnabled(const frmMainUi &ui, bool enabled)
{
    ui.txtProjectFile->setEnabled(enabled);
    // Window background while it can be edited, button face while not.
    QPalette pal = ui.txtProjectFile->palette();
    const QColor back =
        ui.txtProjectFile->window()->palette().color(enabled ? QPalette::Base : QPalette::Button);
    pal.setColor(QPalette::Active, QPalette::Base, back);
    pal.setColor(QPalette::Inactive, QPalette::Base, back);
    pal.setColor(QPalette::Disabled, QPalette::Base, back);
    ui.txtProjectFile->setPalette(pal);
    ui.cmdProjectFile->setEnabled(enabled);
}

} // namespace bitvane
