// Per-picture fit, levels and shading in the window: a project whose records
// choose them compiles to bitvane-compile's header and keeps the choices.
#include "picturepages.h"

#include "project/projectfile.h"

#include <QDir>
#include <QProcess>

namespace bitvane::testing {
namespace {

// The golden project whose records choose every option, its pictures beside it.
TEST_F(PicturePages, RecordOptionsCompileAsOnTheCommandLineAndAreWrittenBack)
{
    const QDir golden(QStringLiteral(BITVANE_GOLDEN_DIR) + QStringLiteral("/options_in_records"));
    for (const QString &name : golden.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(golden.filePath(name), path(name))) << name.toStdString();

    openProject(path("project.bvp"));
    ASSERT_EQ(w->Tab(), frmMain::PageEditFiles) << lastMessage().toStdString();
    loadPictures();
    finish(true, "window.bvp", "window.h");
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_TRUE(seam.messages[0].text.startsWith("Compilation complete!"))
        << seam.messages[0].text.toStdString();

    QProcess cli;
    cli.start(QStringLiteral(BITVANE_COMPILE_EXE), {"-o", path("cli.h"), path("project.bvp")});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_EQ(readAll(path("window.h")), readAll(path("cli.h")));

    // The project the window wrote chooses the same, each record's options
    // in their canonical order.
    const std::vector<ProjectRecord> original = ReadProjectFile(path("project.bvp"));
    const std::vector<ProjectRecord> written = ReadProjectFile(path("window.bvp"));
    ASSERT_EQ(written.size(), original.size());
    for (std::size_t i = 0; i < written.size(); ++i)
        EXPECT_EQ(ResolveOptions(written[i].options), ResolveOptions(original[i].options)) << i;
    EXPECT_TRUE(readAll(path("window.bvp"))
                    .contains(",\"photo_4\",\"fit=scale;width=16;shade=ordered\"\r\n"));
}

} // namespace
} // namespace bitvane::testing
