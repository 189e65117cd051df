// The .bvp project file: record format and reader errors.
#include "error.h"
#include "project/projectfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace bitvane;

namespace {

QByteArray format(const std::vector<ProjectRecord> &records)
{
    QByteArray bytes;
    for (const ProjectRecord &r : records)
        bytes += FormatProjectRecord(r);
    return bytes;
}

ProjectRecord rec(const char *location, int brightness = 0, int contrast = 0)
{
    return {QString::fromUtf8(location), std::int16_t(brightness), std::int16_t(contrast)};
}

} // namespace

TEST(ProjectFile, WritesTheTwoRecordExampleByteForByte)
{
    const QByteArray bytes = format({rec("C:\\art\\ship.bmp", 10, -5), rec("C:\\art\\alien.gif")});
    EXPECT_EQ(bytes, QByteArray("\"C:\\art\\ship.bmp\",10,-5\r\n\"C:\\art\\alien.gif\",0,0\r\n"));
    EXPECT_EQ(bytes.size(), 49);
    EXPECT_EQ(format({}).size(), 0);
    EXPECT_EQ(FormatProjectRecord(rec("/a/b.bmp", -255, 100)),
              QByteArray("\"/a/b.bmp\",-255,100\r\n"));
}

TEST(ProjectFile, ReadsBackWhatItWrites)
{
    const std::vector<ProjectRecord> records = {
        rec("C:\\art\\ship.bmp", 10, -5),
        rec("/home/ann/my art, old/ship, final.gif", -255, 100),
        rec("/home/ann/  spaced  /  lead.jpg", 255, -100),
        rec("/home/ann/Übersicht/schiff ä €.big.bmp", 1, 2),
        rec("/home/ann/日本/スプライト.jpeg", -1, -1),
        rec("/home/ann/art/ship.big.old.bmp"),
        rec("/home/ann/art/ship.big.old.bmp"), // the same picture twice stays twice
        rec("C:\\art\\tab\there.bmp"),
    };
    EXPECT_EQ(ParseProject(format(records), "p.bvp"), records);
    EXPECT_TRUE(ParseProject(QByteArray(), "p.bvp").empty());
}

TEST(ProjectFile, NamesAreAnOptionalQuotedFourthField)
{
    auto named = [](const char *location, const char *name) {
        ProjectRecord r = rec(location, 1, -2);
        r.name = QString::fromUtf8(name);
        return r;
    };
    const std::vector<ProjectRecord> records = {
        named("/a/b.bmp", "ship"),  named("/a/c.bmp", ""), // an emptied name is kept empty
        named("/a/d.bmp", "a, b "), named("/a/e.bmp", "schiff ä"), rec("/a/f.bmp", 1, -2),
    };
    const QByteArray bytes = format(records);
    EXPECT_EQ(bytes.left(bytes.indexOf('\n') + 1), "\"/a/b.bmp\",1,-2,\"ship\"\r\n");
    EXPECT_TRUE(bytes.endsWith("\"/a/f.bmp\",1,-2\r\n"));
    EXPECT_EQ(ParseProject(bytes, "p.bvp"), records);
    // Hand-edited: blanks around the field, text after its closing quote.
    EXPECT_EQ(ParseProject("\"/a/b.bmp\",1,-2,  \"ship\" x\r\n", "p.bvp"),
              std::vector<ProjectRecord>{named("/a/b.bmp", "ship")});

    for (const char *bad : {"say \"hi\"", "two\nlines", "cr\r"})
        EXPECT_THROW(FormatProjectRecord(named("/a/b.bmp", bad)), Error) << bad;
    ProjectRecord nul = named("/a/b.bmp", "");
    nul.name = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    EXPECT_EQ(NameStorageProblem(*nul.name), "holds a NUL character");
    EXPECT_THROW(FormatProjectRecord(nul), Error);
    EXPECT_THROW(ParseProject(QByteArray("\"/a/b.bmp\",0,0,\"a\0b\"\r\n", 20), "p.bvp"), Error);
    const QByteArray longest(MaxNameBytes, 'n');
    EXPECT_EQ(ParseProject("\"/a/b.bmp\",0,0,\"" + longest + "\"", "p.bvp").front().name,
              QString::fromLatin1(longest));
    try {
        ParseProject("\"/a/b.bmp\",0,0,\"" + longest + "n\"", "p.bvp");
        ADD_FAILURE() << "an over-long name was read";
    } catch (const Error &e) {
        EXPECT_EQ(e.reason(), "the name is longer than 4096 bytes");
    }
}

TEST(ProjectFile, StoresNonAsciiLocationsAsUtf8)
{
    EXPECT_EQ(FormatProjectRecord(rec("/ä/ö.bmp")),
              QByteArray("\"/\xC3\xA4/\xC3\xB6.bmp\",0,0\r\n"));
}

