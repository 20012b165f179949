#include "Diagnostics.h"

#include "CommandLine.h"
#include "KeyboardAccess.h"
#include "LoginItem.h"
#include "PackLibrary.h"
#include "PulseOutput.h"
#include "Settings.h"
#include "SoundEngine.h"

#include <QFileInfo>
#include <QTextStream>

namespace plinkum {

namespace {

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

} // namespace

QString Diagnostics::report()
{
    QString text;
    QTextStream out(&text);
    out << CommandLine::versionText();

    const KeyboardAccess::Environment environment = KeyboardAccess::Environment::fromProcess();
    const KeyboardAccess::Result access = KeyboardAccess::check(environment);
    out << "\nKeyboard\n";
    out << "  can listen:      " << yesNo(access.canListen) << '\n';
    out << "  why:             " << QString::fromStdString(access.reason) << '\n';
    out << "  session:         " << (environment.waylandSession ? "Wayland" : environment.display.empty() ? "no display" : "X11")
        << '\n';

    out << "\nSound\n";
    {
        auto output = std::make_unique<PulseOutput>();
        PulseOutput *pulse = output.get();
        SoundEngine engine(1, std::move(output));
        Settings settings;
        settings.registerDefaults();
        const bool builtIn = settings.boolValue(Settings::builtInSpeakersKey);
        engine.setPrefersBuiltInSpeakers(builtIn);
        const bool started = engine.start();
        out << "  sound server:    " << (started ? "connected" : "not reachable") << '\n';
        out << "  prefer built-in: " << yesNo(builtIn) << '\n';
        out << "  playing on:      " << QString::fromStdString(pulse->currentDevice()) << '\n';
        if (const auto timing = pulse->timing())
            out << "  latency granted: " << QString::number(timing->latencyMs, 'f', 1) << " ms (requests of "
                << timing->requestFrames << " frames, target " << timing->targetFrames << " frames)\n";
    }

    PackLibrary library;
    out << "\nPacks\n";
    out << "  built-in:        " << library.builtIn().size() << " in " << library.builtInFolder() << '\n';
    out << "  yours:           " << library.custom().size() << " in " << library.folder() << '\n';

    Settings settings;
    out << "\nSettings\n";
    out << "  file:            " << settings.path() << (QFileInfo::exists(settings.path()) ? "" : " (not written yet)")
        << '\n';
    LoginItem loginItem;
    out << "  launch at login: " << yesNo(loginItem.isRegistered()) << " (" << loginItem.path() << ")\n";
    return text;
}

} // namespace plinkum
