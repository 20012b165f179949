#include "AppTestSupport.h"

#include <QProcess>
#include <QtTest>

#include <csignal>

using namespace plinkum;
using namespace AppTestSupport;

class TestDurability : public QObject {
    Q_OBJECT

private:
    static QString readInAnotherProcess(const QString &settingsPath)
    {
        QProcess reader;
        reader.start(QStringLiteral(PROBE), {QStringLiteral("read"), settingsPath});
        reader.waitForFinished(10000);
        return QString::fromUtf8(reader.readAllStandardOutput());
    }

private slots:
    void eachChangeIsOnDiskAtOnce_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("line"); // as the other process reads it
        QTest::newRow("isEnabled") << "isEnabled" << "false" << "enabled=false";
        QTest::newRow("volume") << "volume" << "0.3" << "volume=0.3";
        QTest::newRow("playKeyUp") << "playKeyUp" << "false" << "playKeyUp=false";
        QTest::newRow("stereo") << "stereo" << "false" << "stereo=false";
        QTest::newRow("pitchVariation") << "pitchVariation" << "false" << "pitchVariation=false";
        QTest::newRow("builtInSpeakers") << "builtInSpeakers" << "false" << "builtInSpeakers=false";
        QTest::newRow("selectedPackID") << "selectedPackID" << "bundle:alpaca" << "selectedPack=bundle:alpaca";
    }

    // The writer changes one setting; another process reads it while the writer still runs and
    // holds the store open, and again after the writer was killed without any chance to flush.
    void eachChangeIsOnDiskAtOnce()
    {
        QFETCH(QString, property);
        QFETCH(QString, value);
        QFETCH(QString, line);
        Folders folders;
        QVERIFY(!readInAnotherProcess(folders.settings).contains(line));
        QProcess writer;
        writer.start(QStringLiteral(PROBE), {QStringLiteral("set"), folders.root.path(), property, value});
        QVERIFY(writer.waitForReadyRead(10000));
        QCOMPARE(writer.readLine(), QByteArray("set\n"));
        QVERIFY2(readInAnotherProcess(folders.settings).contains(line + u'\n'), qPrintable(line));
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished(5000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        QVERIFY2(readInAnotherProcess(folders.settings).contains(line + u'\n'), qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(TestDurability)
#include "tst_durability.moc"
