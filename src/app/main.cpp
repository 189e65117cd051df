// Start-up of the bitvane window: the command line, then the window.
#include "app/frmmain.h"
#include "app/startup.h"
#include "fileaccess.h"

#include <QApplication>

#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    // Before anything opens a file, so that no file of ours takes their place.
    bitvane::OpenClosedStandardDescriptors();
    for (int i = 1; i < argc; ++i) {
        if (!bitvane::SurvivesDecoding(argv[i])) {
            std::fprintf(stderr,
                         "bitvane: argument %d is not valid UTF-8: file names must be, or they "
                         "would be changed\n%s\nTry 'bitvane --help' for more information.\n",
                         i, bitvane::StartupUsage().toLocal8Bit().constData());
            return 2;
        }
    }
    // The command line is answered before the window system is reached, so
    // that help, version and wrong arguments need no display; the window
    // system's own options (-platform, -style) are left for it.
    const bitvane::StartupRequest request =
        bitvane::ParseStartup(bitvane::WithoutWindowSystemOptions(argumentsOf(argc, argv)));
    if (request.action == bitvane::StartupRequest::Help) {
        std::fputs(bitvane::StartupHelp().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (request.action == bitvane::StartupRequest::Version) {
        std::printf("bitvane %s\n", BITVANE_VERSION);
        return 0;
    }
    if (request.action == bitvane::StartupRequest::UsageError) {
        std::fprintf(stderr, "bitvane: %s\n%s\nTry 'bitvane --help' for more information.\n",
                     request.error.toLocal8Bit().constData(),
                     bitvane::StartupUsage().toLocal8Bit().constData());
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Bitvane"));
    QApplication::setApplicationVersion(QStringLiteral(BITVANE_VERSION));
    bitvane::frmMain window;
    if (!request.project.isEmpty())
        window.chooseProject(request.project);
    window.show();
    return app.exec();
}
