// frmMain's page controller: the pages' buttons, the about box, failures and closing.
#include "app/frmmain.h"

#include "app/filelistmodel.h"
#include "app/fonts.h"
#include "app/frmmain_ui.h"
#include "app/namewarnings.h"
#include "app/picturewatcher.h"

#include "error.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QItemSelection>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeView>

#include <array>

// The artwork lives in a static library; its resources are registered by
// hand so that the linker keeps them.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace bitvane {

namespace {

// What the wizard's buttons offer on each page, in page order. While the
// compile runs all three are off whatever the page.
struct PageButtons {
    bool back;
    bool next;
    bool nextNeedsPictures; // Next only once the list holds a picture
    const char *nextCaption;
};
constexpr PageButtons Buttons[] = {
    {false, true, false, "&Next >"},  // project select
    {true, true, true, "&Next >"},    // edit files
    {false, false, false, "&Next >"}, // load files: the loading runs
    {true, true, false, "&Next >"},   // edit pictures
    {true, true, false, "&Finish"},   // compile pictures
};

} // namespace

frmMain::frmMain(DialogSeam *dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<frmMainUi>()), m_dialogs(dialogs)
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

    m_files = new FileListModel(Entries, this);
    // Every project opened, extracted or started afresh replaces the whole
    // list, after page 4 has taken its settings; that is the state the
    // question before losing it compares with.
    connect(m_files, &QAbstractItemModel::modelReset, this, [this] { m_saved = snapshot(); });
    m_watcher = new PictureWatcher(this);
    m_player = new QTimer(this);
    m_player->setSingleShot(true);
    BuildMainLayout(this, *ui, m_files);
    ui->optNewProject->installEventFilter(this);
    ui->optExistingProject->installEventFilter(this);
    ui->lvwFiles->installEventFilter(this);
    m_fileListViewport = ui->lvwFiles->viewport();
    m_fileListViewport->installEventFilter(this);
    m_projectPage = ui->tabMain->widget(PageProjectSelect);
    m_projectPage->setAcceptDrops(true);
    m_projectPage->installEventFilter(this);
    ui->cmdNext->setDefault(true);
    ui->cmdNext->setFocus();
    connectHandlers();
    Form_Load();
}

frmMain::~frmMain()
{
    // The pages hold the controls whose events this window filters and the
    // list that shows Entries; they go first, while both still exist.
    delete ui->tabMain;
}

void frmMain::connectHandlers()
{
    auto guarded = [this](void (frmMain::*handler)()) {
        return [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); };
    };
    connect(ui->Picture1, &PictureBox::clicked, this, guarded(&frmMain::Picture1_Click));
    connect(ui->cmdBack, &QPushButton::clicked, this, guarded(&frmMain::cmdBack_Click));
    connect(ui->cmdNext, &QPushButton::clicked, this, guarded(&frmMain::cmdNext_Click));
    connect(ui->cmdCancel, &QPushButton::clicked, this, guarded(&frmMain::cmdCancel_Click));
    connect(ui->cmdProjectFile, &QPushButton::clicked, this,
            guarded(&frmMain::cmdProjectFile_Click));
    connect(ui->cmdAddFile, &QPushButton::clicked, this, guarded(&frmMain::cmdAddFile_Click));
    connect(ui->cmdRemove, &QPushButton::clicked, this, guarded(&frmMain::cmdRemove_Click));
    // Selecting an option, by the user or by the reset after a compile, runs
    // its handler.
    connect(ui->optNewProject, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            runGuarded([this] { optNewProject_Click(); });
    });
    connect(ui->optExistingProject, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            runGuarded([this] { optExistingProject_Click(); });
    });
    // Told once the editor has closed, not from inside its commit.
    connect(
        m_files, &FileListModel::nameRefused, this,
        [this](const QString &reason) {
            runGuarded(
                [&] { dialogs().showMessage(this, reason, AppTitle, QMessageBox::Warning); });
        },
        Qt::QueuedConnection);
    connect(m_files, &FileListModel::checkFailed, this, [this](std::exception_ptr failure) {
        runGuarded([failure] { std::rethrow_exception(failure); });
    });
    connect(ui->lstPictures->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!current.isValid())
                    return;
                // Another picture starts at its first frame.
                const QSignalBlocker quietFrame(ui->spnFrame);
                ui->spnFrame->setValue(0);
                runGuarded([this] { lstPictures_Click(); });
            });
    // The preview and its info line show the header's style and masks as
    // page 4 chooses them.
    auto redrawPicture = [this] {
        if (currentPicture() >= 0)
            runGuarded([this] { lstPictures_Click(); });
    };
    connect(ui->optModern, &QRadioButton::toggled, this, redrawPicture);
    connect(ui->optModern, &QRadioButton::toggled, m_files, &FileListModel::setModernNames);
    // Only a modern header can be shared.
    connect(ui->optModern, &QRadioButton::toggled, ui->chkShared, &QCheckBox::setEnabled);
    connect(ui->chkMasks, &QCheckBox::toggled, this, redrawPicture);
    connect(m_watcher, &PictureWatcher::changed, this, [this](const QStringList &locations) {
        runGuarded([this, locations] { picturesChanged(locations); });
    });
    connect(ui->sldBrightness, &QSlider::valueChanged, this,
            guarded(&frmMain::sldBrightness_Change));
    connect(ui->sldContrast, &QSlider::valueChanged, this, guarded(&frmMain::sldContrast_Change));
    connect(ui->spnBrightness, &QSpinBox::valueChanged, this,
            guarded(&frmMain::spnBrightness_Change));
    connect(ui->spnContrast, &QSpinBox::valueChanged, this, guarded(&frmMain::spnContrast_Change));
    for (QComboBox *choice : {ui->cboFit, ui->cboWidth, ui->cboShading})
        connect(choice, &QComboBox::currentIndexChanged, this,
                guarded(&frmMain::pictureOptions_Change));
    for (QSpinBox *point :
         {ui->spnBlack, ui->spnWhite, ui->spnCellWidth, ui->spnCellHeight, ui->spnFrames})
        connect(point, &QSpinBox::valueChanged, this, guarded(&frmMain::pictureOptions_Change));
    connect(ui->spnFrame, &QSpinBox::valueChanged, this, guarded(&frmMain::drawFrame));
    connect(ui->cmdPlay, &QPushButton::clicked, this, guarded(&frmMain::cmdPlay_Click));
    connect(m_player, &QTimer::timeout, this, guarded(&frmMain::playerStep));
    connect(ui->cboZoom, &QComboBox::currentIndexChanged, this, [this] {
        if (Tab() == PageEditPictures)
            runGuarded([this] { cboZoom_Change(); });
    });
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    // Delete on the list removes the selected rows; while a name is being
    // edited the key goes to its editor, not here.
    if (watched == ui->lvwFiles && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        runGuarded([this] { cmdRemove_Click(); });
        return true;
    }
    if (watched == m_fileListViewport && fileListDrop(event))
        return true;
    if (watched == m_projectPage && projectPageDrop(event))
        return true;
    // The two options are one stop of the tab order, and Tab lands on the
    // selected one, so that the keyboard user meets the current choice.
    if (event->type() == QEvent::FocusIn &&
        (watched == ui->optNewProject || watched == ui->optExistingProject)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        auto *option = static_cast<QRadioButton *>(watched);
        QRadioButton *other =
            option == ui->optNewProject ? ui->optExistingProject : ui->optNewProject;
        if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) &&
            !option->isChecked() && other->isChecked() && other->isEnabled())
            other->setFocus(reason);
    }
    return QWidget::eventFilter(watched, event);
}

