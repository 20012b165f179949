// Plinkum as a user runs it, against real servers: a private X display and a private pulseaudio
// daemon. How the command line and the session choose the mode, one instance per user (what a
// second launch shows is in tst_desktops), --diagnose, and keys typed through XTEST heard on the
// sink's monitor.
#include "CommandLine.h"
#include "KeyboardAccess.h"
#include "TestPacks.h"
#include "TestServers.h"

#include <QtTest>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cmath>
#include <csignal>
#include <optional>

using plinkum::CommandLine;

Q_DECLARE_METATYPE(CommandLine::Mode)

class TestEndToEnd : public QObject {
    Q_OBJECT

private:
    static constexpr int rate = 48000;
    static constexpr float threshold = 0.01f;

    QTemporaryDir m_dir;
    TestServers::Xvfb m_x;
    std::unique_ptr<TestServers::PulseAudio> m_pulse;
    QString m_display;
    bool m_hasPulse = false;
    Display *m_xlib = nullptr;
    QProcess m_recorder;
    std::vector<float> m_samples;

    // Without a display or sound server when these are not given; the engine reports it and carries on.
    QProcessEnvironment environment(const QString &display, bool pulse = false) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "QT_QPA_PLATFORM", "DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("HOME"), m_dir.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("LSAN_OPTIONS"),
                           QStringLiteral("suppressions=" PLINKUM_SOURCE_DIR "/tests/lsan-suppressions.txt"));
        environment.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("none")));
        if (pulse)
            m_pulse->addTo(environment);
        return environment;
    }

    QString socket() const { return m_dir.filePath(QStringLiteral("plinkum-%1.socket").arg(getuid())); }

    void collect()
    {
        const QByteArray bytes = m_recorder.read(m_recorder.bytesAvailable() / 4 * 4);
        const auto *frames = reinterpret_cast<const float *>(bytes.constData());
        m_samples.insert(m_samples.end(), frames, frames + bytes.size() / 4);
    }

    void waitCollecting(int milliseconds)
    {
        QDeadlineTimer deadline(milliseconds);
        while (!deadline.hasExpired()) {
            m_recorder.waitForReadyRead(10);
            collect();
        }
    }

    void press(const char *keysym)
    {
        const KeyCode code = XKeysymToKeycode(m_xlib, XStringToKeysym(keysym));
        XTestFakeKeyEvent(m_xlib, code, True, 0);
        XFlush(m_xlib);
        waitCollecting(30);
        XTestFakeKeyEvent(m_xlib, code, False, 0);
        XFlush(m_xlib);
    }

    // Sounds starting after `from`: a sample above the threshold with none in the 150 ms before.
    int onsets(std::size_t from) const
    {
        constexpr std::size_t gap = rate * 150 / 1000;
        int count = 0;
        std::optional<std::size_t> lastLoud;
        for (std::size_t i = from; i < m_samples.size(); ++i) {
            if (std::fabs(m_samples[i]) <= threshold)
                continue;
            if (!lastLoud || i - *lastLoud > gap)
                ++count;
            lastLoud = i;
        }
        return count;
    }

