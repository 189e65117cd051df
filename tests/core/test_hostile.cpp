// The core on hostile and unusual files: output targets, targets replaced
// together (a failure at each step of the commit), inputs as targets,
// special inputs, BMP colour masks, camera-sized pictures.

#include "hostilehelpers.h"
#include "testsupport.h"

#include "compiler/compilerun.h"
#include "compiler/outputset.h"
#include "error.h"
#include "imaging/pictureloader.h"
#include "imaging/shadereduction.h"
#include "project/projectfile.h"

#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace bitvane;
using namespace bitvane::testing;
using namespace hostile;

namespace {

// The message of the Error that call throws, or "" when it succeeds.
template <typename Call> QString refusal(Call call)
{
    try {
        call();
    } catch (const Error &e) {
        return e.message();
    }
    return QString();
}

class HostileCore : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString header = dir.filePath("sprites.h");
    QString project = dir.filePath("sprites.bvp");

    CompileJob job(int pictures)
    {
        CompileJob j;
        j.headerPath = header;
        entries.clear();
        for (int i = 0; i < pictures; ++i) {
            PictureEntry entry;
            entry.Name = QStringLiteral("p%1").arg(i);
            entry.Location = QStringLiteral("/art/p%1.bmp").arg(i);
            entries.push_back(std::move(entry));
        }
        j.entries = entries;
        j.sprite = [this](int) -> const LoadedSprite & {
            ++asked;
            return black;
        };
        return j;
    }
    const LoadedSprite black{PictureSurface(8, 1, ShadeBlack), {}, {}};
    int asked = 0;
    std::vector<PictureEntry> entries;
};

// A 32-bit BITFIELDS BMP, one row of width pixels, with the given info
// header size; masks (red in the low byte) after the header when withMasks.
QByteArray bitfieldsBmp(int infoSize, int width, bool withMasks)
{
    QByteArray b("BM");
    auto le32 = [&b](quint32 v) {
        char c[4];
        qToLittleEndian(v, c);
        b.append(c, 4);
    };
    auto le16 = [&b](quint16 v) {
        char c[2];
        qToLittleEndian(v, c);
        b.append(c, 2);
    };
    le32(0);
    le32(0);
    le32(quint32(14 + infoSize + (withMasks ? 12 : 0)));
    for (quint32 v : {quint32(infoSize), quint32(width), 1u})
        le32(v);
    le16(1);
    le16(32);
    le32(3);
    le32(quint32(4 * width));
    b.append(QByteArray(14 + infoSize - b.size(), '\0'));
    if (withMasks)
        for (quint32 mask : {0x000000FFu, 0x0000FF00u, 0x00FF0000u})
            le32(mask);
    for (int x = 0; x < width; ++x)
        le32(0x00FF0000); // blue under these masks
    return b;
}

} // namespace

TEST_F(HostileCore, OnlyOrdinaryFilesAreOutputTargets)
{
    const QString fifo = dir.filePath("fifo.h");
    makeFifo(fifo);
    const QString folder = dir.filePath("folder.h");
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_TRUE(refusal([&] { CheckOutputTarget(fifo); }).endsWith("not a regular file"));
    EXPECT_TRUE(refusal([&] { CheckOutputTarget(folder); }).contains("folder"));
    EXPECT_TRUE(refusal([&] { CheckOutputTarget(header); }).isEmpty());
    writeFile(header, "old");
    EXPECT_TRUE(refusal([&] { CheckOutputTarget(header); }).isEmpty());

    // The compile checks every target before it asks for any picture: the
    // header, the project and the dependency file.
    for (int fifoIs : {0, 1, 2}) {
        CompileJob j = job(2);
        if (fifoIs == 0)
            j.headerPath = fifo;
        else if (fifoIs == 1)
            j.projectPath = fifo;
        else
            j.alsoWritten.push_back({fifo, "rule"});
        EXPECT_TRUE(refusal([&] { RunCompile(j); }).startsWith(fifo + ": "));
        EXPECT_EQ(asked, 0);
        EXPECT_TRUE(isFifo(fifo));
    }
}

