#include "SingleInstance.h"

#include <QFile>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace plinkum;

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void secondClaimAsksTheFirstToReopen()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("plinkum.socket"));
        SingleInstance first(name);
        QVERIFY(first.claim());
        QSignalSpy reopened(&first, &SingleInstance::reopenRequested);

        // The second one blocks while it asks, so it runs on another thread like another process.
        bool secondClaimed = true;
        QThread *asker = QThread::create([&] { secondClaimed = SingleInstance(name).claim(); });
        asker->start();
        QVERIFY(reopened.wait(5000));
        QVERIFY(asker->wait(5000));
        delete asker;
        QVERIFY(!secondClaimed);
        QCOMPARE(reopened.count(), 1);
    }

    void staleSocketOfAKilledInstanceIsTakenOver()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("plinkum.socket"));
        // A bound socket file with nobody listening, as a SIGKILLed instance leaves it.
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(name).constData(), sizeof address.sun_path);
        QCOMPARE(bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        close(fd);
        QVERIFY(QFile::exists(name));

        SingleInstance instance(name);
        QVERIFY(instance.claim());
    }

    void releaseLetsANewInstanceClaim()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("plinkum.socket"));
        SingleInstance first(name);
        QVERIFY(first.claim());
        QSignalSpy reopened(&first, &SingleInstance::reopenRequested);
        first.release();
        SingleInstance second(name);
        QVERIFY(second.claim());
        QCOMPARE(reopened.count(), 0);
    }

    void defaultNameIsPerUser()
    {
        QVERIFY(SingleInstance::defaultName().contains(QStringLiteral("plinkum-%1").arg(getuid())));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
