#include "KeyboardAccess.h"
#include "KeyboardMonitor.h"
#include "XInputKeySource.h"

#include "InputTestSupport.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <memory>

using namespace plinkum;

namespace {

// A private Xvfb on a display number it picks itself and reports through -displayfd.
class Xvfb : public QProcess {
public:
    Xvfb()
    {
        setStandardErrorFile(QProcess::nullDevice());
        start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "320x240x24"});
        while (!canReadLine() && waitForReadyRead(10000)) {
        }
        if (canReadLine())
            display = ":" + readLine().trimmed().toStdString();
    }
    ~Xvfb() override
    {
        terminate();
        waitForFinished();
    }
    std::string display; // empty when it did not start (package xvfb missing?)
};

} // namespace

class TestXInputKeySource : public QObject {
    Q_OBJECT

    Xvfb m_server;
    std::unique_ptr<Display, int (*)(Display *)> m_injector{nullptr, XCloseDisplay};

    void key(int keycode, bool press)
    {
        XTestFakeKeyEvent(m_injector.get(), static_cast<unsigned>(keycode), press, CurrentTime);
        XSync(m_injector.get(), False);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!m_server.display.empty(), "Xvfb did not start");
        m_injector.reset(XOpenDisplay(m_server.display.c_str()));
        QVERIFY(m_injector);
    }

    void sequences_data()
    {
        QTest::addColumn<QString>("steps"); // "p<keycode>" press, "r<keycode>" release, "w<ms>" wait,
                                            // "S" start listening here (else before the first step)
        QTest::addColumn<QString>("delivered");
        // X11 keycodes: a 38, Shift_L 50, Shift_R 62, Caps_Lock 66.
        QTest::newRow("held key: one down, one up") << "p38 w800 r38" << "d0 u0";
        QTest::newRow("left and right shift independent") << "p50 p62 r50 r62" << "d56 d60 u56 u60";
        QTest::newRow("caps lock only down") << "p66 r66 p66 r66" << "d57 d57";
        QTest::newRow("second release of a modifier changes nothing") << "p50 r50 r50 p50 r50" << "d56 u56 d56 u56";
        QTest::newRow("modifier held before listening") << "p50 S r50 p50 r50" << "d56 u56 d56";
    }
    void sequences()
    {
        QFETCH(QString, steps);
        QFETCH(QString, delivered);
        test::Recorder events;
        KeyboardMonitor monitor(events.handler(), [this] { return XInputKeySource::open(m_server.display); });
        if (!steps.contains('S'))
            QVERIFY(monitor.start());
        for (const QString &step : steps.split(' ')) {
            const int n = step.mid(1).toInt();
            switch (step.at(0).toLatin1()) {
            case 'p': key(n, true); break;
            case 'r': key(n, false); break;
            case 'w': QTest::qWait(n); break;
            case 'S': QVERIFY(monitor.start()); break;
            }
        }
        // Events arrive in order: once Escape (9, delivered as 53) is through, all before it is.
        key(9, true);
        key(9, false);
        QTRY_VERIFY2(events.text().endsWith("d53 u53"), qPrintable(events.text()));
        QCOMPARE(events.text().chopped(7).trimmed(), delivered);
        QVERIFY(!events.offThread);
    }

    // No keyboard is readable here: XInput2 serves, but not inside a Wayland session. (No display
    // at all: see tst_keyboardmonitor.)
    void accessRule()
    {
        QTemporaryDir noDevices;
        KeyboardAccess::Environment env{noDevices.path().toStdString(), m_server.display, false};
        const auto x11 = KeyboardAccess::check(env);
        QVERIFY2(x11.canListen, x11.reason.c_str());
        env.waylandSession = true;
        QVERIFY(!KeyboardAccess::canListen(env));
        env = {noDevices.path().toStdString(), ":65000", false}; // unreachable
        QVERIFY(!KeyboardAccess::canListen(env));
    }

    void serverGoesAway()
    {
#if defined(__SANITIZE_THREAD__)
        QSKIP("libX11 unlocks a display mutex twice on its lost-connection path; TSan reports that");
#endif
        Xvfb server;
        QVERIFY(!server.display.empty());
        KeyboardMonitor monitor([](KeyEvent) {}, [&server] { return XInputKeySource::open(server.display); });
        QVERIFY(monitor.start());
        QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 1);
        server.terminate();
        // The monitor thread ends; the process goes on.
        QTRY_COMPARE(test::threadsNamed(KeyboardMonitor::threadName), 0);
    }
};

QTEST_GUILESS_MAIN(TestXInputKeySource)
#include "tst_xinputkeysource.moc"