TEST_F(HostileCore, BothTargetsAreReplacedTogetherOrNotAtAll)
{
    for (bool headerExisted : {true, false}) {
        SCOPED_TRACE(headerExisted ? "a previous header" : "no previous header");
        QFile::remove(header);
        if (headerExisted)
            writeFile(header, "// the previous header\r\n");
        CompileJob j = job(2);
        j.projectPath = project;
        // After the last picture the project's name turns into a folder
        // that is not empty, so its file cannot take that name any more.
        j.progress = [&](int done, int total) {
            if (done == total) {
                ASSERT_TRUE(QDir().mkpath(project + "/inside"));
            }
        };
        const QString message = refusal([&] { RunCompile(j); });
        EXPECT_EQ(message, project + ": cannot be written: it is a folder");
        if (headerExisted) {
            EXPECT_EQ(readAll(header), "// the previous header\r\n");
        } else {
            EXPECT_FALSE(QFile::exists(header));
        }
        EXPECT_EQ(entriesOf(dir.path()), headerExisted ? QStringList({"sprites.bvp", "sprites.h"})
                                                       : QStringList({"sprites.bvp"}));
        QDir(project).removeRecursively();
    }

    // Both in place: no copy of the previous header is left behind.
    writeFile(header, "old");
    CompileJob j = job(1);
    j.projectPath = project;
    RunCompile(j);
    EXPECT_EQ(entriesOf(dir.path()), QStringList({"sprites.bvp", "sprites.h"}));
    EXPECT_TRUE(readAll(header).startsWith("// Sprite header"));
}

// Three targets (two with previous files, one new), the commit failing
// just before each one is replaced, by the project's error and by any other
// exception, in both kinds of set: every target is as it was, nothing else
// is left in the folder.
TEST(OutputSetCommit, AFailureAtEachPositionPutsEveryTargetBack)
{
    const QStringList names{"a.h", "b.bvp", "new.d"};
    for (const bool staged : {false, true}) {
        for (std::size_t failAt = 0; failAt < 3; ++failAt) {
            for (const bool ownError : {true, false}) {
                SCOPED_TRACE(::testing::Message() << "staging folder " << staged << ", failing at "
                                                  << failAt << ", Error " << ownError);
                QTemporaryDir dir;
                writeFile(dir.filePath("a.h"), "old a");
                writeFile(dir.filePath("b.bvp"), "old b");
                const QString stagingFolder = dir.filePath(".staging");
                {
                    OutputSet set(staged ? OutputSet::Links::Replace : OutputSet::Links::Follow);
                    if (staged) {
                        ASSERT_TRUE(QDir().mkdir(stagingFolder));
                        set.stageIn(stagingFolder);
                    }
                    set.add(dir.filePath("a.h")).write("new a");
                    set.add(dir.filePath("b.bvp"), "new b");
                    set.add(dir.filePath("new.d"), "new d");
                    set.beforeReplacing = [&](std::size_t i) {
                        if (i != failAt)
                            return;
                        if (ownError)
                            throw Error(dir.filePath(names[qsizetype(i)]), "injected");
                        throw std::runtime_error("injected");
                    };
                    try {
                        set.commit();
                        ADD_FAILURE() << "the commit succeeded";
                    } catch (const Error &e) {
                        EXPECT_TRUE(ownError);
                        const QString told = e.message();
                        EXPECT_TRUE(
                            told.startsWith(dir.filePath(names[qsizetype(failAt)]) + ": injected"))
                            << told.toStdString();
                        if (failAt == 1) {
                            EXPECT_TRUE(told.endsWith("; " + dir.filePath("a.h") +
                                                      " was put back as it was"))
                                << told.toStdString();
                        }
                        if (failAt == 2) {
                            EXPECT_TRUE(told.endsWith("; the 2 files replaced before were put "
                                                      "back as they were"))
                                << told.toStdString();
                        }
                    } catch (const std::runtime_error &) {
                        EXPECT_FALSE(ownError);
                    }
                }
                if (staged) {
                    EXPECT_EQ(
                        QDir(stagingFolder)
                            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                        QStringList());
                }
                QDir(stagingFolder).removeRecursively();
                EXPECT_EQ(readAll(dir.filePath("a.h")), "old a");
                EXPECT_EQ(readAll(dir.filePath("b.bvp")), "old b");
                EXPECT_EQ(QDir(dir.path())
                              .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                          (QStringList{"a.h", "b.bvp"}));
            }
        }
    }
}

