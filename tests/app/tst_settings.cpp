#include "Settings.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace plinkum;

class TestSettings : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    const QString m_path = m_dir.filePath(QStringLiteral("Plinkum/Plinkum.conf"));

    void writeFile(const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

private slots:
    void cleanup() { QFile::remove(m_path); }

    void damagedValues_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<double>("volume");
        QTest::addColumn<QString>("pack");

        const QString pack = QStringLiteral("bundle:mx-brown-pbt");
        QTest::newRow("missing") << QByteArray() << true << 0.6 << pack;
        QTest::newRow("words") << QByteArray("[General]\nenabled=maybe\nvolume=loud\n") << true << 0.6 << pack;
        QTest::newRow("too loud") << QByteArray("[General]\nvolume=3.5\n") << true << 1.0 << pack;
        QTest::newRow("negative") << QByteArray("[General]\nvolume=-2\n") << true << 0.0 << pack;
        QTest::newRow("not a number") << QByteArray("[General]\nvolume=nan\nenabled=0\n") << false << 0.6 << pack;
        QTest::newRow("a list where text belongs") << QByteArray("[General]\nselectedPack=a, b\n") << true << 0.6 << pack;
        QTest::newRow("binary garbage") << QByteArray("\x00\xff\xfe[[[\n=\x01\x02\nvolume\n", 18) << true << 0.6 << pack;
        QTest::newRow("hand-written") << QByteArray("[General]\nenabled = FALSE \nvolume = 0.30\nselectedPack=folder:Blue Box\n")
                                      << false << 0.3 << QStringLiteral("folder:Blue Box");
    }

    // Whatever the file holds, reading gives sane values and the next write still lands.
    void damagedValues()
    {
        QFETCH(QByteArray, content);
        if (!content.isEmpty())
            writeFile(content);
        Settings settings(m_path);
        settings.registerDefaults();
        QTEST(settings.boolValue(Settings::enabledKey), "enabled");
        QTEST(settings.doubleValue(Settings::volumeKey, 0, 1), "volume");
        QTEST(settings.stringValue(Settings::selectedPackKey), "pack");

        QVERIFY(settings.setBool(Settings::stereoKey, false));
        Settings again(m_path);
        again.registerDefaults();
        QCOMPARE(again.boolValue(Settings::stereoKey), false);
        QTEST(again.doubleValue(Settings::volumeKey, 0, 1), "volume");
    }

    void textSurvivesTheFile()
    {
        const QString name = QStringLiteral("folder:Blue, Box \"2\"");
        QVERIFY(Settings(m_path).setString(Settings::selectedPackKey, name));
        QCOMPARE(QSettings(m_path, QSettings::IniFormat).value(QStringLiteral("selectedPack")).toString(), name);
        QCOMPARE(Settings(m_path).stringValue(Settings::selectedPackKey), name);
    }

    void unwritableStoreStillReads()
    {
        // The store's folder is a file: nothing can be written, and nothing crashes.
        writeFile("x");
        Settings settings(m_path + QStringLiteral("/inner.conf"));
        settings.registerDefaults();
        QVERIFY(!settings.setBool(Settings::enabledKey, false));
        QCOMPARE(settings.doubleValue(Settings::volumeKey, 0, 1), 0.6);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
