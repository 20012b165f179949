#include "KeyboardAccess.h"
#include "KeyboardMonitor.h"
#include "XInputKeySource.h"

#include "InputTestSupport.h"
#include "XvfbServer.h"

#include <QtTest>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <pthread.h>

#include <atomic>
#include <memory>

using namespace plinkum;

namespace {

// Records what a monitor delivers, and whether it all came on the monitor thread.
struct Delivered {
    std::mutex mutex;
    QStringList words;
    std::atomic<bool> offThread{false};

    KeyboardMonitor::Handler handler()
    {
        return [this](KeyEvent e) {
            char name[16] = {};
            pthread_getname_np(pthread_self(), name, sizeof(name));
            if (QString(name) != KeyboardMonitor::threadName)
                offThread = true;
            const std::lock_guard lock(mutex);
            words << test::word(e);
        };
    }
    QString text()
    {
        const std::lock_guard lock(mutex);
        return words.join(' ');
    }
};

constexpr int escapeKeycode = 9; // delivered as 53

} // namespace

class TestXInputKeySource : public QObject {
    Q_OBJECT

    std::unique_ptr<test::XvfbServer> m_server;
    Display *m_injector = nullptr;
    QTemporaryDir m_noDevices;

    KeyboardAccess::Environment environment(bool wayland = false) const
    {
        return {m_noDevices.path().toStdString(), m_server->display().toStdString(), wayland};
    }

    void key(int keycode, bool press)
    {
        XTestFakeKeyEvent(m_injector, static_cast<unsigned>(keycode), press, CurrentTime);
        XSync(m_injector, False);
    }

    // Steps: "p<keycode>" press, "r<keycode>" release, "w<ms>" wait, "S" start listening here
    // (otherwise listening starts first).
    QString play(const QString &steps)
    {
        Delivered delivered;
        const std::string display = m_server->display().toStdString();
        KeyboardMonitor monitor(delivered.handler(), [display] { return XInputKeySource::open(display); });
        if (!steps.contains('S'))
            monitor.start();
        for (const QString &step : steps.split(' ', Qt::SkipEmptyParts)) {
            const int n = step.mid(1).toInt();
            switch (step.at(0).toLatin1()) {
            case 'p': key(n, true); break;
            case 'r': key(n, false); break;
            case 'w': QTest::qWait(n); break;
            case 'S': monitor.start(); break;
            }
        }
        // Events arrive in order: once Escape is through, everything before it is.
        key(escapeKeycode, true);
        key(escapeKeycode, false);
        const auto done = [&] { return delivered.text().endsWith("d53 u53"); };
        if (!QTest::qWaitFor(done, 5000))
            return "timed out after: " + delivered.text();
        if (delivered.offThread)
            return "delivered off the monitor thread";
        return delivered.text().chopped(int(qstrlen("d53 u53"))).trimmed();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_noDevices.isValid());
        m_server = std::make_unique<test::XvfbServer>();
        QVERIFY2(!m_server->display().isEmpty(), qPrintable(m_server->error()));
        m_injector = XOpenDisplay(m_server->display().toLocal8Bit().constData());
        QVERIFY(m_injector);
        int eventBase, errorBase, major, minor;
        QVERIFY(XTestQueryExtension(m_injector, &eventBase, &errorBase, &major, &minor));
    }

    void cleanupTestCase()
    {
        if (m_injector)
            XCloseDisplay(m_injector);
        m_server.reset();
    }

    void sequences_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("delivered");
        // X11 keycodes: a 38, b 56, Shift_L 50, Shift_R 62, Control_L 37, Caps_Lock 66.
        QTest::newRow("held key: one down, one up") << "p38 w800 r38" << "d0 u0";
        QTest::newRow("two keys, released in press order") << "p38 p56 r38 r56" << "d0 d11 u0 u11";
        QTest::newRow("two keys, released in reverse order") << "p38 p56 r56 r38" << "d0 d11 u11 u0";
        QTest::newRow("left and right shift independent") << "p50 p62 r50 r62" << "d56 d60 u56 u60";
        QTest::newRow("shift with a letter") << "p50 p38 r38 r50" << "d56 d0 u0 u56";
        QTest::newRow("held control") << "p37 w800 r37" << "d59 u59";
        QTest::newRow("caps lock only down") << "p66 r66 p66 r66" << "d57 d57";
        QTest::newRow("second release of a modifier changes nothing") << "p50 r50 r50 p50 r50" << "d56 u56 d56 u56";
        QTest::newRow("modifier held before listening") << "p50 S r50 p50 r50" << "d56 u56 d56";
        QTest::newRow("keys without a code dropped") << "p121 r121 p38 r38" << "d0 u0";
    }
    void sequences()
    {
        QFETCH(QString, steps);
        QFETCH(QString, delivered);
        QCOMPARE(play(steps), delivered);
    }

    void accessRule()
    {
        const auto x11 = KeyboardAccess::check(environment());
        QVERIFY2(x11.canListen, x11.reason.c_str());
        QVERIFY(QString::fromStdString(x11.reason).startsWith("XInput2"));

        const auto wayland = KeyboardAccess::check(environment(true));
        QVERIFY(!wayland.canListen);
        QVERIFY2(QString::fromStdString(wayland.reason).contains("Wayland"), wayland.reason.c_str());

        auto unreachable = environment();
        unreachable.display = ":65000";
        QVERIFY(!KeyboardAccess::canListen(unreachable));
    }

    void startTwice()
    {
        int opened = 0;
        const auto env = environment();
        Delivered delivered;
        {
            KeyboardMonitor monitor(delivered.handler(), [&] {
                ++opened;
                return KeyboardAccess::openSource(env);
            });
            QVERIFY(monitor.start());
            QVERIFY(monitor.start());
            QCOMPARE(opened, 1);
            QCOMPARE(monitor.sourceName(), std::string_view("XInput2"));
            QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 1);
        }
        QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 0);
    }

    void serverGoesAway()
    {
#if defined(__SANITIZE_THREAD__)
        QSKIP("libX11 unlocks a display mutex twice on its lost-connection path; TSan reports that");
#endif
        test::XvfbServer server;
        QVERIFY2(!server.display().isEmpty(), qPrintable(server.error()));
        Delivered delivered;
        const std::string display = server.display().toStdString();
        KeyboardMonitor monitor(delivered.handler(), [display] { return XInputKeySource::open(display); });
        QVERIFY(monitor.start());
        QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 1);
        server.terminate();
        // The monitor thread ends; the process goes on.
        QTRY_COMPARE(test::threadsNamed(KeyboardMonitor::threadName), 0);
    }
};

QTEST_GUILESS_MAIN(TestXInputKeySource)
#include "tst_xinputkeysource.moc"
