// The window's command line: an optional project file, --help and --version.
#pragma once

#include <QString>
#include <QStringList>

namespace bitvane {

// What the command line asks of the window.
struct StartupRequest {
    enum Action { Run, Help, Version, UsageError };
    Action action = Run;
    QString project; // Run: the project to choose on page 0, or empty
    QString error;   // UsageError: what is wrong
};

// arguments as the program received them, its own name first. --help and
// --version win over anything else given with them, so that they answer
// even beside an option the window system would have taken.
StartupRequest ParseStartup(const QStringList &arguments);

// arguments without the options the window system takes for itself
// (-platform NAME, -style=NAME, -reverse, ... with one dash or two), so that
// what is left can be judged before the window system is started, which
// without a display would end the program.
QStringList WithoutWindowSystemOptions(const QStringList &arguments);

// The text of --help, and the one line of usage shown after a wrong
// argument.
QString StartupHelp();
QString StartupUsage();

} // namespace bitvane
