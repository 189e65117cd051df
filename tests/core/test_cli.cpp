// bitvane-compile end to end: the built program on pictures written here,
// and the golden cases under tests/golden.

#include "testsupport.h"

#include "compiler/compilerun.h"
#include "imaging/pictureloader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>

#include <gtest/gtest.h>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Outcome runCompile(const QStringList &args, const QString &workingDir = QString())
{
    QProcess p;
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    p.start(QStringLiteral(BITVANE_COMPILE_EXE), args);
    Outcome r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// Rows of grey levels (0, 85, 170, 255) as a picture file; Qt writes BMP and
// PNG without loss, so the shades arrive exactly.
void writePicture(const QString &path, const std::vector<std::vector<int>> &rows)
{
    QImage image(int(rows.front().size()), int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int g = rows[std::size_t(y)][std::size_t(x)];
            image.setPixel(x, y, qRgb(g, g, g));
        }
    ASSERT_TRUE(image.save(path)) << path.toStdString();
}

QByteArray record(const QString &location, int brightness = 0, int contrast = 0)
{
    return "\"" + location.toUtf8() + "\"," + QByteArray::number(brightness) + "," +
           QByteArray::number(contrast) + "\r\n";
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        writePicture(dir.filePath("sprite.bmp"), {{0, 85, 170, 255, 255, 255, 255, 0},
                                                  {255, 255, 255, 255, 255, 255, 255, 255}});
        // 12 wide: fitted to 16 with white on the right.
        writePicture(dir.filePath("wide.one.png"), {std::vector<int>(12, 0)});
    }

    QTemporaryDir dir;
    QString header = dir.filePath("out.h");
    QString project = dir.filePath("p.bvp");
};

} // namespace

TEST_F(Cli, CompilesAProjectInHexadecimalAndBinary)
{
    const QByteArray projectBytes =
        record(dir.filePath("sprite.bmp")) + record(dir.filePath("wide.one.png"));
    writeFile(project, projectBytes);

    Outcome r = runCompile({"-o", header, project});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // The padded picture is named, the exact one is not; the name as it
    // stands is only warned of.
    EXPECT_EQ(r.err, (project +
                      ":2: warning: name 'wide.one' is not a C identifier (contains "
                      "'.')\n" +
                      project + ":2: warning: " + dir.filePath("wide.one.png") +
                      " is 12 x 1; it is padded with white to 16 px wide\n")
                         .toUtf8());
    EXPECT_EQ(r.out, QByteArray());
    EXPECT_EQ(readAll(header),
              Preamble + "static unsigned char sprite[4] = {0xa1, 0x0, 0xc1, 0x0};\r\n\r\n"
                         "static unsigned short wide.one[2] = {0xfff0, 0xfff0};\r\n\r\n");
    EXPECT_EQ(readAll(project), projectBytes);

    r = runCompile({"--binary", "--output", header, project});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(readAll(header),
              Preamble + "static unsigned char sprite[4] = {0b10100001, 0b00000000, 0b11000001, "
                         "0b00000000};\r\n\r\n"
                         "static unsigned short wide.one[2] = {0b1111111111110000, "
                         "0b1111111111110000};\r\n\r\n");
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{"out.h", "p.bvp", "sprite.bmp", "wide.one.png"}));
}

TEST_F(Cli, ReadsAProjectFromItsOwnFolderWithItsStoredNames)
{
    // Run from another folder: "sprite.bmp" is the project's, not the
    // working folder's, and so is the picture the dependency file names.
    ASSERT_TRUE(QDir(dir.path()).mkpath("game/art"));
    ASSERT_TRUE(QFile::copy(dir.filePath("sprite.bmp"), dir.filePath("game/art/hero.bmp")));
    const QByteArray projectBytes = "\"art/hero.bmp\",0,0,\"player\"\r\n";
    writeFile(dir.filePath("game/p.bvp"), projectBytes);
    const Outcome r = runCompile({"-M", "out.d", "-o", "out.h", "game/p.bvp"}, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, QByteArray());
    EXPECT_EQ(readAll(header),
              Preamble + "static unsigned char player[4] = {0xa1, 0x0, 0xc1, 0x0};\r\n\r\n");
    EXPECT_TRUE(readAll(dir.filePath("out.d"))
                    .contains(QFile::encodeName(dir.filePath("game/art/hero.bmp")) + ":\n"));
}