private slots:
    void initTestCase()
    {
        m_display = m_x.start();
        if (!m_display.isEmpty())
            m_xlib = XOpenDisplay(qPrintable(m_display));
        m_pulse = std::make_unique<TestServers::PulseAudio>(m_dir.path());
        m_hasPulse = m_pulse->start();
    }

    void cleanupTestCase()
    {
        m_recorder.kill();
        m_recorder.waitForFinished();
        if (m_xlib)
            XCloseDisplay(m_xlib);
    }

    void commandLineChoosesTheMode_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("display"); // DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM=…
        QTest::addColumn<CommandLine::Mode>("mode");
        QTest::addColumn<bool>("noDisplay");

        using M = CommandLine::Mode;
        const QString x11 = QStringLiteral("DISPLAY=:0");
        QTest::newRow("tray on X11") << QStringList{} << x11 << M::Tray << false;
        QTest::newRow("tray on Wayland") << QStringList{} << QStringLiteral("WAYLAND_DISPLAY=wayland-0") << M::Tray << false;
        QTest::newRow("no display") << QStringList{} << QString() << M::Headless << true;
        QTest::newRow("xcb without X") << QStringList{} << QStringLiteral("QT_QPA_PLATFORM=xcb") << M::Headless << true;
        QTest::newRow("headless, no display") << QStringList{QStringLiteral("--headless")} << QString() << M::Headless << false;
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--loud")} << x11 << M::Invalid << false;
    }

    void commandLineChoosesTheMode()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, display);
        QProcessEnvironment environment;
        if (!display.isEmpty())
            environment.insert(display.section(u'=', 0, 0), display.section(u'=', 1));
        const CommandLine line = CommandLine::parse(QStringList{QStringLiteral("plinkum")} + arguments, environment);
        QTEST(line.mode, "mode");
        QTEST(line.noDisplay, "noDisplay");
        QCOMPARE(line.error.isEmpty(), line.mode != CommandLine::Mode::Invalid);
    }

    void killedInstanceDoesNotBlockTheNext()
    {
        QProcess first;
        first.setProcessEnvironment(environment(QString()));
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start(QStringLiteral(PLINKUM), {QStringLiteral("--headless")});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket()), 10000);
        first.kill();
        first.waitForFinished();

        // Started without a display, plinkum says so and runs headless, as the new instance.
        QProcess next;
        next.setProcessEnvironment(environment(QString()));
        next.start(QStringLiteral(PLINKUM), {});
        QVERIFY(next.waitForStarted());
        QVERIFY(!next.waitForFinished(1500));
        QVERIFY(next.readAllStandardError().contains("Plinkum: no display found; running headless\n"));
        ::kill(pid_t(next.processId()), SIGINT);
        QVERIFY(next.waitForFinished(5000));
        QCOMPARE(next.exitStatus(), QProcess::NormalExit);
        QCOMPARE(next.exitCode(), 0);
    }

    void diagnoseReportsTheSoundServer()
    {
        if (!m_hasPulse)
            QSKIP("a private pulseaudio daemon could not be started (tools/install-deps.sh installs it)");
        const TestPacks::Run diagnosis = TestPacks::run(QStringLiteral(PLINKUM), {"--diagnose"}, environment(m_display, true));
        QCOMPARE(diagnosis.exitCode, 0);
        const QString report = QString::fromUtf8(diagnosis.out);
        QVERIFY2(!m_xlib || report.contains(QStringLiteral("can listen:      yes")), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("output:          clicks (not built-in)")), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("chosen output:   clicks")), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("latency granted: ")), qPrintable(report));
    }

    void typedKeysAreHeard()
    {
        if (!m_xlib || !m_hasPulse || QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty())
            QSKIP("Xvfb, pulseaudio and parec are needed (tools/install-deps.sh installs them)");
        plinkum::KeyboardAccess::Environment devicesOnly;
        if (plinkum::KeyboardAccess::check(devicesOnly).canListen)
            QSKIP("keyboards are readable under /dev/input here, so Plinkum would listen there and not to "
                  "the test's X server");
        QProcessEnvironment environment = this->environment(m_display, true);
        m_recorder.setProcessEnvironment(environment);
        m_recorder.start("parec", {"--device=" + TestServers::PulseAudio::monitor(), "--format=float32le", "--rate=48000",
                                   "--channels=1", "--latency-msec=10", "--raw"});
        QVERIFY(m_recorder.waitForStarted());
        QProcess plinkum;
        plinkum.setProcessEnvironment(environment);
        plinkum.setProcessChannelMode(QProcess::ForwardedChannels);
        plinkum.start(QStringLiteral(PLINKUM), {QStringLiteral("--headless")});
        QVERIFY(plinkum.waitForStarted());
        const auto stopOnFailure = qScopeGuard([&plinkum] {
            plinkum.kill();
            plinkum.waitForFinished();
        });

        // Nothing plays before a key is typed; then type until the pack has loaded and is heard.
        waitCollecting(800);
        QCOMPARE(onsets(0), 0);
        bool heard = false;
        for (int attempt = 0; attempt < 40 && !heard; ++attempt) {
            const std::size_t before = m_samples.size();
            press("a");
            waitCollecting(300);
            heard = onsets(before) > 0;
        }
        QVERIFY2(heard, "no key sound reached the sink within 12 s");

        // Settle, then six presses 300 ms apart give six sounds.
        waitCollecting(600);
        const std::size_t mark = m_samples.size();
        for (const char *key : {"a", "s", "space", "Return", "BackSpace", "Shift_L"}) {
            press(key);
            waitCollecting(300);
        }
        waitCollecting(300);
        const int count = onsets(mark);
        QVERIFY2(count == 6, qPrintable(QStringLiteral("heard %1 key sounds for 6 presses").arg(count)));

        // SIGTERM ends it cleanly.
        ::kill(pid_t(plinkum.processId()), SIGTERM);
        QVERIFY(plinkum.waitForFinished(5000));
        QCOMPARE(plinkum.exitStatus(), QProcess::NormalExit);
        QCOMPARE(plinkum.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
