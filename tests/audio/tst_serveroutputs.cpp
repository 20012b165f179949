// The sound-server outputs against private servers with null sinks (speakers, USB headset).

#include "audio/PipeWireOutput.h"
#include "audio/PulseOutput.h"
#include "audio/SoundEngine.h"
#include "tests/support/TestPacks.h"
#include "tests/support/TestServers.h"

#include <QElapsedTimer>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace plinkum;

enum class Server { PulseAudio, PipeWire };
Q_DECLARE_METATYPE(Server)

namespace {

// An engine on the server's output; with rerouting its device listener runs as in the application.
struct Fixture {
    Fixture(Server server, bool preferBuiltIn, bool reroute = true)
        : engine(24, server == Server::PulseAudio ? std::unique_ptr<AudioOutput>(std::make_unique<PulseOutput>())
                                                  : std::make_unique<PipeWireOutput>(), 1)
    {
        engine.setPack(TestPacks::uniform(Mixer::sampleRate));
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
constexpr int reconnectTimeoutMs = 10000;

} // namespace

class TestServerOutputs : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TestServers::PulseAudio m_pulse{m_dir.path()};
    TestServers::PipeWire m_pipeWire{m_dir.path()};

    TestServers::AudioServer &server(Server server)
    {
        return server == Server::PulseAudio ? static_cast<TestServers::AudioServer &>(m_pulse) : m_pipeWire;
    }

    // The servers installed here, each with the name its rows begin with.
    static QList<std::pair<Server, QByteArray>> servers()
    {
        QList<std::pair<Server, QByteArray>> found;
        if (TestServers::PulseAudio::available())
            found.append({Server::PulseAudio, "PulseAudio"});
        if (TestServers::PipeWire::available())
            found.append({Server::PipeWire, "PipeWire"});
        return found;
    }
    static void addServerRows()
    {
        QTest::addColumn<Server>("server");
        for (const auto &[server, name] : servers())
            QTest::newRow(name.constData()) << server;
    }

    bool streamCorked() const { return m_pulse.pactlOutput({"list", "sink-inputs"}).contains("Corked: yes"); }
    QByteArray streamIndex() const { return m_pulse.pactlOutput({"list", "short", "sink-inputs"}).split('\t').value(0); }

private slots:
    void initTestCase()
    {
        if (!TestServers::PulseAudio::available() && !TestServers::PipeWire::available())
            QSKIP("pulseaudio and pactl, or pipewire, wireplumber, pw-cli and dbus-daemon, are needed "
                  "(tools/install-deps.sh installs them)");
        QVERIFY(m_dir.isValid());
        qputenv("LC_ALL", "C");
        m_pulse.exportTo();
        // The session bus WirePlumber uses comes up with the first start.
        if (TestServers::PipeWire::available()) {
            QVERIFY(m_pipeWire.start({}));
            m_pipeWire.exportTo();
            m_pipeWire.stop();
        }
    }

    void cleanup()
    {
        m_pulse.stop();
        m_pipeWire.stop();
    }

    // A missing or silent server never holds up the caller; the output connects once one is there.
    void startNeverWaitsForTheServer()
    {
        if (!TestServers::PulseAudio::available())
            QSKIP("pulseaudio is needed");
        const QByteArray mutePath = QFile::encodeName(m_dir.path()) + "/mute";
        const int mute = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const auto closeMute = qScopeGuard([mute] { ::close(mute); });
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, mutePath.constData(), sizeof address.sun_path);
        QVERIFY(::bind(mute, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 && ::listen(mute, 4) == 0);
        const QByteArray server = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:" + mutePath);
        {
            Fixture f(Server::PulseAudio, true);
            QElapsedTimer clock;
            clock.start();
            f.engine.start();
            QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
            QVERIFY(!f.output().isRunning());
        }
        qputenv("PULSE_SERVER", server);

        Fixture f(Server::PulseAudio, true);
        f.engine.start();
        QVERIFY(!f.output().isRunning() && m_pulse.startSpeakersAndHeadset(true));
        QTRY_VERIFY_WITH_TIMEOUT(f.output().isRunning(), reconnectTimeoutMs);
        QTRY_COMPARE(f.device(), std::string("builtin"));
    }

