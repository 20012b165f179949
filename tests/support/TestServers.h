#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <utility>

// The real servers tests run Plinkum against: a private Xvfb display and a private pulseaudio
// daemon with null sinks, each stopped with the test.
namespace TestServers {

class Xvfb {
public:
    ~Xvfb() { stop(); }

    // The display name; empty when Xvfb is missing or did not come up.
    QString start()
    {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty())
            return {};
        // -displayfd prints the display number it chose once it accepts connections.
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start("Xvfb", {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && !m_process.canReadLine())
            m_process.waitForReadyRead(100);
        const QByteArray number = m_process.readLine().trimmed();
        return number.isEmpty() ? QString() : u':' + QString::fromLatin1(number);
    }

    void stop()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
};

class PulseAudio {
public:
    // Null sinks by name, each with its device properties (sink_properties); the last is the default.
    using Sinks = QList<std::pair<QString, QString>>;

    explicit PulseAudio(const QString &folder) : m_folder(folder) {}
    ~PulseAudio() { stop(); }

    QString server() const { return QStringLiteral("unix:") + m_folder + QStringLiteral("/native"); }
    static QString monitor() { return QStringLiteral("clicks.monitor"); }

    // The module-null-sink arguments of one 48 kHz float sink.
    static QString sinkArguments(const QString &name, const QString &properties)
    {
        QString arguments = QStringLiteral("sink_name=%1 rate=48000 format=float32le channels=2").arg(name);
        if (!properties.isEmpty())
            arguments += QStringLiteral(" sink_properties=\"%1\"").arg(properties);
        return arguments;
    }

    // The environment clients need to reach this daemon and nothing else.
    void addTo(QProcessEnvironment &environment) const
    {
        environment.insert(QStringLiteral("PULSE_SERVER"), server());
        environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), m_folder + QStringLiteral("/runtime"));
    }

    bool start(const Sinks &sinks = {{QStringLiteral("clicks"), QString()}})
    {
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty() || QStandardPaths::findExecutable("pactl").isEmpty())
            return false;
        QFile script(m_folder + QStringLiteral("/daemon.pa"));
        if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        script.write("load-module module-native-protocol-unix auth-anonymous=1 socket=" + QFile::encodeName(m_folder)
                     + "/native\n");
        // As desktops load them: stream-restore keeps a stream's preferred sink, and idle sinks
        // suspend (here after a second), so waking has to resume one.
        script.write("load-module module-stream-restore\nload-module module-suspend-on-idle timeout=1\n");
        for (const auto &[name, properties] : sinks)
            script.write("load-module module-null-sink " + sinkArguments(name, properties).toUtf8() + '\n');
        script.write("set-default-sink " + sinks.last().first.toUtf8() + '\n');
        script.close();
        // pulseaudio warns when run as root (as in CI) but runs; it wants writable state folders.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_folder);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder);
        addTo(environment);
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                                       "--use-pid-file=no", "--log-level=error", "-F", script.fileName()});
        if (!m_process.waitForStarted(5000))
            return false;
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            if (pactl({"info"}))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    void stop()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    bool pactl(const QStringList &arguments) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        addTo(environment);
        QProcess pactl;
        pactl.setProcessEnvironment(environment);
        pactl.start("pactl", arguments);
        return pactl.waitForFinished(5000) && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
    }

private:
    QString m_folder;
    QProcess m_process;
};

} // namespace TestServers
