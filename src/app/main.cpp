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
    // --help and --version answer before the window system is reached, so
    // that they work without a display.
    const bitvane::StartupRequest early = bitvane::ParseStartup(argumentsOf(argc, argv));
    if (early.action == bitvane::StartupRequest::Help) {
        std::fputs(bitvane::StartupHelp().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (early.action == bitvane::StartupRequest::Version) {
        std::printf("bitvane %s\n", BITVANE_VERSION);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Bitvane"));
    QApplication::setApplicationVersion(QStringLiteral(BITVANE_VERSION));
    // The window system's own options (-platform, -style) are gone now.
    const bitvane::StartupRequest request = bitvane::ParseStartup(QApplication::arguments());
    if (request.action == bitvane::StartupRequest::UsageError) {
        std::fprintf(stderr, "bitvane: %s\n%s\nTry 'bitvane --help' for more information.\n",
                     request.error.toLocal8Bit().constData(),
                     bitvane::StartupUsage().toLocal8Bit().constData());
        return 2;
    }
    bitvane::frmMain window;
    if (!request.project.isEmpty())
        window.chooseProject(request.project);
    window.show();
    return app.exec();
}
