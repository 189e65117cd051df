// The window's command line: the parsed request, and the built program's answers and exit codes.
#include "app/startup.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace bitvane::testing {
namespace {

StartupRequest parse(const QStringList &arguments)
{
    return ParseStartup(QStringList{QStringLiteral("bitvane")} + arguments);
}

TEST(Startup, AProjectIsChosenAndWrongArgumentsAreUsageErrors)
{
    EXPECT_EQ(parse({}).action, StartupRequest::Run);
    EXPECT_TRUE(parse({}).project.isEmpty());
    const StartupRequest withProject = parse({"/home/ann/tiles.bvp"});
    EXPECT_EQ(withProject.action, StartupRequest::Run);
    EXPECT_EQ(withProject.project, "/home/ann/tiles.bvp");
    // A project named like an option still opens after "--".
    EXPECT_EQ(parse({"--", "-odd.bvp"}).project, "-odd.bvp");

    EXPECT_EQ(parse({"--bogus"}).action, StartupRequest::UsageError);
    EXPECT_TRUE(parse({"--bogus"}).error.contains("bogus"));
    EXPECT_EQ(parse({"a.bvp", "b.bvp"}).action, StartupRequest::UsageError);
    // Help and version answer whatever else stands beside them.
    EXPECT_EQ(parse({"--bogus", "--help"}).action, StartupRequest::Help);
    EXPECT_EQ(parse({"a.bvp", "-v"}).action, StartupRequest::Version);
}

// The window system's options are left for it, with their values, in either
// form; everything else stays for the program to judge.
TEST(Startup, WindowSystemOptionsAreSetAsideBeforeTheDisplayIsNeeded)
{
    const struct {
        QStringList given, kept;
    } cases[] = {
        {{"-platform", "xcb", "a.bvp"}, {"a.bvp"}},
        {{"--platform", "offscreen", "-style=fusion", "-reverse"}, {}},
        {{"-qwindowgeometry", "100x100", "--bogus"}, {"--bogus"}},
        {{"--", "-style", "x"}, {"--", "-style", "x"}},
        {{"-v", "--help"}, {"-v", "--help"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(WithoutWindowSystemOptions(QStringList{"bitvane"} + c.given),
                  QStringList{"bitvane"} + c.kept)
            << c.given.join(' ').toStdString();
}

struct WindowRun {
    int exitCode = -1;
    QByteArray out, err;
};

WindowRun runWindow(const QStringList &arguments, bool display)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (display)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    else
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(BITVANE_WINDOW_EXE), arguments);
    EXPECT_TRUE(p.waitForFinished(20000));
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

// --help and --version need no display; a wrong argument is told on stderr
// with the usage line, and exits 2 before any window opens.
TEST(Startup, TheProgramAnswersHelpVersionAndWrongArguments)
{
    const WindowRun help = runWindow({"--help"}, false);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: bitvane [PROJECT.bvp]\n")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("--version"));
    EXPECT_TRUE(help.err.isEmpty());

    const WindowRun version = runWindow({"--version"}, false);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "bitvane " BITVANE_VERSION "\n");

    // With a display or without one.
    for (const bool display : {true, false})
        for (const QStringList &wrong : {QStringList{"--bogus"}, QStringList{"a.bvp", "b.bvp"}}) {
            const WindowRun r = runWindow(wrong, display);
            EXPECT_EQ(r.exitCode, 2) << wrong.join(' ').toStdString() << display;
            EXPECT_TRUE(r.out.isEmpty());
            EXPECT_TRUE(r.err.contains("Usage: bitvane [PROJECT.bvp]\n")) << r.err.toStdString();
        }
}

} // namespace
} // namespace bitvane::testing
