// Files the loader refuses: missing, unreadable, not pictures, truncated or
// declaring absurd sizes, each refused with a message naming the file.
#include "error.h"
#include "loaderfixture.h"

#include <QDir>
#include <QImageWriter>

#include <unistd.h>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

// Both entry points refuse the file with an error naming it.
void expectRefused(const QString &path, const QString &reason)
{
    for (int entry = 0; entry < 2; ++entry) {
        try {
            if (entry == 0)
                DecodePicture(path);
            else
                LoadPicture(path);
            ADD_FAILURE() << "accepted " << qPrintable(path);
        } catch (const Error &e) {
            EXPECT_EQ(e.file(), QDir::toNativeSeparators(path));
            EXPECT_TRUE(e.reason().contains(reason))
                << qPrintable(e.message()) << " lacks " << qPrintable(reason);
        }
    }
}

// A whole, valid 2 x 1 grey TIFF, written here so that no test needs Qt's
// TIFF plugin (not in Debian's qt6-base packages): header, one IFD of eight
// entries, then the strip.
QByteArray SmallTiff()
{
    QByteArray b("II*\0\x08\0\0\0", 8);
    auto le = [&](quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    const quint16 entries[][2] = {{256, 2}, {257, 1}, {258, 8}, {259, 1},
                                  {262, 1}, {273, 0}, {278, 1}, {279, 2}};
    const quint32 strip = 8 + 2 + 8 * 12 + 4;
    le(8, 2);
    for (const auto &[tag, value] : entries) {
        le(tag, 2);
        le(3, 2); // SHORT
        le(1, 4); // one value
        le(tag == 273 ? strip : value, 4);
    }
    le(0, 4); // no next IFD
    b.append("\x00\xFF", 2);
    return b;
}

} // namespace

TEST_F(Loader, BadFiles)
{
    expectRefused(dir.filePath("missing.bmp"), "not found");
    expectRefused(dir.path(), "folder");
    expectRefused(write("empty.bmp", {}), "empty");
    expectRefused(write("notes.gif", "just some text, not a picture\n"), "not a picture");
    expectRefused(write("a.tif", SmallTiff()), "not a picture");
    // The right magic, nothing decodable behind it.
    expectRefused(write("junk.png", QByteArray("\x89PNG\r\n\x1A\n", 8) +
                                        QByteArray("\0\0\0\x0DIHDR", 8) + QByteArray(17, 'x') +
                                        QByteArray("\0\0\0\0IEND\xAE\x42\x60\x82", 12)),
                  "damaged");
}

TEST_F(Loader, UnreadableFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    const QString path = save("locked.bmp", RandomImage(4, 4, 7), "bmp");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
    expectRefused(path, "cannot be read");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(Loader, TruncatedFilesAreRefused)
{
    const QImage image = RandomImage(32, 40, 8);
    QImage paletted = image.convertToFormat(QImage::Format_Indexed8);
    struct Sample {
        const char *name;
        QByteArray bytes;
        int keepAtEnd; // bytes at the end that the first picture does not need
    };
    const Sample samples[] = {
        {"bmp24", Encode(image, "bmp"), 0},
        {"bmp8", Encode(paletted, "bmp"), 0},
        {"rle8", SmallRle8Bmp(), 0},
        {"png", Encode(image, "png"), 0},
        {"jpeg", Encode(image, "jpeg", 90), 0},
        {"gif", SmallGif(), 1}, // the trailer byte after the only frame
    };
    for (const Sample &sample : samples) {
        const QString whole = write(QStringLiteral("%1-whole").arg(sample.name), sample.bytes);
        EXPECT_NO_THROW(DecodePicture(whole)) << sample.name;
        const qsizetype size = sample.bytes.size();
        for (qsizetype keep :
             {size - sample.keepAtEnd - 1, size / 2, qsizetype(20), qsizetype(3)}) {
            const QString path =
                write(QStringLiteral("%1-%2").arg(sample.name).arg(keep), sample.bytes.left(keep));
            expectRefused(path, "truncated");
        }
    }
}

// A JPEG more than a sprite tall is read only as far as the sprite's rows
// need: cut short before their data ends it is refused, cut after it it
// gives the same sprite as the whole file. A progressive one spreads every
// row over all its scans, so any cut is refused.
TEST_F(Loader, TallJpegIsReadOnlyAsFarAsTheSpriteNeeds)
{
    // 1200 rows, of which the sprite's 240 and the blocks after them are
    // about the first fifth of the file.
    const QImage image = RandomImage(40, 1200, 12);
    for (const bool progressive : {false, true}) {
        SCOPED_TRACE(progressive);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(90);
        writer.setProgressiveScanWrite(progressive);
        ASSERT_TRUE(writer.write(image));
        const LoadedSprite whole = LoadSprite(write("tall.jpg", bytes), {});
        const qsizetype scan = bytes.indexOf("\xFF\xDA");
        ASSERT_GT(scan, 0);
        const struct {
            qsizetype keep;
            bool refused;
        } cuts[] = {
            {bytes.size() - 2, progressive}, // no end marker
            {bytes.size() / 2, progressive},
            {bytes.size() / 8, true},
            {scan + 40, true}, // just into the picture data
            {scan - 20, true}, // in the headers after the frame's
        };
        for (const auto &cut : cuts) {
            SCOPED_TRACE(cut.keep);
            const QString path =
                write(QStringLiteral("tall-%1.jpg").arg(cut.keep), bytes.left(cut.keep));
            if (cut.refused) {
                try {
                    LoadSprite(path, {});
                    ADD_FAILURE() << "accepted";
                } catch (const Error &e) {
                    EXPECT_EQ(e.file(), QDir::toNativeSeparators(path));
                    EXPECT_TRUE(e.reason().contains("truncated")) << qPrintable(e.message());
                }
            } else {
                EXPECT_EQ(LoadSprite(path, {}).Image, whole.Image);
            }
        }
    }
}

TEST_F(Loader, BytesEntryNamesTheFileInErrors)
{
    try {
        DecodePicture(QByteArray("GIF89a"), "ship.gif");
        FAIL() << "accepted";
    } catch (const Error &e) {
        EXPECT_EQ(e.file(), "ship.gif");
    }
    const QImage image = RandomImage(3, 2, 9);
    ExpectSameColours(DecodePicture(Encode(image, "png"), "x.png"), image);
}

TEST_F(Loader, AbsurdDeclaredSizeIsRefusedBeforeDecoding)
{
    // A one-pixel GIF whose screen claims 65535 x 65535 pixels.
    QByteArray gif = giftest::makeGif(QSize(1, 1), {qRgb(0, 0, 0), qRgb(255, 255, 255)},
                                      {giftest::Frame{{0}, -1}});
    gif[6] = gif[7] = gif[8] = gif[9] = char(0xFF);
    expectRefused(write("bomb.gif", gif), "too large");
}