TEST_F(Cli, NameWarningsFixesAndWerror)
{
    writeFile(project, record(dir.filePath("sprite.bmp")) + record(dir.filePath("sprite.bmp")) +
                           "\"" + QFile::encodeName(dir.filePath("wide.one.png")) +
                           "\",0,0,\"class\"\r\n");
    const QByteArray before = "// the header as it was\n";
    writeFile(header, before);
    const QByteArray where = QFile::encodeName(project);
    const QByteArray problems = ":2: %1: name 'sprite' is not a C identifier (also the name of "
                                "row 1)\n" +
                                where +
                                ":3: %1: name 'class' is not a C identifier (is a keyword "
                                "of C++)\n";

    // -Werror: the warnings are the failure, and nothing is written.
    Outcome r = runCompile({"-Werror", "-o", header, project});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, where + QByteArray(problems).replace("%1", "error"));
    EXPECT_EQ(readAll(header), before);

    // Warnings only: the header is written as the names stand (the padded
    // picture is reported as it loads).
    const QByteArray padded = where +
                              ":3: warning: " + QFile::encodeName(dir.filePath("wide.one.png")) +
                              " is 12 x 1; it is padded with white to 16 px wide\n";
    r = runCompile({"-o", header, project});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, where + QByteArray(problems).replace("%1", "warning") + padded);
    EXPECT_TRUE(readAll(header).contains(" class[2] = "));

    // --fix-names: nothing is left to warn about but the padded picture.
    const QByteArray projectBytes = readAll(project);
    r = runCompile({"--fix-names", "-o", "-", project});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, padded);
    EXPECT_TRUE(r.out.contains(" sprite[4] = ")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(" sprite_2[4] = ")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(" class_[2] = ")) << r.out.toStdString();
    EXPECT_EQ(readAll(project), projectBytes);

    // With the names fixed, -Werror still makes the padded picture an error,
    // as compilers make every warning one; nothing is written.
    r = runCompile({"--fix-names", "-Werror", "-o", "-", project});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QByteArray(padded).replace(": warning: ", ": error: "));
    EXPECT_EQ(r.out, QByteArray());
}

TEST_F(Cli, AppliesEachRecordsContrastThenBrightness)
{
    writePicture(dir.filePath("light.bmp"), {std::vector<int>(8, 170)});
    // Contrast 50 then brightness -85 keeps light grey; brightness 85 alone
    // lifts it to white.
    writeFile(project, record(dir.filePath("light.bmp"), -85, 50) +
                           record(dir.filePath("light.bmp"), 85, 0));
    const Outcome r = runCompile({"-o", header, project});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(readAll(header), Preamble + "static unsigned char light[2] = {0xff, 0x0};\r\n\r\n"
                                          "static unsigned char light[2] = {0x0, 0x0};\r\n\r\n");
}

TEST_F(Cli, KeepsProjectOrderAndReportsTheFirstBadPictureInIt)
{
    // Enough pictures for the decoding to run ahead of the writing.
    QByteArray projectBytes, expected = Preamble;
    for (int k = 0; k < 60; ++k) {
        const int black = k % 9;
        std::vector<int> row(8, 255);
        std::fill_n(row.begin(), black, 0);
        const QString path = dir.filePath(QStringLiteral("p%1.bmp").arg(k, 2, 10, QChar(u'0')));
        writePicture(path, {row});
        projectBytes += record(path);
        const QByteArray element = "0x" + QByteArray::number((0xFF00 >> black) & 0xFF, 16);
        expected += "static unsigned char p" + QByteArray::number(k).rightJustified(2, '0') +
                    "[2] = {" + element + ", " + element + "};\r\n\r\n";
    }
    writeFile(project, projectBytes);
    Outcome r = runCompile({"-o", header, project});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(readAll(header), expected);

    // Two bad pictures: the message is always about the earlier one.
    const QByteArray good = readAll(header);
    QFile::remove(dir.filePath("p41.bmp"));
    writeFile(dir.filePath("p45.bmp"), "not a picture");
    for (int attempt = 0; attempt < 3; ++attempt) {
        r = runCompile({"-o", header, project});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.startsWith("bitvane-compile: " + project.toUtf8() +
                                     ":42: " + dir.filePath("p41.bmp").toUtf8()))
            << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.endsWith('\n'));
        EXPECT_EQ(readAll(header), good);
    }
    EXPECT_EQ(entriesOf(dir.path()).filter("out").size(), 1);
}