int frmMain::Tab() const
{
    return ui->tabMain->currentIndex();
}

void frmMain::showPage(Page page)
{
    // Only pages 3 and 4 hold loaded pictures to keep up to date.
    if (page < PageEditPictures)
        stopWatching();
    if (page != PageEditPictures)
        stopPlaying();
    ui->tabMain->setCurrentIndex(page);
    applyButtons();
}

void frmMain::applyButtons()
{
    const PageButtons &row = Buttons[Tab()];
    const bool idle = !m_busyCompiling;
    const bool hasPictures = !Entries.empty();
    ui->cmdBack->setEnabled(idle && row.back);
    ui->cmdNext->setEnabled(idle && row.next && (hasPictures || !row.nextNeedsPictures));
    ui->cmdNext->setText(QString::fromLatin1(row.nextCaption));
    ui->cmdCancel->setEnabled(idle);
    ui->cmdRemove->setEnabled(hasPictures);
}

void frmMain::Form_Load()
{
    showPage(PageProjectSelect);
    FitFileColumns(ui->lvwFiles);
    if (const QScreen *s = screen()) {
        const QRect area = s->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void frmMain::cmdNext_Click()
{
    switch (Tab()) {
    case PageProjectSelect:
        // The project still open is the one the user came from, on page 1.
        if (!changesMayGo()) {
            showPage(PageEditFiles);
            return;
        }
        if (ui->optNewProject->isChecked()) {
            m_files->replace({});
        } else {
            const QString path = ui->txtProjectFile->text();
            if (IsHeaderPath(path)) {
                OpenHeader(path);
                return;
            }
            if (!CanOpenFile(path))
                return;
            LoadFromFile();
        }
        showPage(PageEditFiles);
        break;
    case PageEditFiles:
        nextFromEditFiles();
        break;
    case PageLoadFiles:
        break;
    case PageEditPictures:
        showPage(PageCompile);
        break;
    case PageCompile:
        nextFromCompile();
        break;
    }
}

void frmMain::nextFromEditFiles()
{
    showPage(PageLoadFiles);
    ui->prbLoadFiles->setValue(0);
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
        if (!m_loadCancelled)
            showPage(PageEditFiles);
        throw;
    }
    m_loading = false;
    if (m_loadCancelled)
        return;
    ui->picDisp->hide();
    showPage(PageEditPictures);
    {
        const QSignalBlocker quiet(ui->lstPictures->selectionModel());
        ui->lstPictures->setCurrentIndex(m_files->index(0, FileListModel::NameColumn));
        const QSignalBlocker quietFrame(ui->spnFrame);
        ui->spnFrame->setValue(0);
    }
    lstPictures_Click();
    ui->picDisp->show();
    QStringList locations;
    for (const PictureEntry &entry : Entries)
        locations << entry.Location;
    m_watcher->watch(locations);
}

ProjectSnapshot frmMain::snapshot() const
{
    return ProjectSnapshot(Entries, pageSettings());
}

bool frmMain::changesMayGo()
{
    if (snapshot() == m_saved)
        return true;
    return dialogs().askDiscard(this, QStringLiteral("Discard the changes to this project?"),
                                AppTitle);
}

bool frmMain::namesReadyAtFinish()
{
    const QString question = NamesQuestionText(Entries, ui->optModern->isChecked());
    if (question.isEmpty())
        return true;
    switch (dialogs().askAboutNames(this, question, AppTitle)) {
    case DialogSeam::NamesAnswer::CompileAnyway:
        return true;
    case DialogSeam::NamesAnswer::Cancel:
        return false;
    case DialogSeam::NamesAnswer::FixNames:
        break;
    }
    const std::vector<int> changed = m_files->fixNames();
    showPage(PageEditFiles);
    QItemSelection rows;
    for (const int row : changed)
        rows.select(m_files->index(row, 0), m_files->index(row, FileListModel::ColumnCount - 1));
    QItemSelectionModel *selection = ui->lvwFiles->selectionModel();
    selection->select(rows, QItemSelectionModel::ClearAndSelect);
    if (!changed.empty()) {
        selection->setCurrentIndex(m_files->index(changed.front(), 0),
                                   QItemSelectionModel::NoUpdate);
        ui->lvwFiles->scrollTo(m_files->index(changed.front(), 0));
    }
    return false;
}

void frmMain::nextFromCompile()
{
    if (!namesReadyAtFinish())
        return;
    // The progress bar alone, with the picture being written.
    const std::array<QWidget *, 8> pageControls = {ui->lblMSG1,    ui->lblMSG2,    ui->lblPic,
                                                   ui->optClassic, ui->optModern,  ui->chkMasks,
                                                   ui->chkShared,  ui->chkRelative};
    for (QWidget *control : pageControls)
        control->hide();
    ui->prbCompile->show();
    m_busyCompiling = true;
    applyButtons();
    // Whatever way the compile ends, page 4 (or page 0 after success) must
    // come back usable.
    auto restore = [this, pageControls] {
        m_busyCompiling = false;
        for (QWidget *control : pageControls)
            control->show();
        ui->prbCompile->setValue(0);
        ui->prbCompile->hide();
        applyButtons();
    };
    std::optional<WrittenFiles> compiled;
    try {
        QCoreApplication::processEvents();
        compiled = CompileProject();
    } catch (...) {
        restore();
        throw;
    }
    m_busyCompiling = false;
    if (compiled) {
        // Where the files went, as chosen: the dialogs may have added
        // extensions the user never typed.
        const QString line = QStringLiteral("\r\n");
        m_saved = snapshot();
        const DialogSeam::CompletedAnswer answer = dialogs().showCompleted(
            this,
            QStringLiteral("Compilation complete!") + line + line + QStringLiteral("Project: ") +
                QDir::toNativeSeparators(compiled->project) + line + QStringLiteral("Header: ") +
                QDir::toNativeSeparators(compiled->header),
            AppTitle);
        if (answer == DialogSeam::CompletedAnswer::KeepEditing) {
            // The project just written is the open one: the next "Finish"
            // offers its name, and page 0 would open it again.
            chooseProject(compiled->project);
            ui->tabMain->setCurrentIndex(PageEditPictures);
        } else {
            ui->optNewProject->setChecked(true);
            optNewProject_Click();
            ui->txtProjectFile->clear();
            showPage(PageProjectSelect);
        }
    }
    restore();
}

void frmMain::cmdBack_Click()
{
    switch (Tab()) {
    case PageEditFiles:
        showPage(PageProjectSelect);
        break;
    case PageEditPictures:
        showPage(PageEditFiles);
        break;
    case PageCompile:
        showPage(PageEditPictures);
        break;
    default:
        break;
    }
}

void frmMain::cmdCancel_Click()
{
    close();
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

void frmMain::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) {
        QWidget::keyPressEvent(event);
        return;
    }
    // Return ends the edit of a name, or takes a typed number; only
    // elsewhere does it mean the wizard's next step.
    const QWidget *focus = QApplication::focusWidget();
    // A name's editor lives on the list's viewport until the edit ends.
    const bool editingName = focus && focus->parentWidget() == ui->lvwFiles->viewport();
    bool inNumber = false;
    for (const QWidget *at = focus; at && !inNumber; at = at->parentWidget())
        inNumber = qobject_cast<const QAbstractSpinBox *>(at);
    if (!editingName && !inNumber && ui->cmdNext->isEnabled())
        ui->cmdNext->click();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_busyCompiling || !changesMayGo()) {
        event->ignore();
        return;
    }
    if (m_loading)
        m_loadCancelled = true;
    event->accept();
}

} // namespace bitvane
