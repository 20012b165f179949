#include "Diagnostics.h"

#include "CommandLine.h"
#include "KeyboardAccess.h"
#include "LoginItem.h"
#include "PackLibrary.h"
#include "Settings.h"
#include "SinkSurvey.h"
#include "SoundEngine.h"
#include "SoundServer.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

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
    Settings settings;
    settings.registerDefaults();
    const bool preferBuiltIn = settings.boolValue(Settings::builtInSpeakersKey);
    const std::optional<SinkSurvey> survey = SinkSurvey::take();
    if (!survey) {
        out << "  sound server:    not reachable\n";
    } else {
        out << "  sound server:    " << QString::fromStdString(survey->server) << '\n';
        out << "  default output:  " << QString::fromStdString(survey->defaultSink) << '\n';
        const auto builtIn = OutputRouting::builtInSink(survey->sinks);
        for (const OutputRouting::Sink &sink : survey->sinks)
            out << "  output:          " << QString::fromStdString(sink.name)
                << (builtIn && *builtIn == sink.name ? " (built-in speakers)" : " (not built-in)") << '\n';
        const auto target = OutputRouting::target(survey->sinks, survey->defaultSink, preferBuiltIn);
        out << "  prefer built-in: " << yesNo(preferBuiltIn) << '\n';
        out << "  chosen output:   " << (target ? QString::fromStdString(*target) : QStringLiteral("none")) << '\n';

        const SoundServer::Kind kind = SoundServer::detect();
        out << "  audio output:    " << SoundServer::name(kind) << '\n';
        std::unique_ptr<AudioOutput> output = SoundServer::makeOutput(kind);
        AudioOutput *audio = output.get();
        SoundEngine engine(1, std::move(output));
        engine.setPrefersBuiltInSpeakers(preferBuiltIn);
        // The output connects on its own thread; a report may wait for it, the interface never does.
        const auto settled = [&] { return audio->latency() && !audio->currentDevice().empty(); };
        QDeadlineTimer deadline(3000);
        const bool started = engine.start();
        while (started && !settled() && !deadline.hasExpired())
            QThread::msleep(10);
        if (started && audio->isRunning()) {
            out << "  playing on:      " << QString::fromStdString(audio->currentDevice()) << '\n';
            if (const auto latency = audio->latency())
                out << "  latency granted: " << QString::number(latency->milliseconds, 'f', 1) << " ms ("
                    << QString::fromStdString(latency->detail) << ")\n";
        }
    }

    PackLibrary library;
    out << "\nPacks\n";
    out << "  built-in:        " << library.builtIn().size() << " in " << library.builtInFolder() << '\n';
    out << "  yours:           " << library.custom().size() << " in " << library.folder() << '\n';

    out << "\nSettings\n";
    out << "  file:            " << settings.path() << (QFileInfo::exists(settings.path()) ? "" : " (not written yet)")
        << '\n';
    LoginItem loginItem;
    out << "  launch at login: " << yesNo(loginItem.isRegistered()) << " (" << loginItem.path() << ")\n";
    return text;
}

} // namespace plinkum
