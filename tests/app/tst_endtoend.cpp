// Plinkum against private X, pulseaudio and logind: typed keys and clicks heard unless the session is locked or behind.
#include "app/CommandLine.h"
#include "input/KeyboardAccess.h"
#include "tests/support/MockLogind.h"
#include "tests/support/PlinkumProcess.h"
#include "tests/support/TestPacks.h"
#include "tests/support/TestServers.h"

#include <QtTest>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <linux/input-event-codes.h>

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
        QProcessEnvironment environment = PlinkumProcess::environment(m_dir.path(), m_dir.path(), display);
        if (pulse)
            m_pulse->addTo(environment);
        return environment;
    }

    QString socket() const { return m_dir.filePath(QStringLiteral("plinkum-%1.socket").arg(getuid())); }

    int plinkumWindows() const
    {
        int found = 0;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(m_xlib, DefaultRootWindow(m_xlib), &root, &parent, &children, &count))
            return 0;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            char *name = nullptr;
            if (XGetWindowAttributes(m_xlib, children[i], &attributes) && attributes.map_state == IsViewable
                && XFetchName(m_xlib, children[i], &name) && name) {
                found += QByteArray(name) == "Plinkum";
            }
            if (name)
                XFree(name);
        }
        if (children)
            XFree(children);
        return found;
    }

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

    void press(const char *keysym) { pressKeycode(XKeysymToKeycode(m_xlib, XStringToKeysym(keysym))); }

    // By X keycode, which is the evdev code + 8 whatever keymap the server has.
    void pressKeycode(unsigned code)
    {
        XTestFakeKeyEvent(m_xlib, code, True, 0);
        XFlush(m_xlib);
        waitCollecting(30);
        XTestFakeKeyEvent(m_xlib, code, False, 0);
        XFlush(m_xlib);
    }

    // Both Shifts pressed together, the right one while the left is held, then let go.
    void pressBothShifts()
    {
        const KeyCode left = XKeysymToKeycode(m_xlib, XK_Shift_L);
        const KeyCode right = XKeysymToKeycode(m_xlib, XK_Shift_R);
        const std::pair<KeyCode, Bool> steps[]{{left, True}, {right, True}, {right, False}, {left, False}};
        for (const auto &[code, down] : steps) {
            XTestFakeKeyEvent(m_xlib, code, down, 0);
            XFlush(m_xlib);
            waitCollecting(40);
        }
        waitCollecting(400); // past the sounds of the gesture's own keys
    }

    void pressScrollLockTwice()
    {
        for (int press = 0; press < 2; ++press) {
            pressKeycode(KEY_SCROLLLOCK + 8);
            waitCollecting(100);
        }
        waitCollecting(400);
    }

    // Whether a press of the key is heard.
    bool heard(const char *keysym)
    {
        const std::size_t before = m_samples.size();
        press(keysym);
        waitCollecting(300);
        return onsets(before) > 0;
    }

    // Types until the first sound: the pack has loaded and the keyboard is heard.
    bool typeUntilHeard()
    {
        for (int attempt = 0; attempt < 40; ++attempt)
            if (heard("a"))
                return true;
        return false;
    }

    QString settingsFile() const { return m_dir.filePath(QStringLiteral("config/Plinkum/Plinkum.conf")); }

    void record(const QProcessEnvironment &environment)
    {
        if (m_recorder.state() != QProcess::NotRunning)
            return;
        m_recorder.setProcessEnvironment(environment);
        m_recorder.start("parec", {"--device=" + TestServers::PulseAudio::monitor(), "--format=float32le", "--rate=48000",
                                   "--channels=1", "--latency-msec=10", "--raw"});
        QVERIFY(m_recorder.waitForStarted());
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

    bool canType() const
    {
        return m_xlib && m_hasPulse && !QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty()
            && !plinkum::KeyboardAccess::check(plinkum::KeyboardAccess::Environment{}).canListen;
    }
    static constexpr const char *cannotType =
        "Xvfb, pulseaudio and parec are needed (tools/install-deps.sh installs them), and no keyboard "
        "readable under /dev/input (Plinkum would listen there and not to the test's X server)";

    // Key sounds heard for the presses, 300 ms apart, after a pause for the last sound to end.
    int soundsFor(const std::vector<unsigned> &keycodes)
    {
        waitCollecting(600);
        const std::size_t mark = m_samples.size();
        for (unsigned code : keycodes) {
            pressKeycode(code);
            waitCollecting(300);
        }
        waitCollecting(300);
        return onsets(mark);
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
        // Quoted as typed, dashes and all.
        QVERIFY(line.error.isEmpty() || line.error.contains(u'\'' + arguments.constFirst() + u'\''));
    }

    void killedInstanceDoesNotBlockTheNext()
    {
        {
            PlinkumProcess first;
            QVERIFY(first.start(environment(QString()), {QStringLiteral("--headless")}));
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket()), 10000);
        } // killed

        // Started without a display, plinkum says so and runs headless, as the new instance.
        QProcess next;
        next.setProcessEnvironment(environment(QString()));
        next.start(QStringLiteral(PLINKUM), {});
        QVERIFY(next.waitForStarted() && !next.waitForFinished(1500));
        QVERIFY(next.readAllStandardError().contains("Plinkum: no display found; running headless\n"));
        ::kill(pid_t(next.processId()), SIGINT);
        QVERIFY(next.waitForFinished(5000));
        QCOMPARE(next.exitStatus(), QProcess::NormalExit);
        QCOMPARE(next.exitCode(), 0);
    }

    // Exit 0 only while typed keys can be heard; otherwise each reason on a line of its own.
    void diagnoseReportsTheSoundServer()
    {
        if (!m_hasPulse || !m_xlib)
            QSKIP("a private pulseaudio daemon and Xvfb could not be started (tools/install-deps.sh installs them)");
        const QProcessEnvironment environment = this->environment(m_display, true);
        const TestPacks::Run alone = TestPacks::run(QStringLiteral(PLINKUM), {"--diagnose"}, environment);
        QCOMPARE(alone.exitCode, 1);
        QCOMPARE(alone.err, QByteArray("Plinkum: no Plinkum is running for this user (start it from the app menu)\n"));

        PlinkumProcess plinkum;
        QVERIFY(plinkum.start(environment, {QStringLiteral("--headless")}));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket()), 10000);
        const TestPacks::Run diagnosis = TestPacks::run(QStringLiteral(PLINKUM), {"--diagnose"}, environment);
        const TestPacks::Run silent = TestPacks::run(QStringLiteral(PLINKUM), {"--diagnose"}, this->environment({}));
        QVERIFY(plinkum.terminate());
        const QString report = QString::fromUtf8(diagnosis.out);
        QVERIFY2(diagnosis.exitCode == 0 && diagnosis.err.isEmpty(), diagnosis.err.constData());
        for (const char *line : {"can listen:      yes", "output:          clicks (not built-in)", "chosen output:   clicks",
                                 "audio output:    PulseAudio", "latency granted: ", "sounds:          on",
                                 "volume:          60 %", "selected pack:   ", "running:         yes"})
            QVERIFY2(report.contains(QLatin1String(line)), qPrintable(report));

        QCOMPARE(silent.exitCode, 1);
        QVERIFY2(silent.err.contains("Plinkum: keys cannot be read: ") && silent.err.contains("Plinkum: no sound server answers"), silent.err.constData());
    }

    void typedKeysAreHeard()
    {
        if (!canType())
            QSKIP(cannotType);
        QProcessEnvironment environment = this->environment(m_display, true);
        record(environment);
        PlinkumProcess plinkum;
        QVERIFY(plinkum.start(environment, {QStringLiteral("--headless")}));

        // Nothing plays before a key is typed; then type until the pack has loaded and is heard.
        const std::size_t start = m_samples.size();
        waitCollecting(800);
        QCOMPARE(onsets(start), 0);
        QVERIFY2(typeUntilHeard(), "no key sound reached the sink within 12 s");

        // Six presses 300 ms apart give six sounds.
        std::vector<unsigned> keys;
        for (const char *key : {"a", "s", "space", "Return", "BackSpace", "Shift_L"})
            keys.push_back(XKeysymToKeycode(m_xlib, XStringToKeysym(key)));
        int count = soundsFor(keys);
        QVERIFY2(count == 6, qPrintable(QStringLiteral("heard %1 key sounds for 6 presses").arg(count)));

        // Every key of the keypad, Num Lock included.
        keys.clear();
        for (unsigned evdev : {KEY_KP0, KEY_KP1, KEY_KP2, KEY_KP3, KEY_KP4, KEY_KP5, KEY_KP6, KEY_KP7, KEY_KP8,
                               KEY_KP9, KEY_KPDOT, KEY_KPASTERISK, KEY_KPPLUS, KEY_KPSLASH, KEY_KPMINUS,
                               KEY_KPEQUAL, KEY_KPCOMMA, KEY_NUMLOCK})
            keys.push_back(evdev + 8);
        count = soundsFor(keys);
        QVERIFY2(count == int(keys.size()), qPrintable(QStringLiteral("heard %1 key sounds for %2 keypad presses").arg(count).arg(keys.size())));

        // After a few silent seconds the output sleeps; the press that wakes it is heard.
        waitCollecting(4500);
        const std::size_t afterIdle = m_samples.size();
        press("a");
        waitCollecting(400);
        QCOMPARE(onsets(afterIdle), 1);

        // SIGTERM ends it cleanly.
        QVERIFY(plinkum.terminate());
    }

    // Both Shifts (or Scroll Lock twice, when chosen) switch the sounds; the state outlives a restart.
    void shiftsTogetherSwitchTheSoundsOffAndOn()
    {
        if (!canType())
            QSKIP(cannotType);
        QFile::remove(settingsFile());
        const QProcessEnvironment environment = this->environment(m_display, true);
        record(environment);
        PlinkumProcess plinkum;
        const auto launch = [&] { return plinkum.start(environment, {QStringLiteral("--headless")}); };

        QVERIFY(launch());
        QVERIFY2(typeUntilHeard(), "no key sound reached the sink within 12 s");
        pressBothShifts();
        QVERIFY(!heard("a") && !heard("space"));
        pressBothShifts();
        QVERIFY(heard("a"));

        // Switched off, then restarted: still off until the Shifts switch it on.
        pressBothShifts();
        QVERIFY(!heard("a"));
        QVERIFY(plinkum.terminate() && launch());
        for (int press = 0; press < 12; ++press) // about 4 s, twice what loading the pack takes
            QVERIFY(!heard("a"));
        pressBothShifts();
        QVERIFY2(typeUntilHeard(), "the Shifts did not switch the sounds back on after a restart");

        // Scroll Lock pressed twice, when chosen instead, does the same; the Shifts are then keys.
        QVERIFY(plinkum.terminate());
        QSettings(settingsFile(), QSettings::IniFormat).setValue(QStringLiteral("muteShortcut"), QStringLiteral("scrollLockTwice"));
        QVERIFY(launch() && typeUntilHeard());
        pressScrollLockTwice();
        QVERIFY(!heard("a"));
        pressScrollLockTwice();
        QVERIFY(heard("a"));
        pressBothShifts();
        QVERIFY(heard("a"));

        // The shortcut chosen off, as the settings window stores it, is read at the next start.
        QVERIFY(plinkum.terminate());
        QSettings(settingsFile(), QSettings::IniFormat).setValue(QStringLiteral("muteShortcut"), QStringLiteral("off"));
        QVERIFY(launch() && typeUntilHeard());
        pressBothShifts();
        QVERIFY(heard("a"));
        QVERIFY(plinkum.terminate());
    }

    // A first-run window still open when Plinkum quits comes back at the next start.
    void firstRunWindowOpenAtQuitComesBack()
    {
        if (!m_xlib)
            QSKIP("Xvfb is needed (tools/install-deps.sh installs it)");
        TestPacks::writeText(settingsFile(), "[General]\nonboardingOpen=true\n");
        QProcessEnvironment environment = this->environment(m_display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        for (int start = 0; start < 2; ++start) {
            PlinkumProcess plinkum;
            QVERIFY(plinkum.start(environment));
            QTRY_COMPARE_WITH_TIMEOUT(plinkumWindows(), 1, 10000);
            QVERIFY(plinkum.terminate());
            QTRY_COMPARE(plinkumWindows(), 0);
            QCOMPARE(QSettings(settingsFile(), QSettings::IniFormat).value(QStringLiteral("onboardingOpen")).toString(), QStringLiteral("true"));
        }
    }

    // XTEST clicks with a mouse pack chosen: each press and each release heard while clicks are on;
    // never the wheel, nor while clicks are off, the sounds are muted or the session is locked.
    void clicksAreHeard_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("before"); // "shifts": both Shifts mute first; "locked": the session locks first
        QTest::addColumn<QList<int>>("buttons");
        QTest::addColumn<int>("sounds");
        QTest::newRow("left and right, with their releases") << true << "" << QList<int>{1, 3} << 4;
        QTest::newRow("clicks off") << false << "" << QList<int>{1, 3} << 0;
        QTest::newRow("the wheel") << true << "" << QList<int>{4, 5, 6, 7} << 0;
        QTest::newRow("muted with both Shifts") << true << "shifts" << QList<int>{1, 3} << 0;
        QTest::newRow("locked session") << true << "locked" << QList<int>{1, 3} << 0;
    }
    void clicksAreHeard()
    {
        if (!canType())
            QSKIP(cannotType);
        QFETCH(bool, on);
        QFETCH(QString, before);
        QFETCH(QList<int>, buttons);
        QVERIFY(TestPacks::writeFolder(m_dir.filePath(QStringLiteral("data/Plinkum/Packs/clicks")),
                                       {{"pack.json", R"({"name": "Clicks", "mouse": {"left": ["click.wav"], "right": ["click.wav"]},
                                                          "mouseUp": {"left": ["click.wav"], "right": ["click.wav"]}})"},
                                        {"click.wav", TestPacks::wav}}));
        QFile::remove(settingsFile());
        QSettings(settingsFile(), QSettings::IniFormat).setValue(QStringLiteral("mouseClicks"), on);
        QSettings(settingsFile(), QSettings::IniFormat).setValue(QStringLiteral("mousePack"), QStringLiteral("folder:clicks"));
        QProcessEnvironment environment = this->environment(m_display, true);
        std::optional<TestServers::MockLogind> logind;
        if (before == "locked") {
            logind.emplace(m_dir.path());
            if (!logind->start())
                QSKIP("dbus-daemon and python3-dbusmock are needed (tools/install-deps.sh installs them)");
            QVERIFY(logind->addSession(QStringLiteral("c7"), true));
            logind->addTo(environment);
            environment.insert(QStringLiteral("XDG_SESSION_ID"), QStringLiteral("c7"));
        }
        record(environment);
        PlinkumProcess plinkum;
        QVERIFY(plinkum.start(environment, {QStringLiteral("--headless")}));
        QVERIFY2(typeUntilHeard(), "no key sound reached the sink within 12 s");
        if (before == "shifts")
            pressBothShifts();
        if (logind)
            QVERIFY(logind->setLocked(QStringLiteral("c7"), true));

        waitCollecting(600);
        const std::size_t mark = m_samples.size();
        for (const int button : buttons) {
            for (const Bool down : {True, False}) {
                XTestFakeButtonEvent(m_xlib, unsigned(button), down, 0);
                XFlush(m_xlib);
                waitCollecting(300);
            }
        }
        waitCollecting(300);
        QTEST(onsets(mark), "sounds");
        QVERIFY(plinkum.terminate());
    }

    // Keys typed while the session is locked or another is in front are not heard.
    void lockedOrBackgroundSessionIsNotHeard()
    {
        if (!canType())
            QSKIP(cannotType);
        TestServers::MockLogind logind(m_dir.path());
        if (!logind.start())
            QSKIP("dbus-daemon and python3-dbusmock are needed (tools/install-deps.sh installs them)");
        QVERIFY(logind.addSession(QStringLiteral("c7"), true));
        QProcessEnvironment environment = this->environment(m_display, true);
        logind.addTo(environment);
        environment.insert(QStringLiteral("XDG_SESSION_ID"), QStringLiteral("c7"));
        record(environment);
        PlinkumProcess plinkum;
        QVERIFY(plinkum.start(environment, {QStringLiteral("--headless")}));
        QVERIFY2(typeUntilHeard(), "no key sound reached the sink within 12 s");

        const std::vector<unsigned> keys{KEY_A + 8, KEY_KP5 + 8, KEY_ENTER + 8};
        const struct {
            const char *step;
            bool locked, active;
        } steps[]{{"locked", true, true}, {"unlocked", false, true}, {"switched away", false, false}, {"switched back", false, true}};
        for (const auto &[step, locked, active] : steps) {
            QVERIFY2(logind.setLocked(QStringLiteral("c7"), locked) && logind.setActive(QStringLiteral("c7"), active), step);
            waitCollecting(300); // logind's signal reaches Plinkum
            const int heard = soundsFor(keys);
            QVERIFY2(heard == (!locked && active ? int(keys.size()) : 0),
                     qPrintable(QStringLiteral("%1: heard %2 of %3 keys").arg(QLatin1String(step)).arg(heard).arg(keys.size())));
        }

        QVERIFY(plinkum.terminate());
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