TEST_F(Cli, FailuresLeaveTheHeaderAndSayWhereOnOneLine)
{
    const QByteArray old = "// old header\r\n";
    const struct {
        const char *what;
        QByteArray project;
        QByteArray message;
    } cases[] = {
        {"a bad record",
         record(dir.filePath("sprite.bmp")) + "\"" + dir.filePath("x.bmp").toUtf8() + "\",1\r\n",
         ":2: the record ends early: the contrast is missing\n"},
        {"a contrast out of range", record(dir.filePath("sprite.bmp"), 0, 140),
         ":1: contrast 140 is outside -100 to 100\n"},
        {"a picture that is missing, named at its record",
         record(dir.filePath("sprite.bmp")) + record(dir.filePath("gone.bmp")),
         ":2: " + dir.filePath("gone.bmp").toUtf8() + ": file not found\n"},
        {"a picture given as the project", readAll(dir.filePath("wide.one.png")),
         ": not a project file (a PNG picture)\n"},
        {"a header given as the project", Preamble + "static unsigned char a[2] = {0x1, 0x0};\r\n",
         ": not a project file (a C header)\n"},
        {"a settings line with an unknown key", "#bitvane style=modern;colour=grey\r\n",
         ":1: unknown setting \"colour\" (known: style, masks, notation, locations, shared)\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(header, old);
        writeFile(project, c.project);
        const Outcome r = runCompile({"-o", header, project});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith("bitvane-compile: ")) << r.err.toStdString();
        EXPECT_EQ(r.err, "bitvane-compile: " + project.toUtf8() + c.message);
        EXPECT_EQ(readAll(header), old);
        EXPECT_EQ(readAll(project), c.project);
    }
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{"out.h", "p.bvp", "sprite.bmp", "wide.one.png"}));

    const Outcome missing = runCompile({"-o", header, dir.filePath("none.bvp")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(
        missing.err.startsWith("bitvane-compile: " + dir.filePath("none.bvp").toUtf8() + ": "))
        << missing.err.toStdString();

    const Outcome nowhere = runCompile({"-o", dir.filePath("no/such/dir/x.h"), project});
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_EQ(nowhere.err.count('\n'), 1);
}

// Cut pictures are reported against their record's own line, blank lines
// counted, and the compile still succeeds.
TEST_F(Cli, WarnsOfCutPicturesAtTheirRecordsLine)
{
    writePicture(dir.filePath("photo.png"),
                 std::vector<std::vector<int>>(3, std::vector<int>(40, 0)));
    writeFile(project,
              record(dir.filePath("sprite.bmp")) + "\r\n\r\n" + record(dir.filePath("photo.png")));
    const Outcome r = runCompile({"-o", header, project});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, (project + ":4: warning: " + dir.filePath("photo.png") +
                      " is 40 x 3; only the left 32 x 3 is used\n")
                         .toUtf8());
    EXPECT_TRUE(readAll(header).contains("static unsigned long photo[6]"));
}

TEST_F(Cli, RefusesToWriteTheHeaderOverItsProject)
{
    const QByteArray bytes = record(dir.filePath("sprite.bmp"));
    writeFile(project, bytes);
    const Outcome r = runCompile({"-o", dir.filePath("./p.bvp"), project});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(readAll(project), bytes);
}

TEST_F(Cli, AnEmptyProjectGivesThePreambleOnly)
{
    writeFile(project, "");
    const Outcome r = runCompile({"-o", header, project});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(readAll(header), Preamble);
}