    // An added built-in sink takes the sound; without the preference the stream follows the default.
    void deviceChangesReroute_data() { addServerRows(); }
    void deviceChangesReroute()
    {
        QFETCH(Server, server);
        TestServers::AudioServer &s = this->server(server);
        QVERIFY(s.startSpeakersAndHeadset(false));
        Fixture f(server, true);
        QVERIFY(f.engine.start());
        QTRY_COMPARE(f.device(), std::string("headset"));
        QVERIFY(s.addSink("builtin", s.builtInProperties()));
        QTRY_COMPARE(f.device(), std::string("builtin"));

        f.engine.setPrefersBuiltInSpeakers(false);
        QTRY_COMPARE(f.device(), std::string("headset"));
        QVERIFY(s.setDefault("builtin"));
        QTRY_COMPARE(f.device(), std::string("builtin"));

        f.engine.setPrefersBuiltInSpeakers(true);
        const int before = f.restarts;
        QVERIFY(s.setDefault("headset"));
        QTRY_VERIFY(f.restarts > before);
        QTRY_COMPARE(f.device(), std::string("builtin"));
    }

    // A stream for the speakers stays there when the default changes; one following the default follows it.
    void streamStaysWhereRouted_data()
    {
        QTest::addColumn<Server>("server");
        QTest::addColumn<bool>("preferBuiltIn");
        QTest::addColumn<bool>("builtInDefault");
        QTest::addColumn<QString>("newDefault");
        QTest::addColumn<QString>("expected");
        for (const auto &[server, name] : servers()) {
            QTest::newRow(name + ": pinned to speakers that were the default") << server << true << true << "headset" << "builtin";
            QTest::newRow(name + ": pinned to speakers, headset default") << server << true << false << "headset" << "builtin";
            QTest::newRow(name + ": following the default") << server << false << true << "headset" << "headset";
            QTest::newRow(name + ": following the default to the speakers") << server << false << false << "builtin" << "builtin";
        }
    }
    void streamStaysWhereRouted()
    {
        QFETCH(Server, server);
        QFETCH(bool, preferBuiltIn);
        QFETCH(bool, builtInDefault);
        QFETCH(QString, newDefault);
        QFETCH(QString, expected);
        TestServers::AudioServer &s = this->server(server);
        QVERIFY(s.startSpeakersAndHeadset(true, builtInDefault));
        Fixture f(server, preferBuiltIn, server == Server::PipeWire && preferBuiltIn);
        f.engine.start();
        QTRY_COMPARE(f.device(), std::string(preferBuiltIn || builtInDefault ? "builtin" : "headset"));
        QVERIFY(s.setDefault(newDefault));
        // Where the stream ends up once the server and our rerouting have acted, and stays.
        QTest::qWait(500);
        QTRY_COMPARE(f.device(), expected.toStdString());
        QTest::qWait(300);
        QCOMPARE(f.device(), expected.toStdString());
    }

    // A stream reopened to be pinned keeps the volume and mute the user gave it.
    void reopenedStreamKeepsTheUsersVolume()
    {
        if (!TestServers::PulseAudio::available())
            QSKIP("pulseaudio is needed");
        QVERIFY(m_pulse.startSpeakersAndHeadset(true, true));
        Fixture f(Server::PulseAudio, false);
        f.engine.start();
        QTRY_COMPARE(f.device(), std::string("builtin"));
        const QByteArray first = streamIndex();
        QVERIFY(m_pulse.pactl({"set-sink-input-volume", QString::fromLatin1(first), "40%"}));
        QVERIFY(m_pulse.pactl({"set-sink-input-mute", QString::fromLatin1(first), "1"}));

        f.engine.setPrefersBuiltInSpeakers(true);
        QTRY_VERIFY(!streamIndex().isEmpty() && streamIndex() != first);
        const QByteArray listing = m_pulse.pactlOutput({"list", "sink-inputs"});
        QVERIFY2(listing.contains("40%") && listing.contains("Mute: yes"), listing.constData());
    }

