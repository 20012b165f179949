#include "tests/support/MockLogind.h"
#include "app/SessionWatcher.h"
#include "tests/support/TestServers.h"

#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace plinkum;

// Whether keys may be heard: dbusmock's logind and screen savers on private buses, Xvfb, a hung bus.
class TestSessionWatcher : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<TestServers::MockLogind> m_logind;
    std::unique_ptr<TestServers::PrivateBus> m_sessionBus;

private slots:
    void initTestCase()
    {
        m_logind = std::make_unique<TestServers::MockLogind>(m_dir.path());
        m_sessionBus = std::make_unique<TestServers::PrivateBus>(m_dir.path(), QStringLiteral("session"));
        if (!m_logind->start() || !m_sessionBus->start())
            QSKIP("dbus-daemon and python3-dbusmock are needed (tools/install-deps.sh installs them)");
        for (const char *id : {"c1", "c2", "c3"})
            QVERIFY(m_logind->addSession(QString::fromLatin1(id), true));
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_logind->address().toUtf8());
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_sessionBus->address().toUtf8());
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
    }

    // $XDG_SESSION_ID, the process's session, the display session: the first known is followed; none, keys allowed.
    void findsTheSession_data()
    {
        QTest::addColumn<QStringList>("sessions");
        QTest::addColumn<QString>("found");
        QTest::newRow("XDG_SESSION_ID") << QStringList{"c1", "c2", "c3"} << "c1";
        QTest::newRow("the process's session") << QStringList{"", "c2", "c3"} << "c2";
        QTest::newRow("unknown XDG_SESSION_ID") << QStringList{"c9", "c2", "c3"} << "c2";
        QTest::newRow("the user's display session") << QStringList{"", "", "c3"} << "c3";
        QTest::newRow("none") << QStringList{"", "", ""} << "";
    }
    void findsTheSession()
    {
        QFETCH(QStringList, sessions);
        QFETCH(QString, found);
        qputenv("XDG_SESSION_ID", sessions[0].toUtf8());
        QVERIFY(m_logind->setProcessSession(sessions[1]) && m_logind->setDisplaySession(sessions[2]));
        SessionWatcher watcher;
        QTRY_COMPARE(watcher.sessionPath(), found.isEmpty() ? QString() : TestServers::MockLogind::sessionPath(found));
        QVERIFY(watcher.isAllowed());
        if (found.isEmpty())
            return;

        // Followed: locked or in the background is not allowed, both must be undone.
        QSignalSpy changed(&watcher, &SessionWatcher::allowedChanged);
        QVERIFY(m_logind->setLocked(found, true));
        QTRY_COMPARE(changed.count(), 1);
        QVERIFY(m_logind->setActive(found, false) && m_logind->setLocked(found, false));
        QTest::qWait(100);
        QVERIFY(!watcher.isAllowed());
        QVERIFY(m_logind->setActive(found, true));
        QTRY_VERIFY(watcher.isAllowed());
        QCOMPARE(changed.count(), 2);

        // Locked before the watcher starts: known from logind's first answer.
        QVERIFY(m_logind->setLocked(found, true));
        SessionWatcher later;
        QTRY_VERIFY(!later.isAllowed());
        QVERIFY(m_logind->setLocked(found, false));
    }

    // A screen saver active before the watcher starts, switched off and on; gone, it holds nothing.
    void followsScreenSavers_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("path");
        QTest::newRow("freedesktop (KDE, Xfce)") << "org.freedesktop.ScreenSaver" << "/org/freedesktop/ScreenSaver";
        QTest::newRow("GNOME") << "org.gnome.ScreenSaver" << "/org/gnome/ScreenSaver";
    }
    void followsScreenSavers()
    {
        QFETCH(QString, service);
        QFETCH(QString, path);
        qunsetenv("XDG_SESSION_ID");
        const int mock = m_sessionBus->startMock(service, {service, path, service});
        QVERIFY(mock >= 0);
        const auto setActive = [&](bool active) {
            return m_sessionBus->call(service, path, "org.freedesktop.DBus.Mock", "AddMethod",
                                      {service, QStringLiteral("GetActive"), QString(), QStringLiteral("b"),
                                       QStringLiteral("ret = %1").arg(active ? "True" : "False")})
                && m_sessionBus->call(service, path, "org.freedesktop.DBus.Mock", "EmitSignal",
                                      {service, QStringLiteral("ActiveChanged"), QStringLiteral("b"), QVariantList{active}});
        };
        QVERIFY(setActive(true));
        SessionWatcher watcher;
        QTRY_VERIFY(!watcher.isAllowed());
        for (const bool active : {false, true, false, true}) {
            QVERIFY(setActive(active));
            QTRY_COMPARE(watcher.isAllowed(), !active);
        }
        m_sessionBus->stopMock(mock);
        QTRY_VERIFY(watcher.isAllowed());
    }

    // The X server's screen saver, switched on and off as its timeout and a key would.
    void followsTheXScreenSaver()
    {
        TestServers::Xvfb xvfb;
        const QString display = xvfb.start();
        if (display.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("xset")).isEmpty())
            QSKIP("Xvfb and xset are needed (tools/install-deps.sh installs them)");
        qputenv("DISPLAY", display.toUtf8());
        const auto restore = qScopeGuard([] { qunsetenv("DISPLAY"); });
        SessionWatcher watcher;
        QVERIFY(watcher.isAllowed());
        for (const char *action : {"activate", "reset"}) {
            QCOMPARE(QProcess::execute(QStringLiteral("xset"), {QStringLiteral("s"), QString::fromLatin1(action)}), 0);
            QTRY_COMPARE(watcher.isAllowed(), action == std::string_view("reset"));
        }
    }

    // A system bus that never answers holds nothing up; a real one that comes (and comes back) later is found.
    void survivesAHungAndRestartedSystemBus()
    {
        qputenv("XDG_SESSION_ID", "c1");
        m_logind->stop();
        const QString socket = QString(m_logind->address()).remove(QStringLiteral("unix:path="));
        QLocalServer::removeServer(socket);
        QLocalServer hung;
        QVERIFY(hung.listen(socket));
        SessionWatcher watcher;
        QVERIFY(watcher.isAllowed());
        const QString service = QStringLiteral("org.gnome.ScreenSaver");
        const int mock = m_sessionBus->startMock(service, {QStringLiteral("--template"), QStringLiteral("gnome_screensaver")});
        QVERIFY(mock >= 0 && m_sessionBus->call(service, "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "SetActive", {true}));
        QTRY_VERIFY(!watcher.isAllowed());
        m_sessionBus->stopMock(mock);
        QTRY_VERIFY(watcher.isAllowed());
        hung.close();
        for (const bool locked : {true, false}) {
            m_logind->stop();
            QVERIFY(m_logind->start() && m_logind->addSession(QStringLiteral("c1"), true));
            QVERIFY(m_logind->setLocked(QStringLiteral("c1"), locked));
            QTRY_COMPARE_WITH_TIMEOUT(watcher.isAllowed(), !locked, 20000);
        }
    }
};

QTEST_GUILESS_MAIN(TestSessionWatcher)
#include "tst_sessionwatcher.moc"
