// Sheets and animations on page 3: the cell and frame boxes, the frame shown,
// the player, and the same header as bitvane-compile writes.
#include "picturepages.h"

#include "app/filelistmodel.h"
#include "app/sheetframes.h"
#include "compiler/headerreader.h"
#include "core/gifwriter.h"

#include <QPushButton>

namespace bitvane::testing {
namespace {

TEST(SheetFrames, LeftoverNoteNamesThePixelsNoWholeCellTakes)
{
    const struct {
        QSize picture, cell;
        const char *note;
    } cases[] = {
        {{100, 75}, {16, 16}, "4 columns and 11 rows left over"},
        {{40, 20}, {16, 10}, "8 columns left over"},
        {{33, 32}, {16, 16}, "1 column left over"},
        {{32, 33}, {16, 16}, "1 row left over"},
        {{64, 64}, {16, 16}, ""},
        {{64, 64}, {0, 0}, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LeftoverNote(c.picture, c.cell), QString::fromLatin1(c.note))
            << c.picture.width() << "x" << c.picture.height();
}

// What the boxes give becomes a sheet the loader takes for a 40 x 20 picture.
TEST(SheetFrames, BoxesGiveOnlySheetsThePictureHolds)
{
    const QSize picture(40, 20);
    const struct {
        int cellWidth, cellHeight, frames; // before
        QSize boxes;
        int framesBox;
        int wantWidth, wantHeight, wantFrames;
    } cases[] = {
        {0, 0, 1, {16, 0}, 1, 16, 16, 0},    // one side chosen: a square cell, all cells
        {0, 0, 1, {30, 0}, 1, 30, 20, 0},    // ... as high as the picture allows
        {16, 16, 0, {16, 0}, 0, 0, 0, 1},    // a side set back to 0 ends the sheet
        {16, 10, 4, {24, 10}, 4, 24, 10, 2}, // fewer whole cells: frames cut to them
        {16, 10, 0, {24, 10}, 0, 24, 10, 0}, // all stays all
        {16, 10, 4, {16, 10}, 3, 16, 10, 3},
        {0, 0, 1, {0, 0}, 0, 0, 0, 0}, // no sheet: a GIF's frames as chosen
    };
    for (const auto &c : cases) {
        PictureOptions before;
        before.cellWidth = c.cellWidth;
        before.cellHeight = c.cellHeight;
        before.frames = c.frames;
        before.shade = ShadeMode::Ordered;
        const PictureOptions got = WithSheetChoice(before, c.boxes, c.framesBox, picture);
        EXPECT_EQ(got.cellWidth, c.wantWidth) << c.boxes.width() << "x" << c.boxes.height();
        EXPECT_EQ(got.cellHeight, c.wantHeight) << c.boxes.width() << "x" << c.boxes.height();
        EXPECT_EQ(got.frames, c.wantFrames) << c.boxes.width() << "x" << c.boxes.height();
        EXPECT_EQ(got.shade, ShadeMode::Ordered);
    }
}

// The boxes offer what each picture holds, as its record opens: a cell no
// larger than the picture (nor than a record can hold), no more frames than
// whole cells, a frame count only for a sheet or a GIF.
TEST_F(PicturePages, SheetBoxesAreLimitedToWhatThePictureHolds)
{
    writePicture("wide.bmp", QImage(100, 75, QImage::Format_RGB32));
    writePicture("strip.bmp", QImage(12000, 2, QImage::Format_RGB32));
    writeFile("still.gif", giftest::makeGif(QSize(8, 4), {qRgb(0, 0, 0), qRgb(255, 255, 255)},
                                            {giftest::Frame{std::vector<std::uint8_t>(32, 1)}}));
    writeFile("project.bvp", "\"wide.bmp\",0,0\r\n"
                             "\"wide.bmp\",0,0,\"wide2\",\"cell=16x16;frames=all\"\r\n"
                             "\"strip.bmp\",0,0,\"strip\",\"cell=2x2;frames=5\"\r\n"
                             "\"still.gif\",0,0\r\n");
    const struct {
        int cellWidth, cellHeight, frames; // the boxes' maximums
        bool counted;                      // the frame count offered
    } rows[] = {
        {100, 75, 1, false},
        {100, 75, 24, true},
        {MaxCellSide, 2, 6000, true},
        {8, 4, MaxSprites, true},
    };
    openProject(path("project.bvp"));
    loadPictures();
    for (int i = 0; i < int(std::size(rows)); ++i) {
        SCOPED_TRACE(i);
        select(i);
        EXPECT_EQ(ui().spnCellWidth->maximum(), rows[i].cellWidth);
        EXPECT_EQ(ui().spnCellHeight->maximum(), rows[i].cellHeight);
        EXPECT_EQ(ui().spnFrames->maximum(), rows[i].frames);
        EXPECT_EQ(ui().spnFrames->isEnabled(), rows[i].counted);
    }
    EXPECT_TRUE(seam.messages.empty()) << lastMessage().toStdString();
}

// Page 1 says how many frames an entry gives as soon as that is known: one
// taking all of a GIF's frames says "all frames" until it is decoded, then
// its count; a still picture taking all its frames is one frame once loaded.
TEST_F(PicturePages, PageOneCountsFramesOnceTheyAreKnown)
{
    QList<giftest::Frame> frames(3);
    for (int k = 0; k < 3; ++k)
        frames[k].indices.assign(8 * 4, std::uint8_t(k % 2));
    const QList<QRgb> palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    writeFile("walk.gif", giftest::makeGif(QSize(8, 4), palette, frames));
    writeFile("still.gif", giftest::makeGif(QSize(8, 4), palette, frames.mid(0, 1)));
    writePicture("door.bmp");
    writeFile("project.bvp", "\"walk.gif\",0,0,\"walk\",\"frames=all\"\r\n"
                             "\"walk.gif\",0,0,\"walk2\",\"frames=2\"\r\n"
                             "\"still.gif\",0,0,\"still\",\"frames=all\"\r\n"
                             "\"door.bmp\",0,0,\"door\",\"frames=all\"\r\n"
                             "\"door.bmp\",0,0,\"still_1\"\r\n");
    // The last row's name is one the still GIF would write if it had frames:
    // it is marked only until the GIF turns out to have one.
    const struct {
        const char *file, *opened, *loaded; // what follows the location
        bool markedOpened, markedLoaded;
    } rows[] = {
        {"walk.gif", "    all frames", "    3 frames", false, false},
        {"walk.gif", "    2 frames", "    2 frames", false, false},
        {"still.gif", "    all frames", "", false, false},
        {"door.bmp", "    all frames", "", false, false},
        {"door.bmp", "", "", true, false},
    };
    const auto *files = static_cast<const FileListModel *>(ui().lvwFiles->model());
    openProject(path("project.bvp"));
    ASSERT_EQ(w->Tab(), frmMain::PageEditFiles) << lastMessage().toStdString();
    QApplication::processEvents();
    for (int i = 0; i < int(std::size(rows)); ++i) {
        EXPECT_EQ(cell(i, 1), path(rows[i].file) + rows[i].opened) << i;
        EXPECT_EQ(!files->nameProblem(i).isEmpty(), rows[i].markedOpened) << i;
    }
    loadPictures();
    back();
    QApplication::processEvents();
    for (int i = 0; i < int(std::size(rows)); ++i) {
        EXPECT_EQ(cell(i, 1), path(rows[i].file) + rows[i].loaded) << i;
        EXPECT_EQ(!files->nameProblem(i).isEmpty(), rows[i].markedLoaded) << i;
    }
    EXPECT_TRUE(seam.messages.empty()) << lastMessage().toStdString();
}

// A sheet set up with the boxes: the frame count follows the cell, the note
// what the cell leaves over, Before shows each cell as cut and After its
// sprite; the header is bitvane-compile's for the project written, and the
// project opens with the same choices.
TEST_F(PicturePages, SheetChosenOnPageThreeCompilesAsOnTheCommandLineAndIsRestored)
{
    const TestPicture sheet = makePicture(40, 20, 21);
    writePicture("sheet.bmp", sheet.image);
    newProjectWith({"sheet.bmp"});
    loadPictures();
    EXPECT_EQ(ui().spnCellWidth->text(), "None");
    EXPECT_FALSE(ui().spnFrame->isVisible());

    ui().spnCellWidth->setValue(16);
    EXPECT_EQ(ui().spnCellHeight->value(), 16);
    EXPECT_EQ(ui().spnFrames->text(), "All");
    EXPECT_EQ(ui().lblLeftover->text(), "8 columns and 4 rows left over");
    const QLabel *note = ui().lblLeftover;
    EXPECT_LE(note->fontMetrics()
                  .boundingRect(QRect(0, 0, note->width(), 1000), Qt::TextWordWrap, note->text())
                  .height(),
              note->height())
        << "the note shows whole";
    ui().spnCellHeight->setValue(10);
    EXPECT_EQ(ui().spnFrames->maximum(), 4);
    EXPECT_EQ(ui().lblInfo->text(), "4 frames of 16 x 10 -> unsigned short[4][20]");
    ui().spnFrames->setValue(3);
    ASSERT_TRUE(seam.messages.empty()) << lastMessage().toStdString();
    EXPECT_EQ(ui().lblLeftover->text(), "8 columns left over");
    EXPECT_TRUE(ui().spnFrame->isVisible());
    EXPECT_EQ(ui().spnFrame->maximum(), 2);

    std::vector<PictureSurface> shown;
    for (int frame = 0; frame < 3; ++frame) {
        ui().spnFrame->setValue(frame);
        const PictureSurface &before = ui().picBefore->surface();
        ASSERT_EQ(before.width(), 16);
        ASSERT_EQ(before.height(), 10);
        const int left = (frame % 2) * 16, top = (frame / 2) * 10;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_EQ(before.pixel(x, y), Grey(qRed(sheet.image.pixel(left + x, top + y))))
                    << "frame " << frame << " at " << x << "," << y;
        shown.push_back(drawnSprite(*ui().picDisp));
    }
    back();
    EXPECT_EQ(cell(0, 1), path("sheet.bmp") + "    3 frames");
    next();

    finish(true, "window.bvp", "window.h");
    ASSERT_EQ(seam.messages.size(), 1u) << lastMessage().toStdString();
    EXPECT_TRUE(readAll(path("window.bvp")).contains(",\"cell=16x10;frames=3\"\r\n"));
    ASSERT_NO_FATAL_FAILURE(expectCommandLineWritesTheSame("window.bvp", "window.h"));
    const HeaderContents header = ReadHeaderFile(path("window.h"));
    ASSERT_EQ(header.sprites.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(header.sprites[i].picture == shown[i]) << i;

    openProject(path("window.bvp"));
    loadPictures();
    EXPECT_EQ(ui().spnCellWidth->value(), 16);
    EXPECT_EQ(ui().spnCellHeight->value(), 10);
    EXPECT_EQ(ui().spnFrames->value(), 3);
    EXPECT_EQ(ui().lblLeftover->text(), "8 columns left over");
}

// An animated GIF: its frame count is chosen in the box (more than it has
// is refused with the loader's reason, the entry kept), the frame box steps
// through the composited frames, and the player shows each for its own
// delay, the shortest as browsers play them.
TEST_F(PicturePages, AnimationStepsAndPlaysAtItsOwnDelays)
{
    const QList<QRgb> palette = {qRgb(0, 0, 0), qRgb(85, 85, 85), qRgb(170, 170, 170),
                                 qRgb(255, 255, 255)};
    QList<giftest::Frame> frames;
    const int delays[] = {0, 1, 2, 50}; // centiseconds, as written
    for (int k = 0; k < 4; ++k) {
        giftest::Frame frame;
        frame.indices.assign(8 * 4, std::uint8_t(k));
        frame.delay = delays[k];
        frames << frame;
    }
    writeFile("walk.gif", giftest::makeGif(QSize(8, 4), palette, frames));
    writePicture("door.bmp");
    newProjectWith({"walk.gif", "door.bmp"});
    rename(1, QStringLiteral("walk_2")); // free while walk is one frame
    loadPictures();
    EXPECT_TRUE(ui().spnFrames->isEnabled());
    EXPECT_FALSE(ui().cmdPlay->isVisible()) << "one frame until more are chosen";

    ui().spnFrames->setValue(6);
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_TRUE(lastMessage().endsWith("frames=6 but the GIF has 4 frames"))
        << lastMessage().toStdString();
    EXPECT_EQ(ui().spnFrames->value(), 1);
    EXPECT_FALSE(w->entries()[0].Options.frames.has_value());

    ui().spnFrames->setValue(0);
    ASSERT_EQ(seam.messages.size(), 1u) << lastMessage().toStdString();
    QApplication::processEvents(); // the names are checked again once queued
    EXPECT_EQ(ui().lvwFiles->model()->index(1, 0).data(Qt::ToolTipRole).toString(),
              "also the name of row 1")
        << "the classic walk_0 .. walk_3 take the name";
    ASSERT_TRUE(ui().cmdPlay->isVisible());
    EXPECT_EQ(ui().spnFrame->maximum(), 3);
    for (int k : {2, 0, 3}) {
        ui().spnFrame->setValue(k);
        EXPECT_EQ(drawnSprite(*ui().picDisp).pixel(3, 2), Grey(Shades[k])) << k;
    }

    // From frame 3 (shown 500 ms) on: each step shows the next frame and
    // waits for its delay; 0 and 1 centiseconds are played as 10.
    QTimer *player = WindowProbe::player(*w);
    ui().cmdPlay->click();
    EXPECT_EQ(ui().cmdPlay->text(), "&Pause");
    EXPECT_TRUE(player->isActive());
    EXPECT_EQ(player->interval(), 500);
    const struct {
        int frame, ms;
    } steps[] = {{0, 100}, {1, 100}, {2, 20}, {3, 500}, {0, 100}};
    for (const auto &step : steps) {
        WindowProbe::playerStep(*w);
        EXPECT_EQ(ui().spnFrame->value(), step.frame);
        EXPECT_EQ(player->interval(), step.ms) << step.frame;
        EXPECT_EQ(drawnSprite(*ui().picDisp).pixel(0, 0), Grey(Shades[step.frame]));
    }
    ui().cmdPlay->click();
    EXPECT_FALSE(player->isActive());
    EXPECT_EQ(ui().cmdPlay->text(), "&Play");

    // A sheet plays at 8 frames a second; leaving the page stops the player.
    ui().spnCellWidth->setValue(4);
    ui().cmdPlay->click();
    EXPECT_EQ(player->interval(), 125);
    next();
    EXPECT_FALSE(player->isActive());
}

} // namespace
} // namespace bitvane::testing
