#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <utility>

// Private servers stopped with the test: Xvfb, pulseaudio and PipeWire (WirePlumber on its own bus) with null sinks.
namespace TestServers {

// A sound server with null sinks, as the output tests drive either kind.
class AudioServer {
public:
    // Null sinks by name, each with its device properties; the last is the default.
    using Sinks = QList<std::pair<QString, QString>>;

    virtual ~AudioServer() = default;

    // The environment clients need to reach this server and nothing else.
    virtual void addTo(QProcessEnvironment &environment) const = 0;
    virtual bool start(const Sinks &sinks) = 0;
    virtual void stop() = 0;
    virtual bool addSink(const QString &name, const QString &properties) = 0;
    virtual bool removeSink(const QString &name) = 0;
    virtual bool setDefault(const QString &name) = 0;

    // Properties making a null sink look like a laptop's speakers or a USB headset.
    virtual QString builtInProperties() const = 0;
    virtual QString headsetProperties() const = 0;

    // "builtin" and "headset"; the default is the last one.
    bool startSpeakersAndHeadset(bool withBuiltIn, bool builtInDefault = false)
    {
        Sinks sinks{{QStringLiteral("headset"), headsetProperties()}};
        if (withBuiltIn)
            sinks.insert(builtInDefault ? sinks.size() : 0, {QStringLiteral("builtin"), builtInProperties()});
        return start(sinks);
    }

    // Every variable of addTo set in this process, so the outputs under test reach this server.
    void exportTo() const
    {
        QProcessEnvironment environment;
        addTo(environment);
        for (const QString &name : environment.keys())
            qputenv(qPrintable(name), environment.value(name).toUtf8());
    }

    // The standard output of a tool run against this server; null when it failed.
    QByteArray tool(const QString &program, const QStringList &arguments) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        addTo(environment);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return {};
        const QByteArray out = process.readAllStandardOutput();
        return out.isNull() ? QByteArray("") : out;
    }
};

class Xvfb {
public:
    ~Xvfb() { stop(); }

    // The display name; empty when Xvfb is missing or did not come up.
    QString start(const QString &screen = QStringLiteral("640x480x24"))
    {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty())
            return {};
        // -displayfd prints the display number it chose once it accepts connections.
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start("Xvfb", {"-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp"});
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

class PulseAudio : public AudioServer {
public:
    explicit PulseAudio(const QString &folder) : m_folder(folder) {}
    ~PulseAudio() override { stop(); }

    static bool available() { return !QStandardPaths::findExecutable("pulseaudio").isEmpty() && !QStandardPaths::findExecutable("pactl").isEmpty(); }

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

