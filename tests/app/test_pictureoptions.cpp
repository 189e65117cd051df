// Per-picture fit, levels and shading in the window: page 3's controls
// choose them, previewed as they are written, and bitvane-compile agrees.
#include "picturepages.h"

#include "compiler/headerreader.h"

#include <QComboBox>
#include <QDir>
#include <QStandardItemModel>

namespace bitvane::testing {
namespace {

// A project of sheets: the name signs follow the names the chosen style
// writes for their frames, and page 3's info line gives the header's shape.
TEST_F(PicturePages, SheetsShowTheirFramesAndTheNamesTheirStyleWrites)
{
    const QDir golden(QStringLiteral(BITVANE_GOLDEN_DIR) +
                      QStringLiteral("/sheet_classic_hex_mask"));
    for (const QString &name : golden.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(golden.filePath(name), path(name))) << name.toStdString();

    openProject(path("project.bvp"));
    ASSERT_EQ(w->Tab(), frmMain::PageEditFiles) << lastMessage().toStdString();
    // A classic sheet of 4 frames writes sheet_2_3; the modern style does not.
    const auto tip = [this](int row) {
        QApplication::processEvents();
        return ui().lvwFiles->model()->index(row, 0).data(Qt::ToolTipRole).toString();
    };
    rename(4, QStringLiteral("sheet_2_3"));
    EXPECT_EQ(tip(4), "also the name of row 2");
    ui().optModern->setChecked(true);
    EXPECT_EQ(tip(4), "");
    ui().optClassic->setChecked(true);
    rename(4, QStringLiteral("tiles_5"));
    EXPECT_EQ(tip(4), "");
    loadPictures();
    select(0);
    EXPECT_EQ(ui().lblInfo->text(),
              "6 frames of 16 x 10 -> unsigned short[6][20]\npadded from 12 px wide");
    select(3);
    EXPECT_EQ(ui().lblInfo->text(),
              "4 frames of 8 x 8 -> unsigned char[4][16]\npadded from 4 px wide");
    select(4);
    EXPECT_EQ(ui().lblInfo->text(), "16 x 8 -> unsigned short[16]");
}

// Page 3's choices, one picture each: the Before view shows the picture as
// fitted, the info line what fitting did, After the very sprite the header
// holds; the header is bitvane-compile's for the project written, whose
// records keep the choices, and opening it shows them again.
TEST_F(PicturePages, ChoicesArePreviewedWrittenAsTheCommandLineWritesAndRestored)
{
    const QDir golden(QStringLiteral(BITVANE_GOLDEN_DIR) + QStringLiteral("/options_in_records"));
    for (const char *name : {"photo.png", "greys.bmp", "greens.png", "blocky.png", "tall.bmp"})
        ASSERT_TRUE(QFile::copy(golden.filePath(name), path(name))) << name;
    ASSERT_TRUE(QFile::copy(golden.filePath("photo.png"), path("photo2.png")));

    const struct Row {
        const char *file;
        int fit, width, black, white, shade; // as the controls' data
        QSize before;                        // the fitted picture, padding included
        const char *note;                    // the info line's second line
        const char *field;                   // the record's fifth field
    } rows[] = {
        {"photo.png", 1, 0, 0, 255, 2, {32, 24}, "scaled from 96 x 72", "fit=scale;shade=diffuse"},
        {"photo2.png",
         1,
         16,
         40,
         200,
         1,
         {16, 12},
         "scaled from 96 x 72",
         "fit=scale;width=16;black=40;white=200;shade=ordered"},
        {"greys.bmp", 0, 0, 30, 220, 0, {16, 16}, "", "black=30;white=220"},
        {"greens.png", 0, 0, 0, 255, 3, {16, 16}, "", "shade=palette"},
        {"blocky.png", 1, 0, 0, 255, 3, {32, 32}, "scaled from 64 x 64", "fit=scale;shade=palette"},
        {"tall.bmp",
         1,
         0,
         0,
         255,
         2,
         {32, 240},
         "scaled from 20 x 300; padded from 16 px wide",
         "fit=scale;shade=diffuse"},
    };
    QStringList files;
    for (const Row &row : rows)
        files << row.file;
    newProjectWith(files);
    loadPictures();

    auto choose = [](QComboBox *box, int data) { box->setCurrentIndex(box->findData(data)); };
    std::vector<PictureSurface> shown;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row &row = rows[i];
        SCOPED_TRACE(row.file);
        select(int(i));
        choose(ui().cboFit, row.fit);
        choose(ui().cboWidth, row.width);
        ui().spnWhite->setValue(row.white);
        ui().spnBlack->setValue(row.black);
        choose(ui().cboShading, row.shade);
        ASSERT_TRUE(seam.messages.empty()) << lastMessage().toStdString();
        EXPECT_EQ(ui().cboWidth->isEnabled(), row.fit == 1);
        const PictureSurface &before = ui().picBefore->surface();
        EXPECT_EQ(QSize(before.width(), before.height()), row.before);
        const QStringList info = ui().lblInfo->text().split(u'\n');
        EXPECT_EQ(info.value(1), QString::fromLatin1(row.note));
        shown.push_back(drawnSprite(*ui().picDisp));
    }

