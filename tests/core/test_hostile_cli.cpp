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

#include <sys/resource.h>
#include <unistd.h>

using namespace bitvane::testing;
using namespace hostile;

namespace {

QByteArray record(const QString &location)
{
    return "\"" + QFile::encodeName(location) + "\",0,0\r\n";
}

// bitvane-compile started in dir with args passed as bytes, as a shell
// passes names that are no UTF-8.
ChildRun runBytes(const QString &dir, const std::vector<QByteArray> &args)
{
    std::vector<QByteArray> words{QByteArray(BITVANE_COMPILE_EXE)};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const QByteArray where = QFile::encodeName(dir);
    return runLimited({}, {}, [&] {
        if (::chdir(where.constData()) == 0)
            ::execv(argv[0], argv.data());
        ::_exit(127);
    });
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
        for (const char *option : {"-o", "-M"}) {
            SCOPED_TRACE(target.toStdString() + " as " + option);
            const ChildRun r =
                runLimited(QStringList{option, target} + (option == QLatin1String("-M")
                                                              ? QStringList{"-o", header, project}
                                                              : QStringList{project}));
            expectOneLine(r, target, target == folder ? "folder" : "not a regular file");
            EXPECT_FALSE(QFile::exists(header));
        }
    }
    EXPECT_TRUE(isFifo(fifo));
    EXPECT_TRUE(QFileInfo(socket).exists() && !QFileInfo(socket).isFile());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QFileInfo(linkToFifo).isSymLink());
}

// A target that is the project or a picture, by any name, is refused before
// anything is written, and the file stays as it was.
TEST_F(Hostile, TargetsThatAreInputsAreRefused)
{
    const QString soft = dir.filePath("soft.h");
    ASSERT_TRUE(QFile::link(picture, soft));
    const QString hard = dir.filePath("hard.h");
    ASSERT_EQ(::link(QFile::encodeName(picture).constData(), QFile::encodeName(hard).constData()),
              0);
    const QByteArray pictureBytes = readAll(picture), projectBytes = readAll(project);
    const struct {
        QStringList args;
        QString refused;
    } cases[] = {
        {{"-o", picture, project}, picture},
        {{"-o", soft, project}, soft},
        {{"-o", hard, project}, hard},
        {{"-o", project, project}, project},
        {{"-M", picture, "-o", header, project}, picture},
        {{"-M", hard, "-o", header, project}, hard},
        {{"-M", project, "-o", header, project}, project},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        expectOneLine(runLimited(c.args), c.refused, "is an input of this compile");
        EXPECT_EQ(readAll(picture), pictureBytes);
        EXPECT_EQ(readAll(project), projectBytes);
        EXPECT_TRUE(QFileInfo(soft).isSymLink());
        EXPECT_FALSE(QFile::exists(header));
    }
}

// Names on the command line that are no UTF-8 would reach the file system
// changed: refused, with the bytes shown, before anything is read or written.
TEST_F(Hostile, ArgumentsThatAreNoUtf8AreRefusedNotChanged)
{
    writeFile(dir.filePath("s.h"), Preamble + "static unsigned char a[2] = {0x1, 0x0};\r\n");
    const QByteArray latin1 = "caf\xe9";
    const std::vector<QByteArray> cases[] = {
        {"-o", latin1 + ".h", "p.bvp"},
        {"-M", latin1 + ".d", "-o", "out.h", "p.bvp"},
        {"-o", "out.h", latin1 + ".bvp"},
        {"--extract", "s.h", "-o", latin1},
    };
    const QStringList before = entriesOf(dir.path());
    for (const std::vector<QByteArray> &args : cases) {
        SCOPED_TRACE(args[1].toStdString());
        const ChildRun r = runBytes(dir.path(), args);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains("(caf\\xe9") && r.err.contains(") is not valid UTF-8"))
            << r.err.toStdString();
        EXPECT_EQ(entriesOf(dir.path()), before);
    }
}

// Standard descriptors closed at the start are taken by /dev/null, so that
// no file of the run is written in their place; "-o -" then fails.
TEST_F(Hostile, ClosedStandardDescriptorsAreNeverWrittenThrough)
{
    const ChildRun toClosed = runLimited({"-o", "-", project}, {}, [] { ::close(STDOUT_FILENO); });
    expectOneLine(toClosed, "standard output",
                  "cannot be written: it was closed when bitvane-compile started");

    const ChildRun allClosed = runLimited({"-o", header, project}, {}, [] {
        ::close(STDIN_FILENO);
        ::close(STDOUT_FILENO);
        ::close(STDERR_FILENO);
    });
    ASSERT_TRUE(allClosed.finished);
    EXPECT_EQ(allClosed.exitCode, 0);
    EXPECT_TRUE(readAll(header).startsWith(Preamble));
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

    // A picture in a folder that may not be entered.
    const QString locked = dir.filePath("locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    const QString hidden = locked + "/a.bmp";
    ASSERT_TRUE(QFile::copy(picture, hidden));
    writeFile(project, record(hidden));
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0600), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(project).constData(), 0644), 0);
    const ChildRun denied = runUnprivileged({"-o", header, project}, dir.path());
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
