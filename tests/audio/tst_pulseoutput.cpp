// Runs the engine's PulseAudio output against a private pulseaudio daemon with null sinks: one
// made to look like laptop speakers, one like a USB headset that is the default.

#include "PulseOutput.h"
#include "SoundEngine.h"
#include "TestPacks.h"
#include "TestServers.h"

#include <QtTest>

using namespace plinkum;

namespace {

// An engine on a PulseOutput whose device listener runs start on this thread, as the
// application does.
struct Fixture {
    explicit Fixture(bool preferBuiltIn)
        : engine(24, std::make_unique<PulseOutput>(), 1)
    {
        engine.setPack(TestPacks::uniform(48000));
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

} // namespace

class TestPulseOutput : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TestServers::PulseAudio m_daemon{m_dir.path()};

    static constexpr const char *builtInProperties = "device.form_factor=internal device.bus=pci";

    // A laptop's speakers and a USB headset that is the default.
    bool startDaemon(bool withBuiltIn)
    {
        TestServers::PulseAudio::Sinks sinks{{"headset", "device.form_factor=headset device.bus=usb"}};
        if (withBuiltIn)
            sinks.prepend({"builtin", builtInProperties});
        return m_daemon.start(sinks);
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty() || QStandardPaths::findExecutable("pactl").isEmpty())
            QSKIP("pulseaudio and pactl are needed (tools/install-deps.sh installs them)");
        QVERIFY(m_dir.isValid());
        qputenv("XDG_RUNTIME_DIR", m_dir.path().toUtf8());
        QProcessEnvironment environment;
        m_daemon.addTo(environment);
        for (const QString &name : environment.keys())
            qputenv(qPrintable(name), environment.value(name).toUtf8());
    }

    void cleanup() { m_daemon.stop(); }

    void failedStartIsRetriedByTheNext()
    {
        Fixture f(true);
        QVERIFY(!f.engine.start());
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
        QVERIFY(m_daemon.pactl({"load-module", "module-null-sink",
                                TestServers::PulseAudio::sinkArguments("builtin", builtInProperties)}));
        QTRY_COMPARE(f.device(), std::string("builtin"));

        f.engine.setPrefersBuiltInSpeakers(false);
        QCOMPARE(f.device(), std::string("headset"));
        QVERIFY(m_daemon.pactl({"set-default-sink", "builtin"}));
        QTRY_COMPARE(f.device(), std::string("builtin"));

        f.engine.setPrefersBuiltInSpeakers(true);
        const int before = f.restarts;
        QVERIFY(m_daemon.pactl({"set-default-sink", "headset"}));
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

        m_daemon.stop();
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