// A target that is a file the compile reads, by any name, is refused before
// any picture is asked for, and so is one named twice.
TEST_F(HostileCore, TargetsThatAreInputsOrNamedTwiceAreRefused)
{
    const QString picture = dir.filePath("p0.bmp");
    writeFile(picture, "picture bytes");
    writeFile(project, "project bytes");
    const struct {
        const char *what;
        QString header, projectTarget, extra, refused, reason;
    } cases[] = {
        {"the picture by another path",
         dir.filePath("./p0.bmp"),
         {},
         {},
         dir.filePath("./p0.bmp"),
         "is an input of this compile"},
        {"header and extra file one",
         header,
         {},
         header,
         header,
         "is named twice among the files to write"},
        {"header and project one",
         header,
         header,
         {},
         header,
         "is named twice among the files to write"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CompileJob j = job(1);
        entries[0].Location = picture;
        j.headerPath = c.header;
        j.projectPath = c.projectTarget;
        j.inputs = {project};
        if (!c.extra.isEmpty())
            j.alsoWritten.push_back({c.extra, "extra"});
        asked = 0;
        EXPECT_EQ(refusal([&] { RunCompile(j); }), c.refused + ": " + c.reason);
        EXPECT_EQ(asked, 0);
        EXPECT_EQ(readAll(picture), "picture bytes");
        EXPECT_EQ(readAll(project), "project bytes");
        EXPECT_FALSE(QFile::exists(header));
    }
}

TEST_F(HostileCore, SpecialInputsAreRefusedWithoutBeingRead)
{
    const QString zeroPicture = dir.filePath("zero.bmp");
    const QString zeroProject = dir.filePath("zero.bvp");
    ASSERT_TRUE(QFile::link("/dev/zero", zeroPicture));
    ASSERT_TRUE(QFile::link("/dev/zero", zeroProject));
    EXPECT_EQ(refusal([&] { LoadPicture(zeroPicture); }), zeroPicture + ": not a regular file");
    EXPECT_EQ(refusal([&] { ReadProjectFile(zeroProject); }), zeroProject + ": not a regular file");
    EXPECT_EQ(refusal([&] { ReadProjectFile(dir.path()); }),
              dir.path() + ": this is a folder, not a project file");
}

TEST(HostileProject, ANulInsideAQuotedLocationIsRefusedAtItsLine)
{
    const QByteArray bytes = QByteArray("\"/a/b.bmp\",0,0\r\n\"/a/c") + '\0' + "d.bmp\",0,0\r\n";
    EXPECT_EQ(refusal([&] { ParseProject(bytes, "p.bvp"); }),
              "p.bvp:2: the location holds a NUL character");
}

TEST_F(HostileCore, BitfieldsBmpEndingBeforeItsMasksIsTruncated)
{
    // Only these headers have their masks behind them (the 52- and 56-byte
    // ones hold them inside).
    for (int infoSize : {40, 64}) {
        SCOPED_TRACE(infoSize);
        // With the masks missing the pixels would end where the masks do.
        for (int width : {1, 3, 4}) {
            EXPECT_TRUE(refusal([&] {
                            DecodePicture(bitfieldsBmp(infoSize, width, false), "m.bmp");
                        }).contains("truncated"));
        }
    }
    // A colour count means nothing at 24 bits a pixel and hides nothing: a
    // picture of 16 x 7.7 million pixels in 182 bytes (found by fuzzing).
    QByteArray tall = QByteArray::fromBase64(
        "Qk02AwAAAAAAADYAAAAoAAAAEAAAABAAdgABABgAAAAAAAADAADEDgAAxA4AAAAAYYAAAaiNAAAAAAAAAADw8PDx8f"
        "Hy8vLz8/P09PT19VJN9gAAAAAAegAANgAAACgAAAAIAAAACAAAAAEAGAAAAAAAwAAAAMQOAADEDgAAAP4AAAAAAA"
        "AACAAAAAEAAFN+g1N+dnaDU36DU36DJ76DfKIqH22JgYGBgoKCg4ODhIQODg4PDw8=");
    EXPECT_TRUE(refusal([&] { DecodePicture(tall, "tall.bmp"); }).contains("truncated"));

    // Whole, the masks behind the short headers are the ones used.
    for (int infoSize : {40, 64}) {
        const PictureSurface s = DecodePicture(bitfieldsBmp(infoSize, 3, true), "m.bmp");
        EXPECT_EQ(s.pixel(2, 0), PackColor({255, 0, 0})); // blue
    }
}

TEST(HostileBigPictures, PhotosOverQtsDefaultLimitLoadAndBombsStayRefused)
{
    QTemporaryDir dir;
    // 9000 x 4000 is over the 33.5 million pixels Qt allows by default.
    QImage photo(9000, 4000, QImage::Format_RGB32);
    photo.fill(Qt::white);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 32; ++x)
            photo.setPixel(x, y, (x + y) % 3 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    for (const char *format : {"jpeg", "png"}) {
        SCOPED_TRACE(format);
        const QString path = dir.filePath(QStringLiteral("photo.%1").arg(format));
        writeFile(path, encode(photo, format));
        PictureSurface loaded;
        ASSERT_NO_THROW(loaded = LoadPicture(path));
        EXPECT_EQ(loaded.width(), 32);
        EXPECT_EQ(loaded.height(), 240);
        EXPECT_EQ(loaded.pixel(1, 0), ShadeBlack);
        EXPECT_EQ(loaded.pixel(0, 0), ShadeWhite);
    }

    // A JPEG that claims 60000 x 60000 pixels is refused before decoding.
    QByteArray bomb = encode(QImage(16, 16, QImage::Format_RGB32), "jpeg");
    const qsizetype sof = bomb.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    qToBigEndian<quint16>(60000, bomb.data() + sof + 5);
    qToBigEndian<quint16>(60000, bomb.data() + sof + 7);
    EXPECT_TRUE(refusal([&] { DecodePicture(bomb, "bomb.jpg"); }).contains("too large"));
}

TEST(HostileBigPictures, DecodingOnlyTheKeptCornerGivesTheSameSprite)
{
    // Noise, so that every block and the chroma between them matter.
    QImage image(300, 500, QImage::Format_RGB32);
    quint32 seed = 7;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            image.setPixel(x, y, 0xFF000000u | (seed >> 8));
        }
    QTemporaryDir dir;
    // Baseline and progressive: the decoder is told the picture ends a few
    // block rows after the kept ones, and each scan stops there.
    for (const bool progressive : {false, true}) {
        SCOPED_TRACE(progressive);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(progressive);
        ASSERT_TRUE(writer.write(image));
        const QString path = dir.filePath("noise.jpg");
        writeFile(path, bytes);
        // Colour for colour, before the reduction hides small differences.
        PictureSurface whole = DecodePicture(path);
        FitToSprite(whole);
        EXPECT_EQ(LoadSprite(path, {}, KeepFitted::Yes).Fitted, whole);
    }
}
