// Runs the engine's PulseAudio output against a private pulseaudio daemon with null sinks: one
// made to look like laptop speakers, one like a USB headset.

#include "PulseOutput.h"
#include "SoundEngine.h"
#include "TestPacks.h"
#include "TestServers.h"

#include <QElapsedTimer>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace plinkum;

namespace {

// An engine on a PulseOutput. With rerouting, its device listener runs start on this thread as
// the application does; without, only the server moves the stream.
struct Fixture {
    explicit Fixture(bool preferBuiltIn, bool reroute = true)
        : engine(24, std::make_unique<PulseOutput>(), 1)
    {
        engine.setPack(TestPacks::uniform(48000));
        engine.setPrefersBuiltInSpeakers(preferBuiltIn);
        if (reroute)
            engine.setDevicesChangedHandler([this] {
                QMetaObject::invokeMethod(&mainThread, [this] {
                    engine.start();
                    ++restarts;
                }, Qt::QueuedConnection);
            });
    }
    ~Fixture() { engine.setDevicesChangedHandler({}); }

    std::string device() const { return engine.output()->currentDevice(); }
    AudioOutput &output() const { return *engine.output(); }

    SoundEngine engine;
    QObject mainThread;
    int restarts = 0;
};

constexpr int sleepTimeoutMs = 8000; // the output sleeps after 3 s of silence

} // namespace