TEST_F(Cli, AnswersHelpVersionAndUsageErrors)
{
    Outcome r = runCompile({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("--binary")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("PROJECT.bvp"));
    for (const char *text : {"--style <STYLE>", "--mask", "C23", "--hex", "--shared", "--watch",
                             "#bitvane style=modern;masks=on;notation=binary;locations=relative",
                             "--fit <FIT>", "--levels <LO,HI>", "--shade <MODE>",
                             "bitvane-compile --fit scale -o sprites.h photos.bvp",
                             "bitvane-compile --levels 40,200 -o sprites.h photos.bvp",
                             "bitvane-compile --shade diffuse -o sprites.h photos.bvp",
                             "static unsigned char ship[4] = {0xa1, 0x0, 0xc1, 0x0};",
                             "static const uint8_t ship[4] BITVANE_DATA = {"})
        EXPECT_TRUE(r.out.contains(text)) << text;

    r = runCompile({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "bitvane-compile 2.0\n");

    const QStringList bad[] = {
        {},
        {project},
        {"-o", header},
        {"-o", header, project, project},
        {"--frobnicate", "-o", header, project},
        {"-o"},
        {"-o", header, "-o", header, project},
        {"--style", "c99", "-o", header, project},
        {"--style", "Modern", "-o", header, project},
        {"--style", "modern", "--style", "classic", "-o", header, project},
        {"-o", header, project, "--style"},
        {"--fit", "stretch", "-o", header, project},
        {"--fit", "scale", "--fit", "cut", "-o", header, project},
        {"--shade", "dither", "-o", header, project},
        {"--shade", "Diffuse", "-o", header, project},
        {"--levels", "40", "-o", header, project},
        {"--levels", "200,100", "-o", header, project},
        {"--levels", "0,256", "-o", header, project},
        {"--levels", "-1,200", "-o", header, project},
        {"--levels", "10,10", "-o", header, project},
        {"--levels", " 1,2", "-o", header, project},
        {"--hex", "--binary", "-o", header, project},
        {"--mask", "--no-mask", "-o", header, project},
        {"--shared", "--style", "classic", "-o", header, project},
        {"--watch", "-o", "-", project},
    };
    for (const QStringList &args : bad) {
        r = runCompile(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("Usage: bitvane-compile")) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(header));
    }
}

// Golden cases: each folder under tests/golden holds project.bvp with paths
// relative to the folder, the pictures, args.txt (extra arguments, one a
// line, optional), expected_warnings.txt (what stderr holds before anything
// else; none: nothing) and either expected.h or expected_error.txt. The program
// runs with the case folder as its working directory, so the paths stay as
// written and the message names the files as the project does.
class Golden : public ::testing::TestWithParam<QString> {};

TEST_P(Golden, MatchesByteForByte)
{
    const QDir caseDir(QStringLiteral(BITVANE_GOLDEN_DIR) + u'/' + GetParam());
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    const QString header = out.filePath("out.h");

    QStringList args;
    if (caseDir.exists("args.txt"))
        args = QString::fromUtf8(readAll(caseDir.filePath("args.txt")))
                   .split(u'\n', Qt::SkipEmptyParts);
    args << "-o" << header << "project.bvp";
    const Outcome r = runCompile(args, caseDir.path());
    const QByteArray warnings = caseDir.exists("expected_warnings.txt")
                                    ? readAll(caseDir.filePath("expected_warnings.txt"))
                                    : QByteArray();

    if (caseDir.exists("expected.h")) {
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(readAll(header), readAll(caseDir.filePath("expected.h")));
        EXPECT_EQ(r.err, warnings);
    } else {
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, warnings + readAll(caseDir.filePath("expected_error.txt")));
        EXPECT_FALSE(QFile::exists(header));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden,
                         ::testing::ValuesIn(QDir(QStringLiteral(BITVANE_GOLDEN_DIR))
                                                 .entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                            QDir::Name)),
                         [](const auto &info) { return info.param.toStdString(); });

// --style and --mask on the built program, beside the golden cases: classic
// by name is the default's bytes; modern to standard output takes its guard
// from the project and writes names as they stand.
TEST_F(Cli, StyleAndMaskOptions)
{
    writeFile(project, record(dir.filePath("sprite.bmp")) + record(dir.filePath("wide.one.png")));
    Outcome r = runCompile({"-o", header, project});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray classic = readAll(header);
    r = runCompile({"--style", "classic", "-o", header, project});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(readAll(header), classic);

    r = runCompile({"--style", "modern", "--mask", "-o", "-", project});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("/* Sprite header file made with Bitvane 2.0 from p.bvp */\r\n"
                                 "#ifndef P_H\r\n"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(" wide.one_mask[1] BITVANE_DATA = {"));
    EXPECT_TRUE(r.out.endsWith("#endif /* P_H */\r\n"));
    // The name as it stands is only warned of, in either style.
    EXPECT_TRUE(r.err.contains("p.bvp:2: warning: name 'wide.one' is not a C identifier "
                               "(contains '.')\n"))
        << r.err.toStdString();
}

namespace {

// A --watch child, read a line at a time; every wait is bounded.
class WatchedChild {
public:
    explicit WatchedChild(const QStringList &args)
    {
        m_p.start(QStringLiteral(BITVANE_COMPILE_EXE), args);
        m_p.waitForStarted(10000);
    }
    ~WatchedChild()
    {
        if (m_p.state() != QProcess::NotRunning) {
            m_p.kill();
            m_p.waitForFinished(10000);
        }
    }
    // The next line on stdout or stderr ("out: ..." or "err: ..."), or
    // empty when none comes within the time.
    QByteArray nextLine(int ms = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            m_out += m_p.readAllStandardOutput();
            m_err += m_p.readAllStandardError();
            for (auto [buffer, tag] : {std::pair{&m_out, "out: "}, std::pair{&m_err, "err: "}})
                if (const qsizetype end = buffer->indexOf('\n'); end >= 0) {
                    const QByteArray line = tag + buffer->left(end);
                    buffer->remove(0, end + 1);
                    return line;
                }
            const qint64 left = ms - clock.elapsed();
            if (left <= 0)
                return {};
            m_p.waitForReadyRead(int(std::min<qint64>(left, 100)));
        }
    }
    QProcess &process() { return m_p; }

private:
    QProcess m_p;
    QByteArray m_out, m_err;
};

