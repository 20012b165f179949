// Runs the engine's native PipeWire output against a private PipeWire and WirePlumber with null
// sinks: one made to look like laptop speakers, one like a USB headset.

#include "PipeWireOutput.h"
#include "SoundEngine.h"
#include "TestPacks.h"
#include "TestServers.h"

#include <QtTest>

using namespace plinkum;

namespace {

// An engine on a PipeWireOutput. With rerouting, its device listener runs start on this thread
// as the application does; without, only the session manager moves the stream.
struct Fixture {
    explicit Fixture(bool preferBuiltIn, bool reroute = true) : engine(24, std::make_unique<PipeWireOutput>(), 1)
    {
        engine.setPack(TestPacks::uniform(48000));
        engine.setPrefersBuiltInSpeakers(preferBuiltIn);
        if (reroute)
            engine.setDevicesChangedHandler([this] {
                QMetaObject::invokeMethod(&mainThread, [this] { engine.start(); }, Qt::QueuedConnection);
            });
        engine.start();
    }
    ~Fixture() { engine.setDevicesChangedHandler({}); }

    std::string device() const { return engine.output()->currentDevice(); }
    AudioOutput &output() const { return *engine.output(); }

    SoundEngine engine;
    QObject mainThread;
};

constexpr int sleepTimeoutMs = 8000; // the output sleeps after 3 s of silence

} // namespace

class TestPipeWireOutput : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TestServers::PipeWire m_server{m_dir.path()};

    static constexpr const char *builtInProperties = "device.form-factor=internal device.bus=pci";
    static constexpr const char *headsetProperties = "device.form-factor=headset device.bus=usb";

    // A laptop's speakers and a USB headset; the default is the last one.
    bool startServer(bool withBuiltIn, bool builtInDefault = false)
    {
        TestServers::PipeWire::Sinks sinks{{"headset", headsetProperties}};
        if (withBuiltIn) {
            if (builtInDefault)
                sinks.append(std::pair<QString, QString>("builtin", builtInProperties));
            else
                sinks.prepend(std::pair<QString, QString>("builtin", builtInProperties));
        }
        return m_server.start(sinks);
    }

private slots:
    void initTestCase()
    {
        if (!TestServers::PipeWire::available())
            QSKIP("pipewire, wireplumber, pw-cli and dbus-daemon are needed (tools/install-deps.sh installs them)");
        QVERIFY(m_dir.isValid());
        QProcessEnvironment environment;
        QVERIFY(startServer(false));
        m_server.addTo(environment);
        for (const QString &name : environment.keys())
            qputenv(qPrintable(name), environment.value(name).toUtf8());
        m_server.stop();
    }

    void cleanup() { m_server.stop(); }

    // The built-in rule on node properties, and the default followed: a stream for the speakers
    // ends up there when the default changes, also when they were the default (where the session
    // manager reads a target that is the default as "follow the default", our rerouting brings
    // it back); a stream without the preference goes wherever the default goes, carried by the
    // session manager alone.
    void builtInRuleAndDefaultFollowing_data()
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
    void builtInRuleAndDefaultFollowing()
    {
        QFETCH(bool, preferBuiltIn);
        QFETCH(bool, builtInDefault);
        QFETCH(QString, newDefault);
        QFETCH(QString, expected);
        QVERIFY(startServer(true, builtInDefault));
        Fixture f(preferBuiltIn, preferBuiltIn);
        QTRY_COMPARE(f.device(), std::string(preferBuiltIn || builtInDefault ? "builtin" : "headset"));
        QVERIFY(m_server.setDefault(newDefault));
        // Where the stream ends up once the session manager and our rerouting have acted.
        QTest::qWait(500);
        QTRY_COMPARE(f.device(), expected.toStdString());
    }

    // The stream asks for a small quantum and the graph grants it.
    void smallQuantumGranted()
    {
        QVERIFY(startServer(true));
        Fixture f(true);
        QTRY_VERIFY(f.output().isRunning());
        const auto *output = static_cast<PipeWireOutput *>(f.engine.output());
        QTRY_COMPARE(output->grantedQuantum(), PipeWireOutput::quantumFrames);
    }

    // After a few silent seconds the stream goes inactive; a press wakes it, and a flood of
    // presses arriving while it wakes all reach their voices.
    void sleepsWhenIdleAndWakesOnPress()
    {
        QVERIFY(startServer(true));
        Fixture f(true);
        QTRY_VERIFY(f.output().isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(f.output().isAsleep(), sleepTimeoutMs);

        f.engine.play(InputEvent::keyDown(0));
        QTRY_VERIFY(f.engine.mixer().isPlaying(0));
        QVERIFY(!f.output().isAsleep());

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
        QVERIFY(startServer(false));
        Fixture f(true);
        QTRY_COMPARE(f.device(), std::string("headset"));
        QTRY_VERIFY_WITH_TIMEOUT(f.output().isAsleep(), sleepTimeoutMs);

        QVERIFY(m_server.addSink("builtin", builtInProperties));
        QTRY_COMPARE(f.device(), std::string("builtin"));
        f.engine.play(InputEvent::keyDown(0));
        QTRY_VERIFY(f.engine.mixer().isPlaying(0));

        QTRY_VERIFY_WITH_TIMEOUT(f.output().isAsleep(), sleepTimeoutMs);
        QVERIFY(m_server.removeSink("builtin"));
        QTRY_COMPARE(f.device(), std::string("headset"));

        QTRY_VERIFY_WITH_TIMEOUT(f.output().isAsleep(), sleepTimeoutMs);
        m_server.stop();
        QTRY_VERIFY(!f.output().isRunning());
        QVERIFY(startServer(true));
        QTRY_VERIFY_WITH_TIMEOUT(f.output().isRunning(), 10000);
        QTRY_COMPARE(f.device(), std::string("builtin"));
        f.engine.play(InputEvent::keyDown(0));
        QTRY_VERIFY(f.engine.mixer().isPlaying(1));
    }
};

QTEST_GUILESS_MAIN(TestPipeWireOutput)
#include "tst_pipewireoutput.moc"