    // The stream gets the small period it asks for; silent a few seconds it pauses, and a flood of presses waking it all sound.
    void smallPeriodSleepsAndWakes_data() { addServerRows(); }
    void smallPeriodSleepsAndWakes()
    {
        QFETCH(Server, server);
        QVERIFY(this->server(server).startSpeakersAndHeadset(true));
        Fixture f(server, true);
        QVERIFY(f.engine.start());
        QTRY_VERIFY(f.output().isRunning() && f.output().latency());
        if (server == Server::PulseAudio)
            QCOMPARE(std::size_t(static_cast<PulseOutput &>(f.output()).timing()->requestFrames), Mixer::periodFrames);
        else
            QTRY_COMPARE(static_cast<PipeWireOutput &>(f.output()).grantedQuantum(), PipeWireOutput::quantumFrames);
        QTRY_VERIFY_WITH_TIMEOUT(f.output().isAsleep(), sleepTimeoutMs);
        QTRY_VERIFY(server != Server::PulseAudio || streamCorked());

        f.engine.play(InputEvent::keyDown(0));
        QTRY_VERIFY(f.engine.mixer().isPlaying(0));
        QVERIFY(!f.output().isAsleep());
        QTRY_VERIFY(server != Server::PulseAudio || !streamCorked());

        QTRY_VERIFY_WITH_TIMEOUT(f.output().isAsleep(), sleepTimeoutMs);
        const std::size_t voices = f.engine.mixer().voiceCount();
        for (std::size_t i = 0; i < voices; ++i)
            f.engine.play(InputEvent::keyDown(0));
        for (std::size_t v = 0; v < voices; ++v)
            QTRY_VERIFY2(f.engine.mixer().isPlaying(v), qPrintable(QString::number(v)));
    }

    // Device changes and a server restart while asleep: routing follows and the next press plays.
    void devicesAndServerChangeWhileAsleep_data() { addServerRows(); }
    void devicesAndServerChangeWhileAsleep()
    {
        QFETCH(Server, server);
        TestServers::AudioServer &s = this->server(server);
        QVERIFY(s.startSpeakersAndHeadset(false));
        Fixture f(server, true);
        f.engine.start();
        QTRY_COMPARE(f.device(), std::string("headset"));
        QTRY_VERIFY_WITH_TIMEOUT(f.output().isAsleep(), sleepTimeoutMs);

        QVERIFY(s.addSink("builtin", s.builtInProperties()));
        QTRY_COMPARE(f.device(), std::string("builtin"));
        f.engine.play(InputEvent::keyDown(0));
        QTRY_VERIFY(f.engine.mixer().isPlaying(0));

        QTRY_VERIFY_WITH_TIMEOUT(f.output().isAsleep(), sleepTimeoutMs);
        QVERIFY(s.removeSink("builtin"));
        QTRY_COMPARE(f.device(), std::string("headset"));

        QTRY_VERIFY_WITH_TIMEOUT(f.output().isAsleep(), sleepTimeoutMs);
        s.stop();
        QTRY_VERIFY(!f.output().isRunning());
        QVERIFY(s.startSpeakersAndHeadset(true));
        QTRY_VERIFY_WITH_TIMEOUT(f.output().isRunning(), reconnectTimeoutMs);
        QTRY_COMPARE(f.device(), std::string("builtin"));
        f.engine.play(InputEvent::keyDown(0));
        QTRY_VERIFY(f.engine.mixer().isPlaying(1));
    }
};

QTEST_GUILESS_MAIN(TestServerOutputs)
#include "tst_serveroutputs.moc"
