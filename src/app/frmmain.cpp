#include "app/frmmain.h"

#include "app/fonts.h"

#include "error.h"
#include "fileaccess.h"
#include "project/paths.h"
#include "project/projectfile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QTreeWidget>

#include <cmath>

// The artwork lives in a static library; its resources are registered by
// hand so that the linker keeps them.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace bitvane {

namespace {

const QString AppTitle = QStringLiteral("Bitvane");
const QString ProjectFilter = QStringLiteral("Bitvane Projects|*.bvp");
const QString PictureFilter =
    QStringLiteral("Picture Files (*.bmp, *.gif, *.jpg, *.jpeg)|*.bmp;*.jpg;*.jpeg;*.gif");
const QString NextCaption = QStringLiteral("Next >");
const QString FinishCaption = QStringLiteral("Finish");

constexpr int NameColumnWidth = 96; // 1440 twips
// The two columns fill the list less this many pixels, so that no
// horizontal scroll bar appears beside the frame.
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

} // namespace

PictureBox::PictureBox(QWidget *parent) : QLabel(parent)
{
    setFrameShape(QFrame::NoFrame);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::Text));
    setPalette(pal);
}

void PictureBox::setSurface(const PictureSurface &surface)
{
    m_surface = surface;
    resize(m_surface.width(), m_surface.height());
    refresh();
}

