// The window's two save answers: only ordinary files that the compile does
// not read are written, and the refusal comes before either dialog's answer
// is used.

#include "windowfixture.h"

#include <QFileInfo>

#include <sys/stat.h>

using namespace bitvane;
using namespace bitvane::testing;

namespace {

bool isFifo(const QString &path)
{
    struct stat s;
    return ::lstat(QFile::encodeName(path).constData(), &s) == 0 && S_ISFIFO(s.st_mode);
}

} // namespace

TEST_F(WindowTest, SaveAnswersThatAreNoOrdinaryFileAreRefused)
{
    toEditPictures();
    next();
    ASSERT_EQ(w->Tab(), frmMain::PageCompile);
    const QString fifo = path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString folder = dir.path();
    const QString picture = path("hero.bmp");
    const QString hardLink = path("hard.bvp");
    ASSERT_EQ(
        ::link(QFile::encodeName(picture).constData(), QFile::encodeName(hardLink).constData()), 0);

    struct Case {
        const char *what;
        QString project, header, refused, reason;
    } cases[] = {
        {"a FIFO as the project", fifo, path("s.h"), fifo, "not a regular file"},
        {"a FIFO as the header", path("s.bvp"), fifo, fifo, "not a regular file"},
        {"a folder as the header", path("s.bvp"), folder, folder, "folder"},
        {"the picture as the header", path("s.bvp"), picture, picture,
         "is an input of this compile"},
        {"a hard link to the picture as the project", hardLink, path("s.h"), hardLink,
         "is an input of this compile"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        seam.messages.clear();
        seam.formatAnswers.push_back(true);
        seam.saveAnswers.push_back(c.project);
        // A refused project answer is refused before the header is asked for.
        if (c.refused != c.project)
            seam.saveAnswers.push_back(c.header);
        next();
        EXPECT_TRUE(seam.saveAnswers.empty());
        ASSERT_EQ(seam.messages.size(), 1u);
        EXPECT_TRUE(seam.messages[0].text.startsWith(c.refused + ": "))
            << seam.messages[0].text.toStdString();
        EXPECT_TRUE(seam.messages[0].text.contains(c.reason));
        EXPECT_EQ(w->Tab(), frmMain::PageCompile);
        EXPECT_TRUE(isFifo(fifo));
        EXPECT_FALSE(QFile::exists(path("s.bvp")));
        EXPECT_FALSE(QFile::exists(path("s.h")));
    }
    EXPECT_EQ(w->entries()[0].Location, picture);
    EXPECT_TRUE(QFileInfo(picture).size() > 0);
}

// The project may be saved over the one it was opened from; the header may
// not, or the project would be lost.
TEST_F(WindowTest, TheOpenedProjectIsTheProjectsTargetNeverTheHeaders)
{
    const QString opened =
        writeFile("p.bvp", "\"" + writePicture("hero.bmp").toUtf8() + "\",0,0\r\n");
    openProject(opened);
    next();
    ASSERT_EQ(w->Tab(), frmMain::PageEditPictures);
    next();
    seam.formatAnswers.push_back(true);
    seam.saveAnswers.push_back(path("q.bvp"));
    seam.saveAnswers.push_back(opened);
    next();
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, opened + ": is an input of this compile");
    EXPECT_TRUE(readAll(opened).endsWith("\",0,0\r\n"));
    EXPECT_FALSE(QFile::exists(path("q.bvp")));

    seam.formatAnswers.push_back(true);
    seam.saveAnswers.push_back(opened);
    seam.saveAnswers.push_back(path("s.h"));
    next();
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_TRUE(seam.messages[1].text.startsWith("Compilation complete!"))
        << seam.messages[1].text.toStdString();
    EXPECT_TRUE(readAll(path("s.h")).startsWith(Preamble));
}