TEST(ProjectFile, ReadsHandEditedFiles)
{
    const struct {
        const char *text;
        std::vector<ProjectRecord> records;
    } cases[] = {
        {"\"/a/b.bmp\", 10,  -5\r\n", {rec("/a/b.bmp", 10, -5)}},
        {"  \"/a/b.bmp\"  ,10,-5\r\n", {rec("/a/b.bmp", 10, -5)}},
        {"\"/a/b.bmp\",10,-5\n\"/a/c.gif\",0,0\n", {rec("/a/b.bmp", 10, -5), rec("/a/c.gif")}},
        {"\"/a/b.bmp\",10,-5", {rec("/a/b.bmp", 10, -5)}}, // no line end after the last record
        {"\r\n\"/a/b.bmp\",1,2\r\n\r\n  \r\n\"/a/c.gif\",3,4\r\n\n",
         {rec("/a/b.bmp", 1, 2), rec("/a/c.gif", 3, 4)}},
        {"\"/a/b.bmp\"junk,1,2\r\n", {rec("/a/b.bmp", 1, 2)}}, // passed over after the quote
        {"/a/b c.bmp,+7,007\r\n", {rec("/a/b c.bmp", 7, 7)}},  // unquoted location
        {"\"/a/b.bmp\",1 ,2 \r\n", {rec("/a/b.bmp", 1, 2)}},
        {"\"/a/b.bmp\",-0,0\r", {rec("/a/b.bmp")}},
        {"\xEF\xBB\xBF\"/a/b.bmp\",1,2\r\n",
         {rec("/a/b.bmp", 1, 2)}}, // an editor's byte order mark
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseProject(c.text, "p.bvp"), c.records) << c.text;
}

TEST(ProjectFile, RefusesBadInputNamingFileLineAndReason)
{
    const struct {
        const char *text;
        int line;
        const char *reason;
    } cases[] = {
        {"\"/a/b.bmp\",1,2\r\n\"/a/c.bmp\",1\r\n", 2,
         "the record ends early: the contrast is missing"},
        {"\"/a/b.bmp\"\r\n", 1, "the record ends early: brightness and contrast are missing"},
        {"\"/a/b.bmp\",1", 1, "the file ends inside a record: the contrast is missing"},
        {"\r\n\r\n\"/a/b.bmp\"", 3,
         "the file ends inside a record: brightness and contrast are missing"},
        {"\"/a/b.bmp,1,2\r\n\"/a/c.bmp\",1,2\r\n", 1,
         "the quote that opens the location is never closed"},
        {"\"/a/b.bmp\",1,2\n\"/a/c.bmp", 2, "the quote that opens the location is never closed"},
        {"\"/a/b.bmp\",1x,2\r\n", 1, "brightness \"1x\" is not a decimal integer"},
        {"\"/a/b.bmp\",1,0x10\r\n", 1, "contrast \"0x10\" is not a decimal integer"},
        {"\"/a/b.bmp\",1.5,2\r\n", 1, "brightness \"1.5\" is not a decimal integer"},
        {"\"/a/b.bmp\",-,2\r\n", 1, "brightness \"-\" is not a decimal integer"},
        {"\"/a/b.bmp\",\"1\",2\r\n", 1, "brightness \"\"1\"\" is not a decimal integer"},
        {"\"/a/b.bmp\",,2\r\n", 1, "the brightness is missing"},
        {"\"/a/b.bmp\",1,\r\n", 1, "the contrast is missing"},
        {"\"/a/b.bmp\",256,0\r\n", 1, "brightness 256 is outside -255 to 255"},
        {"\"/a/b.bmp\",-256,0\r\n", 1, "brightness -256 is outside -255 to 255"},
        {"\"/a/b.bmp\",0,140\r\n", 1, "contrast 140 is outside -100 to 100"},
        {"\"/a/b.bmp\",0,-101\r\n", 1, "contrast -101 is outside -100 to 100"},
        {"\"/a/b.bmp\",99999999999999999999,0\r\n", 1,
         "brightness 99999999999999999999 is outside -255 to 255"},
        {"\"/a/b.bmp\",1,2,3\r\n", 1, "the name \"3\" is not in double quotes"},
        {"\"/a/b.bmp\",1,2,\r\n", 1, "the name \"\" is not in double quotes"},
        {"\"/a/b.bmp\",1,2,\"x\",\"\",\"y\"\r\n", 1, "the record has more than five fields"},
        {"\"/a/b.bmp\",1,2,\"x\",fit=scale\r\n", 1,
         "the options \"fit=scale\" are not in double quotes"},
        {"\"/a/b.bmp\",1,2,\"x\",\"y\"\r\n", 1, "bad option 'y'"},
        {"\"/a/b.bmp\",0,0\r\n\"/a/c.bmp\",1,2,\"c\",\"fit=scale;width=7\"\r\n", 2,
         "bad option 'width=7'"},
        {"\"/a/b.bmp\",1,2,\"x\r\n", 1, "the quote that opens the name is never closed"},
        {"/a/b\".bmp,1,2\r\n", 1, "the location holds a double quote outside the quotes"},
        {"\"C:\\old.art\\ship\",0,0\r\n", 1,
         "location \"C:\\old.art\\ship\": no name can be taken: \"ship\" has no extension"},
        {"\"/a/b.bmp\",0,0\r\n\"/x\",0,0\r\n", 2,
         "location \"/x\": no name can be taken: the path has no folder"},
        {"\"\",0,0\r\n", 1, "location \"\": no name can be taken from an empty path"},
    };
    for (const auto &c : cases) {
        try {
            const auto records = ParseProject(c.text, "/tmp/tiles.bvp");
            ADD_FAILURE() << c.text << " gave " << records.size() << " records";
        } catch (const Error &e) {
            EXPECT_EQ(e.file(), "/tmp/tiles.bvp") << c.text;
            EXPECT_EQ(e.line(), c.line) << c.text;
            EXPECT_EQ(e.reason(), QString::fromUtf8(c.reason)) << c.text;
        }
    }
}

