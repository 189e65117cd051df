// The window's two save answers: only ordinary files are written, and the
// refusal comes before either dialog's answer is used.

#include "windowfixture.h"

#include <QFileInfo>

#include <sys/stat.h>

using namespace bitvane;
using bitvane::testing::WindowTest;

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

    struct Case {
        const char *what;
        QString project, header, refused, reason;
    } cases[] = {
        {"a FIFO as the project", fifo, path("s.h"), fifo, "not a regular file"},
        {"a FIFO as the header", path("s.bvp"), fifo, fifo, "not a regular file"},
        {"a folder as the header", path("s.bvp"), folder, folder, "folder"},
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
}
