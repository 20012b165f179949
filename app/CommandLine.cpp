#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace plinkum {

namespace {

bool hasDisplay(const QProcessEnvironment &environment)
{
    const bool x11 = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    // A chosen Qt platform other than the two window systems (offscreen, vnc, ...) needs neither.
    const QString platform = environment.value(QStringLiteral("QT_QPA_PLATFORM")).section(u':', 0, 0);
    if (platform.isEmpty())
        return x11 || wayland;
    if (platform == u"xcb")
        return x11;
    if (platform.startsWith(u"wayland"))
        return wayland;
    return true;
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments, const QProcessEnvironment &environment)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption headless(QStringLiteral("headless"));
    const QCommandLineOption diagnose(QStringLiteral("diagnose"));
    const QCommandLineOption version(QStringList{QStringLiteral("version"), QStringLiteral("v")});
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    parser.addOptions({headless, diagnose, version, help});

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.mode = Mode::Invalid;
        result.error = parser.errorText();
        // The parser names an unknown option without its dashes; the user should see what they typed.
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().constFirst();
            for (const QString &argument : arguments.mid(1)) {
                const QString typed = argument.section(u'=', 0, 0);
                qsizetype dashes = 0;
                while (dashes < typed.size() && typed.at(dashes) == u'-')
                    ++dashes;
                if (dashes > 0 && typed.mid(dashes) == name) {
                    result.error = QStringLiteral("Unknown option '%1'.").arg(typed);
                    break;
                }
            }
        }
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.mode = Mode::Invalid;
        result.error = QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
        return result;
    }
    if (parser.isSet(help))
        result.mode = Mode::Help;
    else if (parser.isSet(version))
        result.mode = Mode::Version;
    else if (parser.isSet(diagnose))
        result.mode = Mode::Diagnose;
    else if (parser.isSet(headless))
        result.mode = Mode::Headless;
    else if (!hasDisplay(environment)) {
        result.mode = Mode::Headless;
        result.noDisplay = true;
    }
    return result;
}

QString CommandLine::helpText()
{
    return QStringLiteral(
        "Usage: plinkum [option]\n"
        "Plays mechanical keyboard switch sounds while you type.\n"
        "\n"
        "  (no option)   run in the tray; without a display, run headless\n"
        "  --headless    no tray or window: play the selected pack until stopped (Ctrl+C)\n"
        "  --diagnose    report keyboard access, the sound server and its outputs, the packs,\n"
        "                the settings and whether Plinkum runs, then exit: 0 when typed keys\n"
        "                can be heard, 1 with the reasons when not\n"
        "  --version     print the version and exit\n"
        "  --help        print this help and exit\n"
        "\n"
        "Settings: $XDG_CONFIG_HOME/Plinkum/Plinkum.conf (~/.config/Plinkum/Plinkum.conf).\n");
}

QString CommandLine::versionText()
{
    return QStringLiteral("Plinkum " PLINKUM_VERSION "\n");
}

} // namespace plinkum
