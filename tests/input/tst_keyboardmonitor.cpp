#include "EvdevKeySource.h"
#include "KeyboardAccess.h"
#include "KeyboardMonitor.h"

#include "InputTestSupport.h"

#include <QtTest>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>

using namespace plinkum;

class TestKeyboardMonitor : public QObject {
    Q_OBJECT

    static void write(int fd, unsigned code, int value)
    {
        const input_event events[2] = {{{}, EV_KEY, static_cast<__u16>(code), value}, {{}, EV_SYN, SYN_REPORT, 0}};
        QCOMPARE(::write(fd, events, sizeof(events)), ssize_t(sizeof(events)));
    }

private slots:
    void startTwiceListensOnce()
    {
        int fds[2];
        QCOMPARE(::pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0);
        UniqueFd writeEnd(fds[1]);
        UniqueFd readEnd(fds[0]);

        std::mutex mutex;
        QStringList delivered;
        std::atomic<bool> offThread{false};
        int opened = 0;
        {
            KeyboardMonitor monitor(
                [&](KeyEvent e) {
                    char name[16] = {};
                    pthread_getname_np(pthread_self(), name, sizeof(name));
                    if (QString(name) != KeyboardMonitor::threadName)
                        offThread = true;
                    const std::lock_guard lock(mutex);
                    delivered << test::word(e);
                },
                [&] {
                    ++opened;
                    std::vector<UniqueFd> streams;
                    streams.push_back(std::move(readEnd));
                    return EvdevKeySource::fromDescriptors(std::move(streams));
                });
            QVERIFY(!monitor.isListening());
            QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 0);

            QVERIFY(monitor.start());
            QVERIFY(monitor.start());
            QCOMPARE(opened, 1);
            QVERIFY(monitor.isListening());
            QCOMPARE(monitor.sourceName(), std::string_view("evdev"));
            QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 1);

            // The rules apply between source and handler.
            write(writeEnd.get(), KEY_A, 1);
            write(writeEnd.get(), KEY_A, 2);
            write(writeEnd.get(), KEY_A, 0);
            write(writeEnd.get(), KEY_CAPSLOCK, 1);
            write(writeEnd.get(), KEY_CAPSLOCK, 0);
            write(writeEnd.get(), KEY_RIGHTSHIFT, 1);
            write(writeEnd.get(), KEY_RIGHTSHIFT, 0);
            const auto text = [&] {
                const std::lock_guard lock(mutex);
                return delivered.join(' ');
            };
            QTRY_COMPARE(text(), "d0 u0 d57 d60 u60");
            QVERIFY(!offThread);
        }
        // Destruction stops the source and joins the thread.
        QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 0);
    }

    void withoutAccess()
    {
        int attempts = 0;
        KeyboardMonitor monitor([](KeyEvent) {}, [&]() -> std::unique_ptr<KeySource> {
            ++attempts;
            return nullptr;
        });
        QVERIFY(!monitor.start());
        QVERIFY(!monitor.start());
        QCOMPARE(attempts, 2); // every call tries again
        QVERIFY(!monitor.isListening());
        QVERIFY(monitor.sourceName().empty());
        QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 0);
    }

    void accessRuleWithoutKeyboardOrDisplay_data()
    {
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no X display") << false << "no X11 display";
        QTest::newRow("Wayland session") << true << "Wayland";
    }
    void accessRuleWithoutKeyboardOrDisplay()
    {
        QFETCH(bool, wayland);
        QFETCH(QString, reason);
        QTemporaryDir empty;
        const KeyboardAccess::Environment env{empty.path().toStdString(), "", wayland};
        const auto result = KeyboardAccess::check(env);
        QVERIFY(!result.canListen);
        QVERIFY2(QString::fromStdString(result.reason).contains("no keyboard device under " + empty.path()),
                 result.reason.c_str());
        QVERIFY2(QString::fromStdString(result.reason).contains(reason), result.reason.c_str());

        KeyboardMonitor monitor([](KeyEvent) {}, [&] { return KeyboardAccess::openSource(env); });
        QVERIFY(!monitor.start());
        QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 0);
    }

    void environmentFromProcess()
    {
        qputenv("DISPLAY", ":42");
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("XDG_SESSION_TYPE", "x11");
        auto env = KeyboardAccess::Environment::fromProcess();
        QCOMPARE(env.display, std::string(":42"));
        QCOMPARE(env.deviceDir, std::string("/dev/input"));
        QVERIFY(!env.waylandSession);
        qputenv("XDG_SESSION_TYPE", "wayland");
        QVERIFY(KeyboardAccess::Environment::fromProcess().waylandSession);
        qputenv("XDG_SESSION_TYPE", "tty");
        qputenv("WAYLAND_DISPLAY", "wayland-0");
        QVERIFY(KeyboardAccess::Environment::fromProcess().waylandSession);
    }
};

QTEST_GUILESS_MAIN(TestKeyboardMonitor)
#include "tst_keyboardmonitor.moc"