void PictureBox::refresh()
{
    if (m_surface.isEmpty())
        clear();
    else
        setPixmap(QPixmap::fromImage(m_surface.toImage()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

frmMain::frmMain(DialogSeam *dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_dialogs(dialogs)
{
    initResources();
    if (!m_dialogs) {
        m_ownDialogs = std::make_unique<QtDialogSeam>();
        m_dialogs = m_ownDialogs.get();
    }
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppTitle);
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/bitvane32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/bitvane48.png"), QSize(48, 48));
    setWindowIcon(icon);
    setFont(WindowFont());
    setFixedSize(648, 537);

    buildLayout();
    for (QLabel *label : {Label1, Label2, Label3, Label4, lblMSG1, lblMSG2})
        fitCaption(label);
    buildTabOrder();
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::buildLayout()
{
    Picture1 = makePictureBox(this, QStringLiteral("Picture1"));
    place(Picture1, 0, 0, 9735, 1500);
    Picture1->setPixmap(QPixmap(QStringLiteral(":/images/banner.png")));
    Picture1->setCursor(Qt::PointingHandCursor);
    Picture1->setToolTip(QStringLiteral("About Bitvane"));
    Line3 = makeRule(Picture1, QStringLiteral("Line3"), QPalette::Dark);
    Line3->setGeometry(0, px(1485), px(9720), 1);

    tabMain = new QStackedWidget(this);
    tabMain->setObjectName(QStringLiteral("tabMain"));
    place(tabMain, 120, 1560, 9555, 5655);

    Line1 = makeRule(this, QStringLiteral("Line1"), QPalette::Dark);
    Line1->setGeometry(px(120), px(7320), px(9600 - 120), 1);
    Line2 = makeRule(this, QStringLiteral("Line2"), QPalette::Light);
    Line2->setGeometry(px(120), px(7335), px(9600 - 120), 1);

    cmdBack = makeButton(this, QStringLiteral("cmdBack"), QStringLiteral("< Back"));
    place(cmdBack, 6480, 7560, 975, 375);
    cmdBack->setEnabled(false);
    cmdNext = makeButton(this, QStringLiteral("cmdNext"), NextCaption);
    place(cmdNext, 7455, 7560, 975, 375);
    cmdCancel = makeButton(this, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"));
    place(cmdCancel, 8640, 7560, 975, 375);

    // Each page is covered by one borderless frame, so no page header ever
    // shows; the pages change only through the wizard's buttons.
    const QString captions[] = {QStringLiteral("project select"), QStringLiteral("edit files"),
                                QStringLiteral("load files"), QStringLiteral("edit pictures"),
                                QStringLiteral("compile pictures")};
    const int frameHeights[] = {5655, 5775, 5655, 5655, 5655};
    QFrame **frames[] = {&Frame1, &Frame2, &Frame3, &Frame4, &Frame5};
    for (int i = 0; i < 5; ++i) {
        auto *page = new QWidget;
        page->setObjectName(QStringLiteral("page%1").arg(i));
        page->setWindowTitle(captions[i]);
        tabMain->addWidget(page);
        auto *frame = new QFrame(page);
        frame->setObjectName(QStringLiteral("Frame%1").arg(i + 1));
        frame->setFrameShape(QFrame::NoFrame);
        place(frame, 0, 0, 9615, frameHeights[i]);
        *frames[i] = frame;
    }

    // Page 0.
    optNewProject = new QRadioButton(QStringLiteral("Create a new project"), Frame1);
    optNewProject->setObjectName(QStringLiteral("optNewProject"));
    place(optNewProject, 3353, 1965, 2055, 495);
    optNewProject->setChecked(true);
    optExistingProject = new QRadioButton(QStringLiteral("Open an existing project"), Frame1);
    optExistingProject->setObjectName(QStringLiteral("optExistingProject"));
    place(optExistingProject, 3353, 2445, 2295, 495);
    txtProjectFile = new QLineEdit(Frame1);
    txtProjectFile->setObjectName(QStringLiteral("txtProjectFile"));
    txtProjectFile->setFont(SystemFont());
    place(txtProjectFile, 3593, 2925, 2535, 285);
    cmdProjectFile = makeButton(Frame1, QStringLiteral("cmdProjectFile"), QStringLiteral("..."));
    cmdProjectFile->setFont(SystemFont());
    place(cmdProjectFile, 6113, 2925, 255, 285);
    setPathBoxEnabled(false);

    // Page 1.
    lvwFiles = new QTreeWidget(Frame2);
    lvwFiles->setObjectName(QStringLiteral("lvwFiles"));
    place(lvwFiles, 0, 120, 9495, 4935);
    lvwFiles->setColumnCount(2);
    lvwFiles->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Location")});
    lvwFiles->setRootIsDecorated(false);
    lvwFiles->setItemsExpandable(false);
    lvwFiles->setUniformRowHeights(true);
    lvwFiles->setSortingEnabled(false);
    lvwFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvwFiles->setEditTriggers(QAbstractItemView::SelectedClicked |
                              QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
    lvwFiles->setTextElideMode(Qt::ElideMiddle);
    lvwFiles->header()->setStretchLastSection(false);
    lvwFiles->header()->setSectionsMovable(false);
    lvwFiles->setColumnWidth(0, NameColumnWidth);
    lvwFiles->setColumnWidth(1, NameColumnWidth);
    cmdAddFile = makeButton(Frame2, QStringLiteral("cmdAddFile"), QStringLiteral("Add"));
    place(cmdAddFile, 7560, 5160, 975, 375);
    cmdRemove = makeButton(Frame2, QStringLiteral("cmdRemove"), QStringLiteral("Remove"));
    place(cmdRemove, 8535, 5160, 975, 375);
    cmdRemove->setEnabled(false);
    Label4 = makeLabel(Frame2, QStringLiteral("Label4"),
                       QStringLiteral("Tip: You can edit names here!"));
    place(Label4, 120, 5160, 2235, 240);

    // Page 2.
    picLoad = makePictureBox(Frame3, QStringLiteral("picLoad"));
    place(picLoad, 0, 0, 240, 240);
    picLoad->hide();
    prbLoadFiles = makeProgressBar(Frame3, QStringLiteral("prbLoadFiles"));
    place(prbLoadFiles, 0, 5160, 9495, 375);

    // Page 3.
    Label1 = makeLabel(Frame4, QStringLiteral("Label1"), QStringLiteral("Pictures:"));
    place(Label1, 0, 0, 690, 240);
    lstPictures = new QListWidget(Frame4);
    lstPictures->setObjectName(QStringLiteral("lstPictures"));
    place(lstPictures, 0, 240, 2055, 5100);
    lstPictures->setSelectionMode(QAbstractItemView::SingleSelection);
    lstPictures->setSortingEnabled(false);
    picTemp = makePictureBox(Frame4, QStringLiteral("picTemp"));
    place(picTemp, 2160, 0, 495, 495);
    picTemp->hide();
    picDisp = makePictureBox(Frame4, QStringLiteral("picDisp"));
    place(picDisp, 2160, 600, 495, 495);
    Label3 = makeLabel(Frame4, QStringLiteral("Label3"), QStringLiteral("Contrast"));
    place(Label3, 2400, 4680, 675, 240);
    sldContrast = makeSlider(Frame4, QStringLiteral("sldContrast"), 100, 10);
    place(sldContrast, 2280, 5040, 1455, 435);
    Label2 = makeLabel(Frame4, QStringLiteral("Label2"), QStringLiteral("Brightness"));
    place(Label2, 3960, 4680, 795, 240);
    sldBrightness = makeSlider(Frame4, QStringLiteral("sldBrightness"), 255, 85);
    place(sldBrightness, 3960, 5040, 1455, 435);

    // Page 4.
    picCompile = makePictureBox(Frame5, QStringLiteral("picCompile"));
    place(picCompile, 0, 0, 495, 495);
    picCompile->hide();
    lblPic = makeLabel(Frame5, QStringLiteral("lblPic"), QString());
    lblPic->setPixmap(QPixmap(QStringLiteral(":/images/lblpic.png")));
    place(lblPic, 2160, 1560, 1440, 1455);
    lblMSG1 =
        makeLabel(Frame5, QStringLiteral("lblMSG1"), QStringLiteral("Sprite conversion complete!"));
    lblMSG1->setFont(WindowFont(12, true));
    place(lblMSG1, 3270, 2055, 3195, 330);
    lblMSG2 = makeLabel(Frame5, QStringLiteral("lblMSG2"),
                        QStringLiteral("Press \"Finish\" to begin compiling..."));
    place(lblMSG2, 3570, 2460, 2580, 240);
    prbCompile = makeProgressBar(Frame5, QStringLiteral("prbCompile"));
    place(prbCompile, 0, 5160, 9495, 375);
    prbCompile->hide();

    auto guarded = [this](void (frmMain::*handler)()) {
        return [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); };
    };
    connect(Picture1, &PictureBox::clicked, this, guarded(&frmMain::Picture1_Click));
    connect(cmdBack, &QPushButton::clicked, this, guarded(&frmMain::cmdBack_Click));
    connect(cmdNext, &QPushButton::clicked, this, guarded(&frmMain::cmdNext_Click));
    connect(cmdCancel, &QPushButton::clicked, this, guarded(&frmMain::cmdCancel_Click));
    connect(cmdProjectFile, &QPushButton::clicked, this, guarded(&frmMain::cmdProjectFile_Click));
    connect(cmdAddFile, &QPushButton::clicked, this, guarded(&frmMain::cmdAddFile_Click));
    connect(cmdRemove, &QPushButton::clicked, this, guarded(&frmMain::cmdRemove_Click));
    // Selecting an option, by the user or by the reset after a compile, runs
    // its handler.
    connect(optNewProject, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            runGuarded([this] { optNewProject_Click(); });
    });
    connect(optExistingProject, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            runGuarded([this] { optExistingProject_Click(); });
    });
    connect(lstPictures, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            runGuarded([this] { lstPictures_Click(); });
    });
    connect(sldBrightness, &QSlider::valueChanged, this, guarded(&frmMain::sldBrightness_Change));
    connect(sldContrast, &QSlider::valueChanged, this, guarded(&frmMain::sldContrast_Change));
}

void frmMain::buildTabOrder()
{
    // The keyboard order of the layout; controls that take no focus
    // (labels, pictures, progress bars, frames) have no place in it.
    QWidget *const order[] = {
        cmdNext,        cmdBack,        cmdCancel,  optNewProject, optExistingProject,
        txtProjectFile, cmdProjectFile, lvwFiles,   cmdAddFile,    cmdRemove,
        lstPictures,    sldBrightness,  sldContrast};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    optNewProject->installEventFilter(this);
    optExistingProject->installEventFilter(this);
    cmdNext->setFocus();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    // The two options are one stop of the tab order, and Tab lands on the
    // selected one, so that the keyboard user meets the current choice.
    if (event->type() == QEvent::FocusIn &&
        (watched == optNewProject || watched == optExistingProject)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        auto *option = static_cast<QRadioButton *>(watched);
        QRadioButton *other = option == optNewProject ? optExistingProject : optNewProject;
        if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) &&
            !option->isChecked() && other->isChecked() && other->isEnabled())
            other->setFocus(reason);
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::setPathBoxEnabled(bool enabled)
{
    txtProjectFile->setEnabled(enabled);
    // Window background while it can be edited, button face while not.
    QPalette pal = txtProjectFile->palette();
    const QColor back = palette().color(enabled ? QPalette::Base : QPalette::Button);
    pal.setColor(QPalette::Active, QPalette::Base, back);
    pal.setColor(QPalette::Inactive, QPalette::Base, back);
    pal.setColor(QPalette::Disabled, QPalette::Base, back);
    txtProjectFile->setPalette(pal);
    cmdProjectFile->setEnabled(enabled);
}

int frmMain::Tab() const
{
    return tabMain->currentIndex();
}

void frmMain::setTab(int page)
{
    tabMain->setCurrentIndex(page);
}

void frmMain::Form_Load()
{
    setTab(PageProjectSelect);
    lvwFiles->setColumnWidth(1, lvwFiles->width() - lvwFiles->columnWidth(0) - ColumnSlack);
    if (const QScreen *s = screen()) {
        const QRect area = s->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void frmMain::cmdNext_Click()
{
    switch (Tab()) {
    case PageProjectSelect:
        if (optNewProject->isChecked()) {
            lvwFiles->clear();
            Entries.clear();
            setTab(PageEditFiles);
        } else {
            if (!CanOpenFile(txtProjectFile->text()))
                return;
            LoadFromFile();
            setTab(PageEditFiles);
        }
        updateListButtons();
        cmdBack->setEnabled(true);
        break;

    case PageEditFiles: {
        cmdBack->setEnabled(false);
        cmdNext->setEnabled(false);
        setTab(PageLoadFiles);
        prbLoadFiles->setValue(0);
        // From here a close stops the loading instead of pulling the window
        // away underneath it.
        m_loading = true;
        m_loadCancelled = false;
        try {
            QCoreApplication::processEvents();
            if (!m_loadCancelled)
                LoadPictures();
        } catch (...) {
            m_loading = false;
            if (!m_loadCancelled) {
                setTab(PageEditFiles);
                cmdBack->setEnabled(true);
                updateListButtons();
            }
            throw;
        }
        m_loading = false;
        if (m_loadCancelled)
            return;
        picDisp->hide();
        setTab(PageEditPictures);
        cmdBack->setEnabled(true);
        cmdNext->setEnabled(true);
        FillPictureList();
        {
            const QSignalBlocker quiet(lstPictures);
            lstPictures->setCurrentRow(0);
        }
        lstPictures_Click();
        picDisp->show();
        break;
    }

    case PageLoadFiles:
        break;

    case PageEditPictures:
        cmdNext->setText(FinishCaption);
        setTab(PageCompile);
        break;

    case PageCompile: {
        lblMSG1->hide();
        lblMSG2->hide();
        lblPic->hide();
        cmdBack->setEnabled(false);
        cmdNext->setEnabled(false);
        cmdCancel->setEnabled(false);
        prbCompile->show();
        // Whatever way the compile ends, page 4 (or page 0 after success)
        // must come back usable.
        auto restore = [this] {
            m_busyCompiling = false;
            lblMSG1->show();
            lblMSG2->show();
            lblPic->show();
            cmdNext->setEnabled(true);
            cmdCancel->setEnabled(true);
            cmdBack->setEnabled(Tab() != PageProjectSelect);
            prbCompile->setValue(0);
            prbCompile->hide();
        };
        m_busyCompiling = true;
        bool compiled = false;
        try {
            QCoreApplication::processEvents();
            compiled = CompileProject();
        } catch (...) {
            restore();
            throw;
        }
        m_busyCompiling = false;
        if (compiled) {
            dialogs().showMessage(this, QStringLiteral("Compilation complete!"), AppTitle,
                                  QMessageBox::NoIcon);
            cmdNext->setText(NextCaption);
            optNewProject->setChecked(true);
            optNewProject_Click();
            txtProjectFile->clear();
            setPathBoxEnabled(false);
            setTab(PageProjectSelect);
        }
        restore();
        break;
    }
    }
}

void frmMain::cmdBack_Click()
{
    switch (Tab()) {
    case PageEditFiles:
        cmdBack->setEnabled(false);
        cmdNext->setEnabled(true);
        setTab(PageProjectSelect);
        break;
    case PageEditPictures:
        setTab(PageEditFiles);
        break;
    case PageCompile:
        cmdNext->setText(NextCaption);
        setTab(PageEditPictures);
        break;
    default:
        break;
    }
}

void frmMain::cmdCancel_Click()
{
    close();
}

void frmMain::optNewProject_Click()
{
    setPathBoxEnabled(false);
}

void frmMain::optExistingProject_Click()
{
    setPathBoxEnabled(true);
}

void frmMain::cmdProjectFile_Click()
{
    txtProjectFile->setFocus();
    // One project file only, whatever the picture dialog allowed last.
    if (const auto answer = dialogs().showOpen(this, QString(), ProjectFilter, false))
        txtProjectFile->setText(*answer);
}

bool frmMain::CanOpenFile(const QString &path)
{
    QString failure;
    if (path.trimmed().isEmpty()) {
        failure = QStringLiteral("No project file is named: type its path or choose it with "
                                 "\"...\".");
    } else {
        // A FIFO named here would hang the window in open().
        try {
            CheckRegularFile(path, path, u"project file");
            return true;
        } catch (const Error &e) {
            failure = Error(path, QStringLiteral("cannot be opened: %1").arg(e.reason())).message();
        }
    }
    dialogs().showMessage(this, failure, AppTitle, QMessageBox::Critical);
    return false;
}

void frmMain::LoadFromFile()
{
    // Read and name everything first: a file that fails half-way leaves the
    // list and the entries as they were.
    const std::vector<ProjectRecord> records = ReadProjectFile(txtProjectFile->text());
    std::vector<PictureEntry> entries(records.size());
    for (std::size_t k = 0; k < records.size(); ++k) {
        entries[k].Name = GetBaseName(records[k].location);
        entries[k].Brightness = records[k].brightness;
        entries[k].Contrast = records[k].contrast;
    }

    lvwFiles->clear();
    for (std::size_t k = 0; k < records.size(); ++k)
        appendFileRow(entries[k].Name, records[k].location, entries[k].Brightness,
                      entries[k].Contrast);
    Entries = std::move(entries);
}

void frmMain::cmdAddFile_Click()
{
    const std::optional<QString> selection =
        dialogs().showOpen(this, QString(), PictureFilter, true);
    if (!selection)
        return;
    const std::int16_t count = GetFileCount(*selection);
    for (std::int16_t i = 1; i <= count; ++i) {
        const QString location = GetFilePath(*selection, i);
        QString name;
        try {
            name = GetBaseName(location);
        } catch (const Error &e) {
            // The files before it stay; the user learns which one is missing
            // and why, and the buttons match what the list now holds.
            updateListButtons();
            dialogs().showMessage(this,
                                  QStringLiteral("%1 was not added: %2").arg(location, e.reason()),
                                  AppTitle, QMessageBox::Warning);
            return;
        }
        appendFileRow(name, location, 0, 0);
    }
    updateListButtons();
}

void frmMain::cmdRemove_Click()
{
    for (int i = 0; i < lvwFiles->topLevelItemCount();) {
        if (lvwFiles->topLevelItem(i)->isSelected()) {
            delete lvwFiles->takeTopLevelItem(i);
            if (std::size_t(i) < Entries.size())
                Entries.erase(Entries.begin() + i);
        } else {
            ++i;
        }
    }
    if (lvwFiles->topLevelItemCount() == 0)
        updateListButtons();
}

void frmMain::Picture1_Click()
{
    const QString line = QStringLiteral("\r\n");
    const QString paragraph = QStringLiteral("\r\r\n");
    const QString site = QStringLiteral("http://www.bitvane.example/");
    const QString text = QStringLiteral("Bitvane 2.0") + paragraph +
                         QStringLiteral("If you find Bitvane 2.0 usefull please donate!") + line +
                         QStringLiteral("Visit the following link to support freeware.") +
                         paragraph + site + QStringLiteral("downloads.php") + paragraph +
                         QStringLiteral("To send questions, comments, bug reports, program") +
                         line + QStringLiteral("feature requests, etc. Visit the following link.") +
                         paragraph + site + QStringLiteral("contact.php");
    dialogs().showMessage(this, text, AppTitle, QMessageBox::Information);
}

void frmMain::runGuarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &failure) {
        showFailure(failure);
    } catch (...) {
        dialogs().showMessage(this, QStringLiteral("An unexpected failure ended the action."),
                              AppTitle, QMessageBox::Critical);
    }
}

void frmMain::showFailure(const std::exception &failure)
{
    const auto *error = dynamic_cast<const Error *>(&failure);
    const QString text = error ? error->message() : QString::fromLocal8Bit(failure.what());
    dialogs().showMessage(this, text, AppTitle, QMessageBox::Critical);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_busyCompiling) {
        event->ignore();
        return;
    }
    if (m_loading)
        m_loadCancelled = true;
    event->accept();
}

QTreeWidgetItem *frmMain::appendFileRow(const QString &name, const QString &location,
                                        int brightness, int contrast)
{
    auto *item = new QTreeWidgetItem(lvwFiles, {name, location});
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable);
    item->setData(0, RoleBrightness, brightness);
    item->setData(0, RoleContrast, contrast);
    item->setToolTip(1, location);
    return item;
}

void frmMain::updateListButtons()
{
    const bool any = lvwFiles->topLevelItemCount() > 0;
    cmdRemove->setEnabled(any);
    cmdNext->setEnabled(any);
}

} // namespace bitvane
