#include "MockLogind.h"
#include "SessionWatcher.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace plinkum;

// Finding and following the login session, against python3-dbusmock's logind on a private bus.
class TestSessionWatcher : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TestServers::MockLogind> m_logind;

    QDBusConnection bus() const { return QDBusConnection::connectToBus(m_logind->address(), QStringLiteral("watched")); }

private slots:
    void initTestCase()
    {
        m_logind = std::make_unique<TestServers::MockLogind>(m_dir.path());
        if (!m_logind->start())
            QSKIP("dbus-daemon and python3-dbusmock are needed (tools/install-deps.sh installs them)");
        for (const char *id : {"c1", "c2", "c3"})
            QVERIFY(m_logind->addSession(QString::fromLatin1(id), true));
    }

    void cleanup() { QDBusConnection::disconnectFromBus(QStringLiteral("watched")); }

    // Where the session is found, in order: $XDG_SESSION_ID, the process's session, the user's
    // display session. None found: nothing to follow, keys allowed.
    void findsTheSession_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("processSession");
        QTest::addColumn<QString>("displaySession");
        QTest::addColumn<QString>("found");
        QTest::newRow("XDG_SESSION_ID") << "c1" << "c2" << "c3" << "c1";
        QTest::newRow("the process's session") << "" << "c2" << "c3" << "c2";
        QTest::newRow("unknown XDG_SESSION_ID") << "c9" << "c2" << "c3" << "c2";
        QTest::newRow("the user's display session") << "" << "" << "c3" << "c3";
        QTest::newRow("none") << "" << "" << "" << "";
    }

    void findsTheSession()
    {
        QFETCH(QString, variable);
        QFETCH(QString, processSession);
        QFETCH(QString, displaySession);
        QFETCH(QString, found);
        qputenv("XDG_SESSION_ID", variable.toUtf8());
        QVERIFY(m_logind->setProcessSession(processSession));
        QVERIFY(m_logind->setDisplaySession(displaySession));
        SessionWatcher watcher(bus());
        QCOMPARE(watcher.sessionPath(), found.isEmpty() ? QString() : TestServers::MockLogind::sessionPath(found));
        QVERIFY(watcher.isAllowed());
        if (found.isEmpty())
            return;

        // Followed: locked or in the background is not allowed, both must be undone.
        QSignalSpy changed(&watcher, &SessionWatcher::allowedChanged);
        QVERIFY(m_logind->setLocked(found, true));
        QTRY_COMPARE(changed.count(), 1);
        QVERIFY(m_logind->setActive(found, false));
        QVERIFY(m_logind->setLocked(found, false));
        QTest::qWait(100);
        QVERIFY(!watcher.isAllowed());
        QVERIFY(m_logind->setActive(found, true));
        QTRY_VERIFY(watcher.isAllowed());
        QCOMPARE(changed.count(), 2);
    }

    // A watcher starting while the session is locked knows it at once.
    void startsLocked()
    {
        qputenv("XDG_SESSION_ID", "c1");
        QVERIFY(m_logind->setLocked(QStringLiteral("c1"), true));
        SessionWatcher watcher(bus());
        QVERIFY(!watcher.isAllowed());
        QVERIFY(m_logind->setLocked(QStringLiteral("c1"), false));
    }
};

QTEST_GUILESS_MAIN(TestSessionWatcher)
#include "tst_sessionwatcher.moc"
