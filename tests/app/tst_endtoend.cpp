// Plinkum as a user runs it, against real servers: `plinkum --headless` on a private X display
// and a private pulseaudio daemon; keys typed through XTEST must be heard on the sink's monitor.
#include "KeyboardAccess.h"
#include "TestServers.h"

#include <QtTest>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cmath>
#include <optional>
#include <csignal>

class TestEndToEnd : public QObject {
    Q_OBJECT

private:
    static constexpr int rate = 48000;
    static constexpr float threshold = 0.01f;

    QTemporaryDir m_dir;
    std::unique_ptr<TestServers::Xvfb> m_x;
    std::unique_ptr<TestServers::PulseAudio> m_pulse;
    QString m_display;
    Display *m_xlib = nullptr;
    QProcess m_recorder;
    std::vector<float> m_samples;

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

    bool heardSince(std::size_t from) const
    {
        for (std::size_t i = from; i < m_samples.size(); ++i)
            if (std::fabs(m_samples[i]) > threshold)
                return true;
        return false;
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty())
            QSKIP("parec is needed (pulseaudio-utils; tools/install-deps.sh installs it)");
        plinkum::KeyboardAccess::Environment devicesOnly;
        if (plinkum::KeyboardAccess::check(devicesOnly).canListen)
            QSKIP("keyboards are readable under /dev/input here, so Plinkum would listen there and not to "
                  "the test's X server");
        m_x = std::make_unique<TestServers::Xvfb>();
        m_display = m_x->start();
        if (m_display.isEmpty())
            QSKIP("Xvfb is needed (tools/install-deps.sh installs it)");
        m_pulse = std::make_unique<TestServers::PulseAudio>(m_dir.path());
        if (!m_pulse->start())
            QSKIP("a private pulseaudio daemon could not be started");
        m_xlib = XOpenDisplay(qPrintable(m_display));
        QVERIFY(m_xlib);
    }

    void cleanupTestCase()
    {
        m_recorder.kill();
        m_recorder.waitForFinished();
        if (m_xlib)
            XCloseDisplay(m_xlib);
    }

    void diagnoseReportsTheSoundServer()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        m_pulse->addTo(environment);
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        QProcess plinkum;
        plinkum.setProcessEnvironment(environment);
        plinkum.start(QStringLiteral(PLINKUM), {QStringLiteral("--diagnose")});
        QVERIFY(plinkum.waitForFinished(15000));
        QCOMPARE(plinkum.exitCode(), 0);
        const QString report = QString::fromUtf8(plinkum.readAllStandardOutput());
        QVERIFY2(report.contains(QStringLiteral("can listen:      yes")), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("output:          clicks (not built-in)")), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("chosen output:   clicks")), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("latency granted: ")), qPrintable(report));
    }

    void typedKeysAreHeard()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        m_pulse->addTo(environment);
        m_recorder.setProcessEnvironment(environment);
        m_recorder.start(QStringLiteral("parec"), {QStringLiteral("--device=") + TestServers::PulseAudio::monitor(),
                                                   QStringLiteral("--format=float32le"), QStringLiteral("--rate=48000"),
                                                   QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=10"),
                                                   QStringLiteral("--raw")});
        QVERIFY(m_recorder.waitForStarted());

        for (const char *name : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        environment.insert(QStringLiteral("HOME"), m_dir.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
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
        QVERIFY(!heardSince(0));
        bool heard = false;
        for (int attempt = 0; attempt < 40 && !heard; ++attempt) {
            const std::size_t before = m_samples.size();
            press("a");
            waitCollecting(300);
            heard = heardSince(before);
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
