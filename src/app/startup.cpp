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

QStringList WithoutWindowSystemOptions(const QStringList &arguments)
{
    // Qt's own options: those followed by a value, then those without.
    static const QStringList withValue{
        QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("geometry"),
        QStringLiteral("qwindowtitle"),    QStringLiteral("title"),
        QStringLiteral("qwindowicon"),     QStringLiteral("icon"),
        QStringLiteral("display"),         QStringLiteral("name"),
        QStringLiteral("session"),         QStringLiteral("style"),
        QStringLiteral("stylesheet"),      QStringLiteral("qmljsdebugger")};
    static const QStringList alone{QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                   QStringLiteral("nograb"), QStringLiteral("dograb"),
                                   QStringLiteral("testability")};
    // The program's name first, never an option.
    QStringList kept = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        // After "--" everything is a project.
        if (argument == u"--") {
            kept << arguments.mid(i);
            break;
        }
        QString name = argument;
        if (name.startsWith(u"--"))
            name.remove(0, 1);
        if (!name.startsWith(u'-')) {
            kept << argument;
            continue;
        }
        name.remove(0, 1);
        const qsizetype equals = name.indexOf(u'=');
        if (equals >= 0 && withValue.contains(name.left(equals)))
            continue;
        if (withValue.contains(name)) {
            ++i; // its value
            continue;
        }
        if (!alone.contains(name))
            kept << argument;
    }
    return kept;
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
