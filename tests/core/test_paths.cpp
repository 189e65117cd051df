// Selection texts and base names.
#include "error.h"
#include "project/paths.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace bitvane;

namespace {

// The dialog separates a folder and its file names with NUL characters;
// '|' stands for them in the tables below.
QString sel(const char *text)
{
    QString s = QString::fromUtf8(text);
    s.replace(u'|', QChar(0));
    return s;
}

} // namespace

TEST(GetFileCount, CountsNamesAfterTheFolder)
{
    const struct {
        const char *selection;
        int count;
    } cases[] = {
        {"", 1},
        {"C:\\pics\\hero.bmp", 1},
        {"C:\\pics|a.bmp|b.gif", 2},
        {"/home/ann/art|a.bmp|b.gif|c.jpg", 3},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetFileCount(sel(c.selection)), c.count) << c.selection;
}

TEST(GetFilePath, TakesTheNthFileOfASelection)
{
    const struct {
        const char *selection;
        int n;
        const char *path;
    } cases[] = {
        {"C:\\pics\\hero.bmp", 5, "C:\\pics\\hero.bmp"}, // one file: the index is not looked at
        {"C:\\pics|a.bmp|b.gif", 1, "C:\\pics\\a.bmp"},
        {"C:\\pics|a.bmp|b.gif", 2, "C:\\pics\\b.gif"},
        {"C:\\pics|a.bmp|b.gif", 3, "C:\\pics\\"}, // one past the last name: the folder alone
        {"C:\\|a.bmp|b.gif", 2, "C:\\b.gif"},      // root: no doubled separator
        {"/home/ann/art|a.bmp|b.gif", 2, "/home/ann/art/b.gif"},
        {"/|a.bmp", 1, "/a.bmp"},
        {"/home/ann/art/|a.bmp", 1, "/home/ann/art/a.bmp"},
        {"C:/mixed\\art|a.bmp", 1, "C:/mixed\\art/a.bmp"}, // a '/' makes it a POSIX-style folder
        {"relative|a.bmp", 1, "relative/a.bmp"},
        {"|a.bmp", 1, "/a.bmp"},
        {"C:\\pics|a b, c.bmp|", 2, "C:\\pics\\"}, // an empty name after the last NUL
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetFilePath(sel(c.selection), std::int16_t(c.n)), QString::fromUtf8(c.path))
            << c.selection << " #" << c.n;
}

TEST(GetFilePath, RefusesAnIndexThatFindsNoName)
{
    for (int n : {0, 4, -1, 32767}) {
        try {
            GetFilePath(sel("C:\\pics|a.bmp|b.gif"), std::int16_t(n));
            ADD_FAILURE() << "index " << n << " was accepted";
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("C:\\pics\\"))) << e.what();
            EXPECT_TRUE(e.reason().contains(QString::number(n))) << e.what();
        }
    }
}

TEST(GetBaseName, TakesTheNameWithoutFolderAndLastExtension)
{
    const struct {
        const char *path;
        const char *name;
    } cases[] = {
        {"C:\\art\\ship.bmp", "ship"},
        {"C:\\art\\ship.big.bmp", "ship.big"},
        {"C:\\art\\ship.", "ship"},
        {"C:\\art\\.gif", ""},
        {"C:\\d.x\\a", "d"}, // the separator in the second-last place is never found
        {"/home/ann/art/ship.big.bmp", "ship.big"},
        {"/ship.bmp", "ship"},
        {"./ship.bmp", "ship"},
        {"/home/ann/art.d/ship.gif", "ship"},
        {"/home/ann/Übersicht/schiff ä, 2.bmp", "schiff ä, 2"},
        {"C:/art\\ship.jpg", "ship"},
        {"ship.big.bmp", "ship.big"}, // a bare file name, as a project may give it
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetBaseName(QString::fromUtf8(c.path)), QString::fromUtf8(c.name)) << c.path;
}

TEST(GetBaseName, RefusesPathsWithoutFolderOrExtension)
{
    const struct {
        const char *path;
        const char *why;
    } cases[] = {
        {"C:\\old.art\\ship", "has no extension"}, // the folder's dot is not looked at
        {"C:\\pics\\", "has no extension"},
        {"/home/ann/pics/", "has no extension"},
        {"a/", "no folder"},                 // the only separator is the last character
        {"C:\\d.x\\ab", "has no extension"}, // third-last: the separator is found
        {"/x", "no folder"},
    };
    for (const auto &c : cases) {
        try {
            const QString name = GetBaseName(QString::fromUtf8(c.path));
            ADD_FAILURE() << c.path << " gave " << name.toStdString();
        } catch (const Error &e) {
            EXPECT_EQ(e.file(), QString::fromUtf8(c.path));
            EXPECT_TRUE(e.reason().contains(QLatin1StringView(c.why))) << e.what();
        }
    }
    EXPECT_THROW(GetBaseName(QString()), Error);
}

TEST(PathHelpers, RefuseTextsLongerThan32767Characters)
{
    const QString fits = QStringLiteral("/a/") + QString(32767 - 7, u'x') + QStringLiteral(".bmp");
    ASSERT_EQ(fits.size(), 32767);
    EXPECT_EQ(GetBaseName(fits).size(), 32767 - 7);
    const QString tooLong = fits + u'x';
    EXPECT_THROW(GetBaseName(tooLong), Error);
    EXPECT_THROW(GetFileCount(tooLong), Error);
    EXPECT_THROW(GetFilePath(tooLong, 1), Error);
}

TEST(PathHelpers, SelectionRoundTripGivesEveryChosenFile)
{
    const QString selection = sel("/home/ann/art|ship.bmp|alien.gif|boss.big.jpg");
    QStringList names;
    for (int i = 1; i <= GetFileCount(selection); ++i)
        names << GetBaseName(GetFilePath(selection, std::int16_t(i)));
    EXPECT_EQ(names, (QStringList{"ship", "alien", "boss.big"}));
}