    void addTo(QProcessEnvironment &environment) const override
    {
        environment.insert(QStringLiteral("PULSE_SERVER"), server());
        environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), m_folder + QStringLiteral("/runtime"));
    }

    // One sink, "clicks", whose monitor records what is played.
    bool start() { return start({{QStringLiteral("clicks"), QString()}}); }

    bool start(const Sinks &sinks) override
    {
        if (!available())
            return false;
        QFile script(m_folder + QStringLiteral("/daemon.pa"));
        if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        script.write("load-module module-native-protocol-unix auth-anonymous=1 socket=" + QFile::encodeName(m_folder) + "/native\n");
        // As desktops load them: a stream's preferred sink is kept, idle sinks suspend after 1 s.
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
        m_process.start("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no",
                                       "--log-level=error", "-F", script.fileName()});
        if (!m_process.waitForStarted(5000))
            return false;
        for (QDeadlineTimer deadline(10000); !pactl({"info"}); QThread::msleep(50))
            if (deadline.hasExpired())
                return false;
        return true;
    }

    void stop() override
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    bool addSink(const QString &name, const QString &properties) override
    {
        return pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"), sinkArguments(name, properties)});
    }

    bool removeSink(const QString &name) override
    {
        const QByteArray argument = "sink_name=" + name.toUtf8() + ' ';
        for (const QByteArray &line : pactlOutput({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")}).split('\n'))
            if (line.contains(argument))
                return pactl({QStringLiteral("unload-module"), QString::fromLatin1(line.split('\t').value(0))});
        return false;
    }

    bool setDefault(const QString &name) override { return pactl({QStringLiteral("set-default-sink"), name}); }

    QString builtInProperties() const override { return QStringLiteral("device.form_factor=internal device.bus=pci"); }
    QString headsetProperties() const override { return QStringLiteral("device.form_factor=headset device.bus=usb"); }

    bool pactl(const QStringList &arguments) const { return !pactlOutput(arguments).isNull(); }
    QByteArray pactlOutput(const QStringList &arguments) const { return tool(QStringLiteral("pactl"), arguments); }

private:
    QString m_folder;
    QProcess m_process;
};

class PipeWire : public AudioServer {
public:
    explicit PipeWire(const QString &folder) : m_folder(folder), m_runtime(folder + QStringLiteral("/pipewire")) {}
    ~PipeWire() override
    {
        stop();
        if (m_busPid > 0)
            ::kill(m_busPid, SIGTERM);
    }

    static bool available()
    {
        for (const char *tool : {"pipewire", "wireplumber", "pw-cli", "pw-metadata", "dbus-daemon"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                return false;
        return true;
    }

    void addTo(QProcessEnvironment &environment) const override
    {
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
        environment.insert(QStringLiteral("PIPEWIRE_RUNTIME_DIR"), m_runtime);
        environment.remove(QStringLiteral("PIPEWIRE_REMOTE"));
        if (!m_busAddress.isEmpty())
            environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    }

    // Starts pipewire and wireplumber (and, the first time, the session bus), then the sinks.
    bool start(const Sinks &sinks) override
    {
        if (!available() || !QDir().mkpath(m_runtime) || !QFile::setPermissions(m_runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return false;
        if (m_busAddress.isEmpty() && !startBus())
            return false;
        // The session manager remembers defaults; each start begins without that memory.
        QDir(m_folder + QStringLiteral("/state")).removeRecursively();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_folder);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_folder + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_STATE_HOME"), m_folder + QStringLiteral("/state"));
        environment.insert(QStringLiteral("PIPEWIRE_LOG_SYSTEMD"), QStringLiteral("false"));
        environment.insert(QStringLiteral("WIREPLUMBER_DEBUG"), QStringLiteral("0"));
        addTo(environment);
        for (QProcess *process : {&m_server, &m_session}) {
            process->setProcessEnvironment(environment);
            process->setStandardOutputFile(QProcess::nullDevice());
            process->setStandardErrorFile(QProcess::nullDevice());
        }
        // A killed server leaves its socket behind, which would pass for the new one's.
        QFile::remove(m_runtime + QStringLiteral("/pipewire-0"));
        QFile::remove(m_runtime + QStringLiteral("/pipewire-0.lock"));
        m_server.start(QStringLiteral("pipewire"), {});
        QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired() && !QFile::exists(m_runtime + QStringLiteral("/pipewire-0")))
            QThread::msleep(20);
        m_session.start(QStringLiteral("wireplumber"), {});
        if (!m_server.waitForStarted(5000) || !m_session.waitForStarted(5000))
            return false;
        for (const auto &[name, properties] : sinks)
            if (!addSink(name, properties))
                return false;
        // Ready once the default shows; one written before the metadata was up is lost, so repeat.
        while (!deadline.hasExpired()) {
            if (sinks.isEmpty())
                return true;
            setDefault(sinks.last().first);
            QThread::msleep(100);
            if (metadata({QStringLiteral("default.audio.sink")}).contains(sinks.last().first.toUtf8()))
                return true;
        }
        return false;
    }

    void stop() override
    {
        for (QProcess *process : {&m_session, &m_server}) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    bool addSink(const QString &name, const QString &properties) override
    {
        const QString command = QStringLiteral("{ factory.name=support.null-audio-sink node.name=%1 media.class=Audio/Sink object.linger=true "
                                               "audio.rate=48000 audio.position=[FL FR] %2 }").arg(name, properties);
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            tool(QStringLiteral("pw-cli"), {QStringLiteral("create-node"), QStringLiteral("adapter"), command});
            for (int check = 0; check < 10; ++check) {
                if (nodeId(name) >= 0)
                    return true;
                QThread::msleep(20);
            }
        }
        return false;
    }

    bool removeSink(const QString &name) override
    {
        const int id = nodeId(name);
        return id >= 0 && !tool(QStringLiteral("pw-cli"), {QStringLiteral("destroy"), QString::number(id)}).isNull();
    }

    QString builtInProperties() const override { return QStringLiteral("device.form-factor=internal device.bus=pci"); }
    QString headsetProperties() const override { return QStringLiteral("device.form-factor=headset device.bus=usb"); }

    bool setDefault(const QString &name) override
    {
        const QString value = QStringLiteral("{ \"name\": \"%1\" }").arg(name);
        return !metadata({QStringLiteral("default.configured.audio.sink"), value, QStringLiteral("Spa:String:JSON")}).isNull();
    }

private:
    // pw-metadata on the "default" metadata's global subject: `arguments` read or write one key.
    QByteArray metadata(const QStringList &arguments) const
    {
        return tool(QStringLiteral("pw-metadata"), QStringList{QStringLiteral("-n"), QStringLiteral("default"), QStringLiteral("0")} + arguments);
    }

    bool startBus()
    {
        QProcess bus;
        bus.start("dbus-daemon", {"--session", "--fork", "--print-address=1", "--print-pid=1"});
        if (!bus.waitForFinished(5000))
            return false;
        const QList<QByteArray> lines = bus.readAllStandardOutput().split('\n');
        if (lines.size() < 2)
            return false;
        m_busAddress = QString::fromUtf8(lines[0].trimmed());
        m_busPid = lines[1].trimmed().toInt();
        return !m_busAddress.isEmpty() && m_busPid > 0;
    }

    int nodeId(const QString &name) const
    {
        const QByteArray listing = tool(QStringLiteral("pw-cli"), {QStringLiteral("ls"), QStringLiteral("Node")});
        int id = -1;
        for (const QByteArray &line : listing.split('\n')) {
            const QByteArray trimmed = line.trimmed();
            if (trimmed.startsWith("id "))
                id = trimmed.mid(3, trimmed.indexOf(',') - 3).toInt();
            else if (trimmed == "node.name = \"" + name.toUtf8() + '"')
                return id;
        }
        return -1;
    }

    QString m_folder;
    QString m_runtime;
    QString m_busAddress;
    pid_t m_busPid = 0;
    QProcess m_server;
    QProcess m_session;
};

} // namespace TestServers