TEST(ProjectFile, RefusesMoreThan32767Records)
{
    const QByteArray line = "\"/a/b.bmp\",1,2\r\n";
    QByteArray bytes = line.repeated(MaxProjectRecords);
    EXPECT_EQ(ParseProject(bytes, "big.bvp").size(), std::size_t(MaxProjectRecords));
    bytes += line;
    try {
        ParseProject(bytes, "big.bvp");
        ADD_FAILURE() << "32768 records were accepted";
    } catch (const Error &e) {
        EXPECT_EQ(e.line(), 32768);
        EXPECT_TRUE(e.reason().startsWith("more than 32767 records")) << e.what();
    }
}

TEST(ProjectFile, WriterRefusesWhatCouldNotBeReadBack)
{
    const ProjectRecord bad[] = {
        rec("/a/say \"hi\".bmp"), rec("/a/two\nlines.bmp"), rec("/a/cr\r.bmp"),
        rec("/a/b.bmp", 256, 0),  rec("/a/b.bmp", 0, -101), rec("/x"),
        rec("/a/noext"),
    };
    for (const ProjectRecord &r : bad)
        EXPECT_THROW(FormatProjectRecord(r), Error) << r.location.toStdString();
}

TEST(ProjectFile, ReadProjectFileNamesTheFileThatCannotBeRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath("missing.bvp");
    try {
        ReadProjectFile(missing);
        ADD_FAILURE() << "a missing file was read";
    } catch (const Error &e) {
        EXPECT_EQ(e.file(), missing);
        EXPECT_TRUE(e.reason().contains("file not found")) << e.what();
    }
    try {
        ReadProjectFile(dir.path());
        ADD_FAILURE() << "a folder was read";
    } catch (const Error &e) {
        EXPECT_EQ(e.file(), dir.path());
    }

    const QString path = dir.filePath("p.bvp");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\"/a/b.bmp\",1,2\r\n\"/a/c.bmp\",1\r\n");
    f.close();
    try {
        ReadProjectFile(path);
        ADD_FAILURE() << "a bad file was read";
    } catch (const Error &e) {
        EXPECT_EQ(e.message(), path + ":2: the record ends early: the contrast is missing");
    }
}

