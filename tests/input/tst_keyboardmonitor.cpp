#include "EvdevKeySource.h"
#include "KeyboardAccess.h"
#include "KeyboardMonitor.h"

#include "InputTestSupport.h"

using namespace plinkum;

class TestKeyboardMonitor : public QObject {
    Q_OBJECT

private slots:
    // The event rules. Input: "D<code>" down, "R<code>" auto-repeated down, "U<code>" up,
    // "F<code>" flags changed.
    void rules_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("delivered");
        QTest::newRow("held key: repeats dropped") << "D0 R0 R0 U0" << "d0 u0";
        QTest::newRow("down while pressed delivers nothing") << "D0 D0 U0 D0" << "d0 u0 d0";
        QTest::newRow("repeat without a down delivers nothing") << "R0 D11" << "d11";
        QTest::newRow("unmatched up still delivered") << "U0 D65535 U65535 U65535" << "u0 d65535 u65535 u65535";
        QTest::newRow("left and right shift independent") << "F56 F60 F56 F60 F60" << "d56 d60 u56 u60 d60";
        QTest::newRow("modifier range ends") << "F54 F63 F54" << "d54 d63 u54";
        QTest::newRow("caps lock only ever down") << "F56 F57 F56 F57" << "d56 d57 u56 d57";
        QTest::newRow("flags change of a non-modifier ignored") << "F53 F64 F0" << "";
    }
    void rules()
    {
        QFETCH(QString, input);
        QFETCH(QString, delivered);
        test::Recorder events;
        KeyEventFilter filter(events.handler());
        for (const QString &step : input.split(' ')) {
            const auto code = static_cast<KeyCode>(step.mid(1).toUInt());
            switch (step.at(0).toLatin1()) {
            case 'D': filter.handleKeyDown(code, false); break;
            case 'R': filter.handleKeyDown(code, true); break;
            case 'U': filter.handleKeyUp(code); break;
            case 'F': filter.handleFlagsChanged(code); break;
            }
        }
        QCOMPARE(events.text(), delivered);
    }

    void startTwiceListensOnce()
    {
        test::Pipe pipe;
        test::Recorder delivered;
        int opened = 0;
        {
            KeyboardMonitor monitor(delivered.handler(), [&] {
                ++opened;
                std::vector<UniqueFd> streams;
                streams.push_back(std::move(pipe.read));
                return EvdevKeySource::fromDescriptors(std::move(streams));
            });
            QVERIFY(monitor.start());
            QVERIFY(monitor.start());
            QCOMPARE(opened, 1);
            QCOMPARE(monitor.sourceName(), std::string_view("evdev"));
            QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 1);

            // The rules apply between source and handler, on the monitor thread.
            pipe.key(KEY_A, 1);
            pipe.key(KEY_A, 2);
            pipe.key(KEY_A, 0);
            pipe.key(KEY_CAPSLOCK, 1);
            pipe.key(KEY_CAPSLOCK, 0);
            QTRY_COMPARE(delivered.text(), "d0 u0 d57");
            QVERIFY(!delivered.offThread);
        }
        QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 0);
    }

    void withoutAccess()
    {
        QTemporaryDir empty;
        const KeyboardAccess::Environment env{empty.path().toStdString(), "", false};
        KeyboardMonitor monitor([](KeyEvent) {}, [&] { return KeyboardAccess::openSource(env); });
        QVERIFY(!monitor.start());
        QVERIFY(!monitor.start());
        QVERIFY(!monitor.isListening());
        QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 0);
    }

    void sessionFromEnvironment()
    {
        qputenv("DISPLAY", ":42");
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("XDG_SESSION_TYPE", "x11");
        const auto env = KeyboardAccess::Environment::fromProcess();
        QCOMPARE(env.display, std::string(":42"));
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