// Writes a file the way editors and paint programs save: a new file renamed
// over the old one.
void replaceFile(const QString &path, const QByteArray &bytes)
{
    writeFile(path + ".new", bytes);
    ASSERT_TRUE(::rename(QFile::encodeName(path + ".new").constData(),
                         QFile::encodeName(path).constData()) == 0);
}

} // namespace

// --watch end to end: a run at once, another for each change to a picture
// or the project (a failed one keeps the last good header), none for the
// header it writes itself, and a clean exit on SIGTERM and SIGINT.
TEST_F(Cli, WatchCompilesAgainAfterEachChangeUntilStopped)
{
    const QRegularExpression done(QStringLiteral("^out: %1: (\\d+) sprites?, \\d+ ms$")
                                      .arg(QRegularExpression::escape(header)));
    auto sprites = [&](const QByteArray &line) {
        const QRegularExpressionMatch m = done.match(QString::fromUtf8(line));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    };
    writeFile(project, record(dir.filePath("sprite.bmp")));
    {
        WatchedChild child({"--watch", "-o", header, project});
        const QByteArray firstLine = child.nextLine();
        ASSERT_EQ(sprites(firstLine), 1) << firstLine.toStdString();
        const QByteArray first = readAll(header);
        EXPECT_EQ(first,
                  Preamble + "static unsigned char sprite[4] = {0xa1, 0x0, 0xc1, 0x0};\r\n\r\n");
        // Its own header, written into the watched folder, starts no run.
        EXPECT_EQ(child.nextLine(600), QByteArray());

        // The picture saved again, by a rename.
        QImage black(8, 1, QImage::Format_RGB32);
        black.fill(Qt::black);
        ASSERT_TRUE(black.save(dir.filePath("drawn.bmp")));
        replaceFile(dir.filePath("sprite.bmp"), readAll(dir.filePath("drawn.bmp")));
        const QByteArray rerun = child.nextLine();
        ASSERT_EQ(sprites(rerun), 1) << rerun.toStdString();
        EXPECT_EQ(readAll(header),
                  Preamble + "static unsigned char sprite[2] = {0xff, 0xff};\r\n\r\n");

        // A broken project: the error, and the header stays.
        const QByteArray good = readAll(header);
        replaceFile(project, record(dir.filePath("sprite.bmp")) + "\"x.bmp\",1\r\n");
        EXPECT_EQ(child.nextLine(), "err: bitvane-compile: " + project.toUtf8() +
                                        ":2: the record ends early: the contrast is missing");
        EXPECT_EQ(readAll(header), good);

        // Mended, with a second picture that is watched from now on; its
        // warning and the run's result come on two streams, in either order.
        ASSERT_TRUE(QFile::copy(dir.filePath("wide.one.png"), dir.filePath("wide.png")));
        replaceFile(project, record(dir.filePath("sprite.bmp")) + record(dir.filePath("wide.png")));
        QByteArrayList lines{child.nextLine(), child.nextLine()};
        std::sort(lines.begin(), lines.end());
        EXPECT_TRUE(lines[0].startsWith("err: " + project.toUtf8() + ":2: warning: "))
            << lines[0].toStdString();
        ASSERT_EQ(sprites(lines[1]), 2) << lines[1].toStdString();
        QFile::remove(dir.filePath("wide.png"));
        EXPECT_EQ(child.nextLine(), "err: bitvane-compile: " + project.toUtf8() + ":2: " +
                                        dir.filePath("wide.png").toUtf8() + ": file not found");
        EXPECT_TRUE(readAll(header).contains(" wide[2] = "));

        ::kill(pid_t(child.process().processId()), SIGTERM);
        ASSERT_TRUE(child.process().waitForFinished(10000));
        EXPECT_EQ(child.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.process().exitCode(), 0);
    }
    WatchedChild child({"--watch", "-o", header, project});
    EXPECT_TRUE(child.nextLine().startsWith("err: bitvane-compile: "));
    ::kill(pid_t(child.process().processId()), SIGINT);
    ASSERT_TRUE(child.process().waitForFinished(10000));
    EXPECT_EQ(child.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.process().exitCode(), 0);
    EXPECT_EQ(entriesOf(dir.path()),
              (QStringList{"drawn.bmp", "out.h", "p.bvp", "sprite.bmp", "wide.one.png"}));
}