// The settings line: each choice that differs from the default, keys in one
// order, and nothing at all for the defaults, so that such files keep their
// bytes. Read back, the line gives the settings and is no record.
TEST(ProjectSettingsLine, RoundTripsEachCombinationAndIsNoRecord)
{
    const struct {
        ProjectSettings settings;
        QByteArray line;
    } cases[] = {
        {{}, ""},
        {{HeaderStyle::Modern}, "#bitvane style=modern\r\n"},
        {{HeaderStyle::Classic, true}, "#bitvane masks=on\r\n"},
        {{HeaderStyle::Classic, false, false}, "#bitvane notation=binary\r\n"},
        {{HeaderStyle::Classic, false, true, true}, "#bitvane locations=relative\r\n"},
        {{HeaderStyle::Modern, false, true, false, true}, "#bitvane style=modern;shared=on\r\n"},
        {{HeaderStyle::Modern, true, false, true},
         "#bitvane style=modern;masks=on;notation=binary;locations=relative\r\n"},
        {{HeaderStyle::Modern, true, false, true, true},
         "#bitvane style=modern;masks=on;notation=binary;locations=relative;shared=on\r\n"},
    };
    const QByteArray records = "\"/a/b.bmp\",1,2\r\n\"/a/c.bmp\",0,0,\"hero\"\r\n";
    const std::vector<ProjectRecord> expected = ParseProject(records, "p.bvp");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        EXPECT_EQ(FormatSettingsLine(c.settings), c.line);
        for (const QByteArray &bom : {QByteArray(), QByteArray("\xEF\xBB\xBF")}) {
            const QByteArray file = bom + c.line + records;
            EXPECT_EQ(ParseProjectSettings(file, "p.bvp"), c.settings);
            const std::vector<ProjectRecord> read = ParseProject(file, "p.bvp");
            EXPECT_EQ(read, expected);
            ASSERT_EQ(read.size(), 2u);
            EXPECT_EQ(read[1].line, c.line.isEmpty() ? 2 : 3);
        }
    }
    // Written by hand: any order, blanks, the defaults named, a bare mark,
    // a lone LF, and a project of settings only.
    ProjectSettings binaryMasks;
    binaryMasks.masks = true;
    binaryMasks.hex = false;
    EXPECT_EQ(ParseProjectSettings(" #bitvane masks=on", "p.bvp"), ProjectSettings{});
    EXPECT_EQ(ParseProjectSettings("#bitvane notation = binary ; style=classic;masks=on;\n"
                                   "\"/a/b.bmp\",0,0\n",
                                   "p.bvp"),
              binaryMasks);
    EXPECT_EQ(ParseProjectSettings("#bitvane\r\n", "p.bvp"), ProjectSettings{});
    EXPECT_TRUE(ParseProject("#bitvane style=modern", "p.bvp").empty());
}

TEST(ProjectSettingsLine, RefusesWhatItDoesNotKnowWithItsLine)
{
    const struct {
        QByteArray line;
        const char *reason;
    } cases[] = {
        {"#bitvane colour=grey",
         "unknown setting \"colour\" (known: style, masks, notation, locations, shared)"},
        {"#bitvane style=modern;Masks=on",
         "unknown setting \"Masks\" (known: style, masks, notation, locations, shared)"},
        {"#bitvane style=c99", "style \"c99\" is neither classic nor modern"},
        {"#bitvane masks=yes", "masks \"yes\" is neither off nor on"},
        {"#bitvane notation=", "notation \"\" is neither hex nor binary"},
        {"#bitvane locations", "setting \"locations\" is not in the form key=value"},
        {"#bitvane style=modern;style=classic", "style is set twice"},
        {"#bitvane shared=on", "shared=on needs style=modern"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        try {
            ParseProjectSettings(c.line + "\r\n\"/a/b.bmp\",0,0\r\n", "game.bvp");
            ADD_FAILURE() << "accepted";
        } catch (const Error &e) {
            EXPECT_EQ(e.message(), QStringLiteral("game.bvp:1: ") + QLatin1StringView(c.reason));
        }
    }
}

// A picture or a header given as the project is called what it is; a broken
// project keeps its line's message, and a project is never refused for what
// it looks like.
TEST(ProjectSettingsLine, FilesOfAnotherKindAreNamedAsSuch)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        const char *file;
        QByteArray bytes;
        const char *message; // after "PATH"
    } cases[] = {
        {"ship.png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
         ": not a project file (a PNG picture)"},
        {"ship.gif", "GIF89a\x08\x00\x02\x00", ": not a project file (a GIF picture)"},
        {"ship.jpg", "\xFF\xD8\xFF\xE0", ": not a project file (a JPEG picture)"},
        {"ship.bmp", QByteArray("BM\x46\0\0\0", 6), ": not a project file (a BMP picture)"},
        {"sprites.h", "// Sprite header file made with Bitvane 2.0\r\n",
         ": not a project file (a C header)"},
        {"modern.h", "\n/* Sprite header */\r\n#ifndef X\r\n", ": not a project file (a C header)"},
        {"data.bin", QByteArray("\"a\0b", 4), ": not a project file (binary data)"},
        {"broken.bvp", "\"/a/b.bmp\",0\r\n", ":1: the record ends early: the contrast is missing"},
        {"BMs.bvp", "BMs.bmp,0\r\n", ":1: the record ends early: the contrast is missing"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = dir.filePath(QString::fromLatin1(c.file));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        try {
            ReadProjectFileContents(path);
            ADD_FAILURE() << "read as a project";
        } catch (const Error &e) {
            EXPECT_EQ(e.message(), path + QLatin1StringView(c.message));
        }
    }
}
