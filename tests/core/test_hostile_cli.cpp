// bitvane-compile on hostile and unusual files: special files as targets and
// inputs, system reasons, and the one line on stderr. Every run is ended
// after a time limit, so a program that blocks fails instead of hanging.

#include "hostilehelpers.h"
#include "testsupport.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace bitvane::testing;
using namespace hostile;

namespace {

QByteArray record(const QString &location)
{
    return "\"" + QFile::encodeName(location) + "\",0,0\r\n";
}

class Hostile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QImage image(8, 2, QImage::Format_RGB32);
        image.fill(Qt::black);
        ASSERT_TRUE(image.save(picture));
        writeFile(project, record(picture));
    }

    QTemporaryDir dir;
    QString picture = dir.filePath("sprite.bmp");
    QString project = dir.filePath("p.bvp");
    QString header = dir.filePath("out.h");
};

} // namespace

TEST_F(Hostile, OutputTargetsThatAreNoOrdinaryFileAreRefusedBeforeAnyPictureIsRead)
{
    // A FIFO as the only picture: were it read, the run would block.
    const QString fifoPicture = dir.filePath("blocks.bmp");
    makeFifo(fifoPicture);
    writeFile(project, record(fifoPicture));

    const QString fifo = dir.filePath("fifo.h");
    makeFifo(fifo);
    const QString socket = dir.filePath("socket.h");
    makeSocket(socket);
    const QString folder = dir.filePath("folder.h");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString linkToFifo = dir.filePath("link.h");
    ASSERT_TRUE(QFile::link(fifo, linkToFifo));

    for (const QString &target : {fifo, socket, folder, linkToFifo}) {
        SCOPED_TRACE(target.toStdString());
        const ChildRun r = runLimited({"-o", target, project});
        expectOneLine(r, target, target == folder ? "folder" : "not a regular file");
    }
    EXPECT_TRUE(isFifo(fifo));
    EXPECT_TRUE(QFileInfo(socket).exists() && !QFileInfo(socket).isFile());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QFileInfo(linkToFifo).isSymLink());
}

TEST_F(Hostile, DashWritesTheHeaderToStandardOutputOnlyWhenTheCompileSucceeds)
{
    const ChildRun file = runLimited({"-o", header, project});
    ASSERT_EQ(file.exitCode, 0);
    const ChildRun out = runLimited({"-o", "-", project});
    EXPECT_EQ(out.exitCode, 0);
    EXPECT_EQ(out.out, readAll(header));
    EXPECT_TRUE(out.err.isEmpty()) << out.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("-")));

    writeFile(project, record(picture) + record(dir.filePath("gone.bmp")));
    const ChildRun failed = runLimited({"-o", "-", project});
    expectOneLine(failed, project + ":2: " + dir.filePath("gone.bmp"), "file not found");
    EXPECT_TRUE(failed.out.isEmpty());
}

TEST_F(Hostile, SpecialFilesNamedAsInputsAreRefusedAtOnce)
{
    const QString fifoPicture = dir.filePath("x.bmp");
    makeFifo(fifoPicture);
    writeFile(project, record(picture) + record(fifoPicture));
    expectOneLine(runLimited({"-o", header, project}), project + ":2: " + fifoPicture,
                  "not a regular file");
    EXPECT_FALSE(QFile::exists(header));

    const QString fifoProject = dir.filePath("fifo.bvp");
    makeFifo(fifoProject);
    expectOneLine(runLimited({"-o", header, fifoProject}), fifoProject, "not a regular file");

    // Read as a project it would grow without end.
    const QString zero = dir.filePath("zero.bvp");
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    expectOneLine(runLimited({"-o", header, zero}), zero, "not a regular file");
}

TEST_F(Hostile, SystemReasonsSurvive)
{
    // /dev/full answers every write with "no space left on device".
    const ChildRun full = runLimited({"-o", "-", project}, "/dev/full");
    expectOneLine(full, "standard output", "no space left on device");

    // A header larger than the file size limit: the system's reason again,
    // where Qt would have none.
    writeFile(project, record(picture).repeated(400));
    // --fix-names: 400 pictures of one name would each warn.
    const ChildRun limited = runLimited({"--fix-names", "-o", header, project}, {}, [] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &small);
    });
    expectOneLine(limited, header, "file too large");
    EXPECT_FALSE(QFile::exists(header));

    // A picture in a folder that may not be entered. Root may enter any, so
    // the run drops to the unprivileged user when the test runs as root.
    const QString locked = dir.filePath("locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    const QString hidden = locked + "/a.bmp";
    ASSERT_TRUE(QFile::copy(picture, hidden));
    writeFile(project, record(hidden));
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0600), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(project).constData(), 0644), 0);
    const ChildRun denied = runLimited({"-o", header, project}, {}, [] {
        if (::geteuid() == 0) {
            ::setgroups(0, nullptr);
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(99);
        }
    });
    ::chmod(QFile::encodeName(locked).constData(), 0700);
    expectOneLine(denied, project + ":1: " + hidden, "permission denied");
}

TEST_F(Hostile, StderrIsOneLineOnFailureAndNothingOnSuccess)
{
    // A PNG whose header chunk fails its checksum: the decoder's own words
    // join the one line instead of coming before it.
    QByteArray png = encode(QImage(8, 8, QImage::Format_RGB32), "png");
    png[29] = char(png[29] ^ 0x55); // the last byte of the IHDR checksum
    const QString badPng = dir.filePath("crc.png");
    writeFile(badPng, png);
    writeFile(project, record(badPng));
    const ChildRun crc = runLimited({"-o", header, project});
    expectOneLine(crc, project + ":1: " + badPng, "damaged");
    EXPECT_TRUE(crc.err.contains("CRC")) << crc.err.toStdString();

    // A JPEG with stray bytes before its end marker decodes, with a warning
    // from the decoder that must not reach stderr.
    QImage photo(32, 64, QImage::Format_RGB32);
    photo.fill(Qt::gray);
    QByteArray jpeg = encode(photo, "jpeg");
    ASSERT_TRUE(jpeg.endsWith("\xFF\xD9"));
    jpeg.insert(jpeg.size() - 2, QByteArray("\x12\x34\x56", 3));
    const QString recovered = dir.filePath("stray.jpg");
    writeFile(recovered, jpeg);
    writeFile(project, record(recovered));
    const ChildRun ok = runLimited({"-o", header, project});
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_TRUE(ok.err.isEmpty()) << ok.err.toStdString();
    EXPECT_TRUE(ok.out.isEmpty());
}
