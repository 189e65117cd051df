// Animated GIFs loaded as frames: disposal against screens composited by hand, refusals, counts.
#include "gifwriter.h"
#include "loaderfixture.h"
#include "testsupport.h"

#include "error.h"
#include "imaging/pictureloader.h"
#include "project/optionfield.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

using namespace bitvane;
using bitvane::testing::Loader;

// Palette: 0 black (the background), 1 white, 2 dark grey, 3 light grey.
const QList<QRgb> Palette{qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(85, 85, 85),
                          qRgb(170, 170, 170)};

// A 4 x 2 screen: a 2 x 2 dark block kept (disposal none); a light pixel
// beside a transparent one, wiped to the background after (disposal 2); a
// white pair below, undone after (disposal 3); a last light pixel.
QByteArray DisposalGif()
{
    QList<giftest::Frame> frames;
    frames.append({{2, 2, 2, 2}, -1, QRect(0, 0, 2, 2), 1});
    frames.append({{3, 1}, 1, QRect(1, 0, 2, 1), 2});
    frames.append({{1, 1}, -1, QRect(2, 1, 2, 1), 3});
    frames.append({{3}, -1, QRect(3, 0, 1, 1), 1});
    return giftest::makeGif(QSize(4, 2), Palette, frames);
}

// A 4 x 2 screen whose first image is transparent in the middle, so the
// screen starts transparent; that image is wiped (disposal 2) and a dark
// pair drawn on the clear screen.
QByteArray TransparentGif()
{
    QList<giftest::Frame> frames;
    frames.append({{1, 0, 0, 1, 1, 0, 0, 1}, 0, QRect(), 2});
    frames.append({{2, 2}, -1, QRect(1, 1, 2, 1), 1});
    return giftest::makeGif(QSize(4, 2), Palette, frames);
}

// The screens after each frame, palette indices or t for transparent,
// composited by hand.
struct Animation {
    QByteArray (*gif)();
    QList<QList<const char *>> screens;
};
const Animation Animations[] = {
    {DisposalGif, {{"2200", "2200"}, {"2300", "2200"}, {"2000", "2211"}, {"2003", "2200"}}},
    {TransparentGif, {{"1tt1", "1tt1"}, {"tttt", "t22t"}}},
};

QImage Screen(const QList<const char *> &rows)
{
    QImage image(4, 2, QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            image.setPixel(x, y, rows[y][x] == 't' ? qRgba(0, 0, 0, 0) : Palette[rows[y][x] - '0']);
    return image;
}

TEST_F(Loader, GifFramesFollowTheirDisposal)
{
    for (const Animation &a : Animations) {
        const QString gif = write(QStringLiteral("anim.gif"), a.gif());
        const int frames = int(a.screens.size());
        for (const QByteArray &field :
             {QByteArray("frames=all"), "frames=" + QByteArray::number(frames),
              QByteArray("frames=2;shade=palette")}) {
            const PictureOptions options = ResolveOptions(ParseOptionField(field, "p.bvp", 1));
            const LoadedSprite sprite = LoadSprite(gif, options);
            const int count = options.frames == 0 ? frames : options.frames;
            ASSERT_EQ(sprite.frameCount(), count) << field.data();
            EXPECT_EQ(sprite.SourceSize, QSize(4, 2)) << field.data();
            if (options.shade == ShadeMode::Palette)
                continue; // shaded together: only the count is its own
            for (int k = 0; k < count; ++k) {
                PictureOptions single = options;
                single.frames = 1;
                const LoadedSprite alone = LoadSprite(
                    save(QStringLiteral("f%1.png").arg(k), Screen(a.screens[k]), "PNG"), single);
                EXPECT_EQ(sprite.frameImage(k), alone.Image) << field.data() << " frame " << k;
                EXPECT_EQ(sprite.frameMask(k).rows, alone.Mask.rows)
                    << field.data() << " frame " << k;
            }
        }
    }
}

TEST_F(Loader, GifFramesThatAreNotThereAreRefused)
{
    struct Case {
        const char *file;
        const char *field;
        const char *reason;
    };
    const Case cases[] = {
        {"still.gif", "frames=2", "frames=2 but the GIF has 1 frame"},
    };
    write(QStringLiteral("still.gif"),
          giftest::makeGif(QSize(2, 1), Palette, {giftest::Frame{{1, 2}}}));
    for (const Case &c : cases) {
        try {
            LoadSprite(dir.filePath(QString::fromUtf8(c.file)),
                       ResolveOptions(ParseOptionField(c.field, "p.bvp", 1)));
            ADD_FAILURE() << c.file << " " << c.field << " was taken";
        } catch (const Error &e) {
            EXPECT_EQ(e.reason(), QString::fromUtf8(c.reason)) << c.file << " " << c.field;
        }
    }
}

// The frames taken when a record asks for all of them, counted without
// decoding: what the name rule goes by before the compile reads them.
TEST_F(Loader, FramesAreCountedAsLoadingWouldTakeThem)
{
    write(QStringLiteral("walk.gif"), DisposalGif());
    write(QStringLiteral("still.gif"),
          giftest::makeGif(QSize(2, 1), Palette, {giftest::Frame{{1, 2}}}));
    QImage sheet(70, 20, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    save(QStringLiteral("sheet.png"), sheet, "PNG");
    const struct {
        const char *file, *field;
        int frames;
    } cases[] = {
        {"walk.gif", "frames=all", 4},
        {"walk.gif", "frames=2", 2},
        {"still.gif", "frames=all", 1},
        {"sheet.png", "frames=all", 1},
        {"sheet.png", "cell=16x16;frames=all", 4},
        {"sheet.png", "cell=10x5;frames=all", 28},
        {"sheet.png", "cell=80x8;frames=all", 0}, // refused when loaded
    };
    for (const auto &c : cases)
        EXPECT_EQ(CountFrames(dir.filePath(QString::fromUtf8(c.file)),
                              ResolveOptions(ParseOptionField(c.field, "p.bvp", 1))),
                  c.frames)
            << c.file << " " << c.field;
    // Cut short inside its first image's descriptor.
    write(QStringLiteral("cut.gif"), DisposalGif().left(40));
    EXPECT_THROW(CountFrames(dir.filePath(QStringLiteral("cut.gif")),
                             ResolveOptions(ParseOptionField("frames=all", "p.bvp", 1))),
                 Error);
}

} // namespace
