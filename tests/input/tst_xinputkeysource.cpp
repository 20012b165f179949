#include "input/KeyboardAccess.h"
#include "input/KeyboardMonitor.h"
#include "input/XInputKeySource.h"

#include "tests/support/InputTestSupport.h"
#include "tests/support/TestServers.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <memory>

using namespace plinkum;

class TestXInputKeySource : public QObject {
    Q_OBJECT

    TestServers::Xvfb m_server;
    std::string m_display;
    std::unique_ptr<Display, int (*)(Display *)> m_injector{nullptr, XCloseDisplay};

    void key(int keycode, bool press)
    {
        XTestFakeKeyEvent(m_injector.get(), static_cast<unsigned>(keycode), press, CurrentTime);
        XSync(m_injector.get(), False);
    }
    void button(int number, bool press)
    {
        XTestFakeButtonEvent(m_injector.get(), static_cast<unsigned>(number), press, CurrentTime);
        XSync(m_injector.get(), False);
    }

private slots:
    void initTestCase()
    {
        m_display = m_server.start().toStdString();
        QVERIFY2(!m_display.empty(), "Xvfb did not start");
        m_injector.reset(XOpenDisplay(m_display.c_str()));
        QVERIFY(m_injector);
    }

    void sequences_data()
    {
        QTest::addColumn<QString>("steps"); // "p<keycode>" press, "r<keycode>" release, "w<ms>" wait,
                                            // "S" start listening here (else before the first step),
                                            // "P<button>"/"R<button>" pointer button
        QTest::addColumn<QString>("delivered");
        // X11 keycodes: a 38, Shift_L 50, Shift_R 62, Caps_Lock 66.
        QTest::newRow("held key: one down, one up") << "p38 w800 r38" << "d0 u0";
        QTest::newRow("caps lock only down") << "p66 r66 p66 r66" << "d57 d57";
        QTest::newRow("second release of a modifier changes nothing") << "p50 r50 r50 p50 r50" << "d56 u56 d56 u56";
        QTest::newRow("modifier held before listening") << "p50 S r50 p50 r50" << "d56 u56 d56";
        QTest::newRow("buttons 1-3, 8, 9 click; the wheel's 4-7 do not")
            << "P1 R1 P3 R3 P2 R2 P4 R4 P5 R5 P6 R6 P7 R7 P8 R8 P9 R9" << "bd0 bu0 bd1 bu1 bd2 bu2 bd3 bu3 bd4 bu4";
    }
    void sequences()
    {
        QFETCH(QString, steps);
        QFETCH(QString, delivered);
        test::Recorder events;
        KeyboardMonitor monitor(events.handler(), [this] { return XInputKeySource::open(m_display); });
        if (!steps.contains('S'))
            QVERIFY(monitor.start());
        for (const QString &step : steps.split(' ')) {
            const int n = step.mid(1).toInt();
            switch (step.at(0).toLatin1()) {
            case 'p': key(n, true); break;
            case 'r': key(n, false); break;
            case 'w': QTest::qWait(n); break;
            case 'S': QVERIFY(monitor.start()); break;
            case 'P': button(n, true); break;
            case 'R': button(n, false); break;
            }
        }
        // Events arrive in order: once Escape (9, delivered as 53) is through, all before it is.
        key(9, true);
        key(9, false);
        QTRY_VERIFY2(events.text().endsWith("d53 u53"), qPrintable(events.text()));
        QCOMPARE(events.text().chopped(7).trimmed(), delivered);
        QVERIFY(!events.offThread);
    }

    // With no keyboard readable, XInput2 serves, but not in a Wayland session.
    void accessRule()
    {
        QTemporaryDir noDevices;
        KeyboardAccess::Environment env{noDevices.path().toStdString(), m_display, false};
        const auto x11 = KeyboardAccess::check(env);
        QVERIFY2(x11.canListen, x11.reason.c_str());
        env.waylandSession = true;
        QVERIFY(!KeyboardAccess::canListen(env));
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("XDG_SESSION_TYPE", "x11");
        QVERIFY(!KeyboardAccess::Environment::fromProcess().waylandSession);
        qputenv("XDG_SESSION_TYPE", "wayland");
        QVERIFY(KeyboardAccess::Environment::fromProcess().waylandSession);
        qputenv("XDG_SESSION_TYPE", "tty");
        qputenv("WAYLAND_DISPLAY", "wayland-0");
        QVERIFY(KeyboardAccess::Environment::fromProcess().waylandSession);
        env = {noDevices.path().toStdString(), ":65000", false}; // unreachable
        QVERIFY(!KeyboardAccess::canListen(env));
    }

    void serverGoesAway()
    {
#if defined(__SANITIZE_THREAD__)
        QSKIP("libX11 unlocks a display mutex twice on its lost-connection path; TSan reports that");
#endif
        TestServers::Xvfb server;
        const std::string display = server.start().toStdString();
        QVERIFY(!display.empty());
        KeyboardMonitor monitor([](InputEvent) {}, [&display] { return XInputKeySource::open(display); });
        QVERIFY(monitor.start());
        QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 1);
        server.stop();
        // The monitor thread ends; the process goes on.
        QTRY_COMPARE(test::threadsNamed(KeyboardMonitor::threadName), 0);
    }
};

QTEST_GUILESS_MAIN(TestXInputKeySource)
#include "tst_xinputkeysource.moc"
