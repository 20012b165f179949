#include "app/Diagnostics.h"

#include "app/CommandLine.h"
#include "input/KeyboardAccess.h"
#include "app/LoginItem.h"
#include "packs/PackLibrary.h"
#include "app/Settings.h"
#include "app/SingleInstance.h"
#include "audio/SinkSurvey.h"
#include "audio/SoundEngine.h"
#include "audio/SoundServer.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

#include <algorithm>

namespace plinkum {

namespace {

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

} // namespace

Diagnostics::Report Diagnostics::report()
{
    Report report;
    QTextStream out(&report.text);
    out << CommandLine::versionText();

    const KeyboardAccess::Environment environment = KeyboardAccess::Environment::fromProcess();
    const KeyboardAccess::Result access = KeyboardAccess::check(environment);
    out << "\nKeyboard\n";
    out << "  can listen:      " << yesNo(access.canListen) << '\n';
    out << "  why:             " << QString::fromStdString(access.reason) << '\n';
    out << "  session:         " << (environment.waylandSession ? "Wayland" : environment.display.empty() ? "no display" : "X11")
        << '\n';

    out << "\nSound\n";
    const Settings settings;
    const bool preferBuiltIn = settings.value(Settings::Key::BuiltInSpeakers).toBool();
    const std::optional<SinkSurvey> survey = SinkSurvey::take();
    if (!survey) {
        out << "  sound server:    not reachable\n";
        report.problems << QStringLiteral("no sound server answers (is PipeWire or PulseAudio running?)");
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
    const bool soundsOn = settings.value(Settings::Key::Enabled).toBool();
    const double volume = settings.value(Settings::Key::Volume).toDouble();
    const QString packID = settings.value(Settings::Key::SelectedPack).toString();
    const QList<PackInfo> packs = library.all();
    const auto pack = std::find_if(packs.begin(), packs.end(), [&](const PackInfo &info) { return info.id == packID; });
    out << "  sounds:          " << (soundsOn ? "on" : "off") << '\n';
    out << "  volume:          " << qRound(volume * 100) << " %\n";
    out << "  selected pack:   "
        << (pack != packs.end() ? pack->name + QStringLiteral(" (") + packID + u')'
                                : packID + QStringLiteral(" (not found: the default pack plays)"))
        << '\n';

    const bool running = SingleInstance::isRunning();
    out << "\nPlinkum\n";
    out << "  running:         " << yesNo(running) << '\n';

    if (!access.canListen)
        report.problems.prepend(QStringLiteral("keys cannot be read: ") + QString::fromStdString(access.reason));
    if (!soundsOn)
        report.problems << QStringLiteral("sounds are off (the tray menu, the panel or both Shift keys turn them on)");
    if (volume <= 0.0)
        report.problems << QStringLiteral("the volume is at 0 %");
    if (!running)
        report.problems << QStringLiteral("no Plinkum is running for this user (start it from the app menu)");
    return report;
}

} // namespace plinkum
