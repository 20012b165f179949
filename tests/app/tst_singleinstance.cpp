#include "SingleInstance.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace plinkum;

// The handover without a display; tst_lifecycle covers it between processes, and a killed owner.
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

        // Once released, the next one claims without asking anybody.
        first.release();
        QVERIFY(SingleInstance(name).claim());
        QCOMPARE(reopened.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