class TestPulseOutput : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TestServers::PulseAudio m_daemon{m_dir.path()};

    static constexpr const char *builtInProperties = "device.form_factor=internal device.bus=pci";
    static constexpr const char *headsetProperties = "device.form_factor=headset device.bus=usb";

    // A laptop's speakers and a USB headset; the default is the last one.
    bool startDaemon(bool withBuiltIn, bool builtInDefault = false)
    {
        TestServers::PulseAudio::Sinks sinks{{"headset", headsetProperties}};
        if (withBuiltIn) {
            if (builtInDefault)
                sinks.append(std::pair<QString, QString>("builtin", builtInProperties));
            else
                sinks.prepend({"builtin", builtInProperties});
        }
        return m_daemon.start(sinks);
    }

    QByteArray pactlOutput(const QStringList &arguments) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        m_daemon.addTo(environment);
        QProcess pactl;
        pactl.setProcessEnvironment(environment);
        pactl.start("pactl", arguments);
        pactl.waitForFinished(5000);
        return pactl.readAllStandardOutput();
    }

    bool streamCorked() const { return pactlOutput({"list", "sink-inputs"}).contains("Corked: yes"); }
    QByteArray streamIndex() const { return pactlOutput({"list", "short", "sink-inputs"}).split('\t').value(0); }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty() || QStandardPaths::findExecutable("pactl").isEmpty())
            QSKIP("pulseaudio and pactl are needed (tools/install-deps.sh installs them)");
        QVERIFY(m_dir.isValid());
        qputenv("XDG_RUNTIME_DIR", m_dir.path().toUtf8());
        qputenv("LC_ALL", "C");
        QProcessEnvironment environment;
        m_daemon.addTo(environment);
        for (const QString &name : environment.keys())
            qputenv(qPrintable(name), environment.value(name).toUtf8());
    }

    void cleanup() { m_daemon.stop(); }

    // Neither a missing server nor one that accepts and never answers holds up the caller; the
    // output connects by itself once a server is there.
    void startNeverWaitsForTheServer()
    {
        const QByteArray mutePath = QFile::encodeName(m_dir.path()) + "/mute";
        const int mute = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const auto closeMute = qScopeGuard([mute] { ::close(mute); });
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, mutePath.constData(), sizeof address.sun_path);
        QVERIFY(::bind(mute, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        QVERIFY(::listen(mute, 4) == 0);
        const QByteArray server = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:" + mutePath);
        {
            Fixture f(true);
            QElapsedTimer clock;
            clock.start();
            f.engine.start();
            QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
            QVERIFY(!f.output().isRunning());
        }
        qputenv("PULSE_SERVER", server);

        Fixture f(true);
        f.engine.start();
        QVERIFY(!f.output().isRunning());
        QVERIFY(startDaemon(true));
        QTRY_VERIFY_WITH_TIMEOUT(f.output().isRunning(), 10000);
        QTRY_COMPARE(f.device(), std::string("builtin"));
    }

    // The device listeners re-run routing: an added built-in sink takes the sound; with the
    // preference off the stream goes to the default and follows it; with it on a new default
    // leaves it on the speakers.
    void deviceChangesReroute()
    {
        QVERIFY(startDaemon(false));
        Fixture f(true);
        QVERIFY(f.engine.start());
        QTRY_COMPARE(f.device(), std::string("headset"));
        QVERIFY(m_daemon.pactl({"load-module", "module-null-sink",
                                TestServers::PulseAudio::sinkArguments("builtin", builtInProperties)}));
        QTRY_COMPARE(f.device(), std::string("builtin"));

        f.engine.setPrefersBuiltInSpeakers(false);
        QTRY_COMPARE(f.device(), std::string("headset"));
        QVERIFY(m_daemon.pactl({"set-default-sink", "builtin"}));
        QTRY_COMPARE(f.device(), std::string("builtin"));

        f.engine.setPrefersBuiltInSpeakers(true);
        const int before = f.restarts;
        QVERIFY(m_daemon.pactl({"set-default-sink", "headset"}));
        QTRY_VERIFY(f.restarts > before);
        QTRY_COMPARE(f.device(), std::string("builtin"));
    }

    // Without our own rerouting, the server alone keeps a stream meant for the speakers there
    // when the default changes, also when the speakers were the default; a stream following the
    // default is carried along; a removed sink's stream is rescued, not killed.
    void serverKeepsTheStreamWhereRouted_data()
    {
        QTest::addColumn<bool>("preferBuiltIn");
        QTest::addColumn<bool>("builtInDefault");
        QTest::addColumn<QString>("newDefault");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pinned to speakers that were the default") << true << true << "headset" << "builtin";
        QTest::newRow("pinned to speakers, headset default") << true << false << "headset" << "builtin";
        QTest::newRow("following the default") << false << true << "headset" << "headset";
        QTest::newRow("following the default to the speakers") << false << false << "builtin" << "builtin";
    }
    void serverKeepsTheStreamWhereRouted()
    {
        QFETCH(bool, preferBuiltIn);
        QFETCH(bool, builtInDefault);
        QFETCH(QString, newDefault);
        QFETCH(QString, expected);
        QVERIFY(startDaemon(true, builtInDefault));
        Fixture f(preferBuiltIn, false);
        f.engine.start();
        QTRY_COMPARE(f.device(), std::string(preferBuiltIn || builtInDefault ? "builtin" : "headset"));
        QVERIFY(m_daemon.pactl({"set-default-sink", newDefault}));
        QTRY_COMPARE(f.device(), expected.toStdString());
        QTest::qWait(300);
        QCOMPARE(f.device(), expected.toStdString());
    }

    // A stream reopened to be pinned keeps the volume and mute the user gave it.
    void reopenedStreamKeepsTheUsersVolume()
    {
        QVERIFY(startDaemon(true, true));
        Fixture f(false);
        f.engine.start();
        QTRY_COMPARE(f.device(), std::string("builtin"));
        const QByteArray first = streamIndex();
        QVERIFY(m_daemon.pactl({"set-sink-input-volume", QString::fromLatin1(first), "40%"}));
        QVERIFY(m_daemon.pactl({"set-sink-input-mute", QString::fromLatin1(first), "1"}));

        f.engine.setPrefersBuiltInSpeakers(true);
        QTRY_VERIFY(!streamIndex().isEmpty() && streamIndex() != first);
        const QByteArray listing = pactlOutput({"list", "sink-inputs"});
        QVERIFY2(listing.contains("40%") && listing.contains("Mute: yes"), listing.constData());
    }

    // The built-in sink wins over the default headset, on a stream granted our request size, and
    // playback comes back after the server restarts.
    void builtInChosenAndServerRestartSurvived()
    {
        QVERIFY(startDaemon(true));
        Fixture f(true);
        QVERIFY(f.engine.start());
        QTRY_COMPARE(f.device(), std::string("builtin"));
        const auto *output = static_cast<PulseOutput *>(f.engine.output());
        QTRY_VERIFY(output->timing());
        QCOMPARE(output->timing()->requestFrames, SoundEngine::ioBufferFrames);

        m_daemon.stop();
        QTRY_VERIFY(!f.output().isRunning());
        QVERIFY(startDaemon(true));
        QTRY_VERIFY_WITH_TIMEOUT(f.output().isRunning(), 10000);
        QTRY_COMPARE(f.device(), std::string("builtin"));

        // The stream pulls sound again: a played key reaches a voice.
        f.engine.play(InputEvent::keyDown(0));
        QTRY_VERIFY(f.engine.mixer().isPlaying(0));
    }

    // After a few silent seconds the stream is corked; a press wakes it, and a flood of presses
    // arriving while it wakes all reach their voices.
    void sleepsWhenIdleAndWakesOnPress()
    {
        QVERIFY(startDaemon(true));
        Fixture f(true);
        f.engine.start();
        QTRY_VERIFY(f.output().isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(f.output().isAsleep(), sleepTimeoutMs);
        QTRY_VERIFY(streamCorked());

        f.engine.play(InputEvent::keyDown(0));
        QTRY_VERIFY(f.engine.mixer().isPlaying(0));
        QVERIFY(!f.output().isAsleep());
        QTRY_VERIFY(!streamCorked());

        QTRY_VERIFY_WITH_TIMEOUT(f.output().isAsleep(), sleepTimeoutMs);
        const std::size_t voices = f.engine.mixer().voiceCount();
        for (std::size_t i = 0; i < voices; ++i)
            f.engine.play(InputEvent::keyDown(0));
        for (std::size_t v = 0; v < voices; ++v)
            QTRY_VERIFY2(f.engine.mixer().isPlaying(v), qPrintable(QString::number(v)));
    }

    // A device change and a server restart while asleep: routing still follows, and the next
    // press is played.
    void devicesAndServerChangeWhileAsleep()
    {
        QVERIFY(startDaemon(false));
        Fixture f(true);
        f.engine.start();
        QTRY_COMPARE(f.device(), std::string("headset"));
        QTRY_VERIFY_WITH_TIMEOUT(f.output().isAsleep(), sleepTimeoutMs);

        QVERIFY(m_daemon.pactl({"load-module", "module-null-sink",
                                TestServers::PulseAudio::sinkArguments("builtin", builtInProperties)}));
        QTRY_COMPARE(f.device(), std::string("builtin"));
        f.engine.play(InputEvent::keyDown(0));
        QTRY_VERIFY(f.engine.mixer().isPlaying(0));

        QTRY_VERIFY_WITH_TIMEOUT(f.output().isAsleep(), sleepTimeoutMs);
        m_daemon.stop();
        QTRY_VERIFY(!f.output().isRunning());
        QVERIFY(startDaemon(true));
        QTRY_VERIFY_WITH_TIMEOUT(f.output().isRunning(), 10000);
        QTRY_COMPARE(f.device(), std::string("builtin"));
        f.engine.play(InputEvent::keyDown(0));
        QTRY_VERIFY(f.engine.mixer().isPlaying(1));
    }
};

QTEST_GUILESS_MAIN(TestPulseOutput)
#include "tst_pulseoutput.moc"
