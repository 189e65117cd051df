// The window's command line: parsing it and the texts it answers with.
#include "app/startup.h"

#include <QCommandLineParser>

namespace bitvane {

namespace {

// Our own options, not Qt's addHelpOption: that would also offer
// --help-all with the window system's options.
struct Options {
    QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{QStringList{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(
            QStringLiteral("Turns small pictures into four-shade sprite data for C programs.\n"
                           "With PROJECT.bvp the window starts with that project chosen."));
        parser.addOption(help);
        parser.addOption(version);
        parser.addPositionalArgument(QStringLiteral("PROJECT.bvp"),
                                     QStringLiteral("A project file to open."),
                                     QStringLiteral("[PROJECT.bvp]"));
    }
};

} // namespace

StartupRequest ParseStartup(const QStringList &arguments)
{
    const Options options;
    QCommandLineParser parser;
    options.addTo(parser);
    const bool parsed = parser.parse(arguments);
    StartupRequest request;
    if (parser.isSet(options.help)) {
        request.action = StartupRequest::Help;
    } else if (parser.isSet(options.version)) {
        request.action = StartupRequest::Version;
    } else if (!parsed) {
        request.action = StartupRequest::UsageError;
        request.error = parser.errorText();
    } else if (parser.positionalArguments().size() > 1) {
        request.action = StartupRequest::UsageError;
        request.error = QStringLiteral("more than one project file named");
    } else if (!parser.positionalArguments().isEmpty()) {
        request.project = parser.positionalArguments().front();
    }
    return request;
}

QString StartupUsage()
{
    return QStringLiteral("Usage: bitvane [PROJECT.bvp]");
}

QString StartupHelp()
{
    const Options options;
    QCommandLineParser parser;
    options.addTo(parser);
    QString help = parser.helpText();
    // Qt's first line names the program by the path it was started with.
    help.replace(0, help.indexOf(u'\n'), StartupUsage());
    return help;
}

} // namespace bitvane
