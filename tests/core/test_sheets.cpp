// Sheets: one picture cut into cells gives what its cells give as pictures of their own; refusals.
#include "loaderfixture.h"
#include "testsupport.h"

#include "compiler/compilerun.h"
#include "error.h"
#include "imaging/pictureloader.h"
#include "project/optionfield.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <random>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

// Random colours with alpha in steps that cross the mask's half, fixed seed.
QImage RandomSheet(int width, int height, unsigned seed)
{
    std::mt19937 rng(seed);
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y,
                qRgba(int(rng() % 256), int(rng() % 256), int(rng() % 256), int(rng() % 4) * 85));
    return image;
}

QByteArray Compiled(std::vector<PictureEntry> entries, HeaderStyle style)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    CompileJob job;
    job.settings.style = style;
    job.settings.masks = true;
    job.headerPath = QStringLiteral("sprites.h");
    job.headerDevice = &out;
    job.entries = entries;
    RunCompile(job);
    return out.data();
}

} // namespace

TEST_F(Loader, SheetFramesAreItsCellsLoadedAlone)
{
    // 3 x 2 whole cells of 20 x 12, with columns and rows left over.
    const QSize cell(20, 12);
    const QImage sheet = RandomSheet(65, 27, 21);
    const QString sheetPath = save(QStringLiteral("sheet.png"), sheet, "PNG");
    const char *cases[] = {"", "shade=ordered", "shade=diffuse;black=30;white=200",
                           "fit=scale;width=8;shade=diffuse", "fit=scale"};
    for (const char *field : cases) {
        SCOPED_TRACE(field);
        const PictureOptions alone = ResolveOptions(ParseOptionField(field, "p.bvp", 1));
        PictureOptions cut = alone;
        cut.cellWidth = cell.width();
        cut.cellHeight = cell.height();
        cut.frames = 0;
        const LoadedSprite frames = LoadSprite(sheetPath, cut);
        ASSERT_EQ(frames.frameCount(), 6);
        std::vector<PictureEntry> separate;
        for (int k = 0; k < 6; ++k) {
            const QString cellPath =
                save(QStringLiteral("cell%1.png").arg(k),
                     sheet.copy((k % 3) * cell.width(), (k / 3) * cell.height(), cell.width(),
                                cell.height()),
                     "PNG");
            LoadedSprite own = LoadSprite(cellPath, alone);
            EXPECT_EQ(frames.frameImage(k), own.Image) << k;
            EXPECT_EQ(frames.frameMask(k).rows, own.Mask.rows) << k;
            separate.push_back(MakeEntry(QStringLiteral("walk_%1").arg(k), cellPath));
            separate.back().Sprite = std::move(own);
        }
        PictureEntry whole = MakeEntry(QStringLiteral("walk"), sheetPath);
        whole.Sprite = frames;
        // Array for array: the classic sheet's header is its cells' header.
        EXPECT_EQ(Compiled({whole}, HeaderStyle::Classic),
                  Compiled(separate, HeaderStyle::Classic));
    }
}

TEST_F(Loader, SheetsThatCannotBeCutAreRefused)
{
    struct Case {
        QSize size;
        const char *field;
        const char *reason;
    };
    const Case cases[] = {
        {{10, 10}, "cell=12x8", "the picture is 10 x 10, smaller than one cell of 12 x 8"},
        {{8, 8},
         "frames=2",
         "frames=2 of a still picture: only a sheet (cell=WxH) or an animated GIF has more than "
         "one"},
        {{200, 200}, "cell=1x1", "40000 frames are more than the 32767 sprites a project can hold"},
    };
    for (const Case &c : cases) {
        const QString path =
            save(QStringLiteral("p.png"), RandomSheet(c.size.width(), c.size.height(), 1), "PNG");
        try {
            LoadSprite(path, ResolveOptions(ParseOptionField(c.field, "p.bvp", 1)));
            ADD_FAILURE() << c.field << " was taken";
        } catch (const Error &e) {
            EXPECT_EQ(e.reason(), QString::fromUtf8(c.reason)) << c.field;
        }
    }
}

TEST(SheetCompile, MoreThanTheProjectsSpritesIsRefusedNamingTheProject)
{
    // Two entries of 16384 frames each: 32768 sprites, though only two
    // records.
    LoadedSprite sheet{PictureSurface(8, 1), {}, {}};
    sheet.MoreFrames.resize(16383, SpriteFrame{PictureSurface(8, 1), {}, {}});
    std::vector<PictureEntry> entries{MakeEntry(QStringLiteral("a"), QStringLiteral("a.png")),
                                      MakeEntry(QStringLiteral("b"), QStringLiteral("b.png"))};
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    CompileJob job;
    job.headerPath = QStringLiteral("sprites.h");
    job.headerDevice = &out;
    job.sourceProject = QStringLiteral("art.bvp");
    job.entries = entries;
    job.sprite = [&](int) -> const LoadedSprite & { return sheet; };
    try {
        RunCompile(job);
        ADD_FAILURE() << "32768 sprites were written";
    } catch (const Error &e) {
        EXPECT_EQ(e.message(), QStringLiteral("art.bvp: more than the 32767 sprites a project can "
                                              "hold (a sheet's frames each counted)"));
    }
    EXPECT_TRUE(out.data().isEmpty());
}