    finish(true, "window.bvp", "window.h");
    ASSERT_EQ(seam.messages.size(), 1u);
    const QByteArray project = readAll(path("window.bvp"));
    for (const Row &row : rows)
        EXPECT_TRUE(project.contains(QByteArray(",\"") + row.field + "\"\r\n")) << row.field;

    ASSERT_NO_FATAL_FAILURE(expectCommandLineWritesTheSame("window.bvp", "window.h"));
    const HeaderContents header = ReadHeaderFile(path("window.h"));
    ASSERT_EQ(header.sprites.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_TRUE(header.sprites[i].picture == shown[i]) << rows[i].file;

    openProject(path("window.bvp"));
    loadPictures();
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row &row = rows[i];
        SCOPED_TRACE(row.file);
        select(int(i));
        EXPECT_EQ(ui().cboFit->currentData().toInt(), row.fit);
        EXPECT_EQ(ui().cboWidth->currentData().toInt(), row.width);
        EXPECT_EQ(ui().spnBlack->value(), row.black);
        EXPECT_EQ(ui().spnWhite->value(), row.white);
        EXPECT_EQ(ui().cboShading->currentData().toInt(), row.shade);
    }
}

// Palette order is offered only for a picture of at most four colours as
// fitted; elsewhere its item is disabled with the reason as its tooltip.
TEST_F(PicturePages, PaletteOrderOnlyForPicturesOfFourColoursAtMost)
{
    const QDir golden(QStringLiteral(BITVANE_GOLDEN_DIR) + QStringLiteral("/options_in_records"));
    for (const char *name : {"greens.png", "three.gif", "greys.bmp"})
        ASSERT_TRUE(QFile::copy(golden.filePath(name), path(name))) << name;
    newProjectWith({"greens.png", "three.gif", "greys.bmp"});
    loadPictures();
    const struct {
        int row;
        const char *reason;
    } cases[] = {
        {0, ""},
        {1, ""},
        {2, "greys.bmp: has 256 colours; palette order takes at most 4"},
    };
    const auto *model = static_cast<const QStandardItemModel *>(ui().cboShading->model());
    for (const auto &c : cases) {
        select(c.row);
        const QStandardItem *palette = model->item(3);
        ASSERT_EQ(palette->text(), "Palette order");
        EXPECT_EQ(palette->isEnabled(), *c.reason == 0) << c.row;
        EXPECT_EQ(palette->toolTip(), QString::fromLatin1(c.reason)) << c.row;
    }
}

} // namespace
} // namespace bitvane::testing
