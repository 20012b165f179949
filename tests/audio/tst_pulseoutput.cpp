// Runs the engine's PulseAudio output against a private pulseaudio daemon with null sinks: one
// made to look like laptop speakers, one like a USB headset that is the default.

#include "PulseOutput.h"
#include "SoundEngine.h"
#include "TestPacks.h"

#include <QtTest>

#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace plinkum;

namespace {

const QString builtInSinkArgs = QStringLiteral(
    "sink_name=builtin rate=48000 format=float32le sink_properties=\"device.form_factor=internal device.bus=pci\"");
const QString headsetSinkArgs = QStringLiteral(
    "sink_name=headset rate=48000 format=float32le sink_properties=\"device.form_factor=headset device.bus=usb\"");

// An engine on a PulseOutput whose device listener runs start on this thread, as the
// application does.
struct Fixture {
    explicit Fixture(bool preferBuiltIn)
        : engine(24, std::make_unique<PulseOutput>(), 1)
    {
        engine.setPack(testpacks::uniform(48000));
        engine.setPrefersBuiltInSpeakers(preferBuiltIn);
        engine.setDevicesChangedHandler([this] {
            QMetaObject::invokeMethod(&mainThread, [this] {
                engine.start();
                ++restarts;
            }, Qt::QueuedConnection);
        });
    }
    ~Fixture() { engine.setDevicesChangedHandler({}); }

    std::string device() const { return engine.output()->currentDevice(); }

    SoundEngine engine;
    QObject mainThread;
    int restarts = 0;
};

// What plinkum::log writes to stderr while f runs.
template <typename F>
QString capturedStderr(F f)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(fds[1], STDERR_FILENO);
    f();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(fds[1]);
    QByteArray text(4096, '\0');
    const ssize_t n = read(fds[0], text.data(), text.size());
    close(fds[0]);
    return QString::fromUtf8(text.left(n > 0 ? n : 0));
}

} // namespace

class TestPulseOutput : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;

    QString socket() const { return m_dir.filePath("native"); }

    bool pactl(const QStringList &args)
    {
        QProcess p;
        p.start("pactl", args);
        return p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    bool startDaemon(bool withBuiltIn)
    {
        QFile script(m_dir.filePath("daemon.pa"));
        if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        QTextStream out(&script);
        out << "load-module module-native-protocol-unix auth-anonymous=1 socket=" << socket() << "\n";
        if (withBuiltIn)
            out << "load-module module-null-sink " << builtInSinkArgs << "\n";
        out << "load-module module-null-sink " << headsetSinkArgs << "\n";
        out << "set-default-sink headset\n";
        script.close();

        // pulseaudio warns when run as root (as in CI) but runs; it wants writable state dirs.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_dir.path());
        m_daemon.setProcessEnvironment(env);
        m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_daemon.start("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                                      "--use-pid-file=no", "--log-level=error", "-F", script.fileName()});
        if (!m_daemon.waitForStarted(5000))
            return false;
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            if (QFileInfo::exists(socket()) && pactl({"info"}))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    void stopDaemon()
    {
        if (m_daemon.state() == QProcess::NotRunning)
            return;
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty() || QStandardPaths::findExecutable("pactl").isEmpty())
            QSKIP("pulseaudio and pactl are needed (tools/install-deps.sh installs them)");
        QVERIFY(m_dir.isValid());
        qputenv("XDG_RUNTIME_DIR", m_dir.path().toUtf8());
        qputenv("PULSE_RUNTIME_PATH", m_dir.filePath("runtime").toUtf8());
        qputenv("PULSE_SERVER", ("unix:" + socket()).toUtf8());
    }

    void cleanup() { stopDaemon(); }

    void failedStartLogsAndNextStartRetries()
    {
        Fixture f(true);
        bool started = true;
        const QString log = capturedStderr([&] { started = f.engine.start(); });
        QVERIFY(!started);
        QVERIFY2(log.startsWith("Plinkum: audio engine failed to start: "), qPrintable(log));
        QVERIFY(!f.engine.output()->isRunning());

        QVERIFY(startDaemon(true));
        QVERIFY(f.engine.start());
        QVERIFY(f.engine.output()->isRunning());
    }

    // The device listeners re-run routing: an added built-in sink takes the sound; with the
    // preference off the stream goes to the default and follows it; with it on a new default
    // leaves it on the speakers.
    void deviceChangesReroute()
    {
        QVERIFY(startDaemon(false));
        Fixture f(true);
        QVERIFY(f.engine.start());
        QCOMPARE(f.device(), std::string("headset"));
        QVERIFY(pactl({"load-module", "module-null-sink", "sink_name=builtin", "rate=48000", "format=float32le",
                       "sink_properties=\"device.form_factor=internal device.bus=pci\""}));
        QTRY_COMPARE(f.device(), std::string("builtin"));

        f.engine.setPrefersBuiltInSpeakers(false);
        QCOMPARE(f.device(), std::string("headset"));
        QVERIFY(pactl({"set-default-sink", "builtin"}));
        QTRY_COMPARE(f.device(), std::string("builtin"));

        f.engine.setPrefersBuiltInSpeakers(true);
        const int before = f.restarts;
        QVERIFY(pactl({"set-default-sink", "headset"}));
        QTRY_VERIFY(f.restarts > before);
        QTRY_COMPARE(f.device(), std::string("builtin"));
    }

    // The built-in sink wins over the default headset, on a stream granted our request size, and
    // playback comes back after the server restarts.
    void builtInChosenAndServerRestartSurvived()
    {
        QVERIFY(startDaemon(true));
        Fixture f(true);
        QVERIFY(f.engine.start());
        QCOMPARE(f.device(), std::string("builtin"));
        const auto *output = static_cast<PulseOutput *>(f.engine.output());
        QTRY_VERIFY(output->timing());
        QCOMPARE(output->timing()->requestFrames, SoundEngine::ioBufferFrames);

        stopDaemon();
        QTRY_VERIFY(!f.engine.output()->isRunning());
        QVERIFY(startDaemon(true));
        QTRY_VERIFY_WITH_TIMEOUT(f.engine.output()->isRunning(), 10000);
        QCOMPARE(f.device(), std::string("builtin"));

        // The stream pulls sound again: a played key reaches a voice.
        f.engine.play(0, true);
        QTRY_VERIFY(f.engine.mixer().isPlaying(0));
    }
};

QTEST_GUILESS_MAIN(TestPulseOutput)
#include "tst_pulseoutput.moc"
