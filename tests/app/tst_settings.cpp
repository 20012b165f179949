#include "Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace plinkum;

class TestSettings : public QObject {
    Q_OBJECT

private:
    QString writeFile(const QByteArray &content)
    {
        const QString path = m_dir->filePath(QStringLiteral("Plinkum/Plinkum.conf"));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(content);
        return path;
    }

    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void defaultsWhenEmpty()
    {
        Settings settings(m_dir->filePath(QStringLiteral("missing/Plinkum.conf")));
        settings.registerDefaults();
        QCOMPARE(settings.boolValue(Settings::enabledKey), true);
        QCOMPARE(settings.doubleValue(Settings::volumeKey, 0, 1), 0.6);
        QCOMPARE(settings.boolValue(Settings::playKeyUpKey), true);
        QCOMPARE(settings.boolValue(Settings::stereoKey), true);
        QCOMPARE(settings.boolValue(Settings::pitchVariationKey), true);
        QCOMPARE(settings.boolValue(Settings::builtInSpeakersKey), true);
        QCOMPARE(settings.stringValue(Settings::selectedPackKey), QStringLiteral("bundle:mx-brown-pbt"));
        // Not registered: reads false.
        QCOMPARE(settings.boolValue(Settings::onboardingOpenKey), false);
        // Registering writes nothing.
        QVERIFY(!QFile::exists(settings.path()));
    }

    void damagedValues_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<double>("volume");
        QTest::addColumn<QString>("pack");

        const QString pack = QStringLiteral("bundle:mx-brown-pbt");
        QTest::newRow("words") << QByteArray("[General]\nenabled=maybe\nvolume=loud\n") << true << 0.6 << pack;
        QTest::newRow("too loud") << QByteArray("[General]\nvolume=3.5\n") << true << 1.0 << pack;
        QTest::newRow("negative") << QByteArray("[General]\nvolume=-2\n") << true << 0.0 << pack;
        QTest::newRow("not a number") << QByteArray("[General]\nvolume=nan\nenabled=0\n") << false << 0.6 << pack;
        QTest::newRow("infinite") << QByteArray("[General]\nvolume=inf\n") << true << 0.6 << pack;
        QTest::newRow("a list where text belongs") << QByteArray("[General]\nselectedPack=a, b\n") << true << 0.6 << pack;
        QTest::newRow("binary garbage") << QByteArray("\x00\xff\xfe[[[\n=\x01\x02\nvolume\n", 18) << true << 0.6 << pack;
        QTest::newRow("hand-written") << QByteArray("[General]\nenabled = FALSE \nvolume = 0.30\nselectedPack=folder:Blue Box\n")
                                      << false << 0.3 << QStringLiteral("folder:Blue Box");
    }

    void damagedValues()
    {
        QFETCH(QByteArray, content);
        Settings settings(writeFile(content));
        settings.registerDefaults();
        QTEST(settings.boolValue(Settings::enabledKey), "enabled");
        QTEST(settings.doubleValue(Settings::volumeKey, 0, 1), "volume");
        QTEST(settings.stringValue(Settings::selectedPackKey), "pack");
    }

    void damagedFileIsReplacedOnTheNextWrite()
    {
        const QString path = writeFile(QByteArray("\x00\xff\xfe[[[\n=\x01\x02\nvolume\n", 18));
        {
            Settings settings(path);
            settings.registerDefaults();
            QVERIFY(settings.setBool(Settings::stereoKey, false));
        }
        Settings again(path);
        again.registerDefaults();
        QCOMPARE(again.boolValue(Settings::stereoKey), false);
        QCOMPARE(again.doubleValue(Settings::volumeKey, 0, 1), 0.6);
    }

    void roundTripThroughTheFile()
    {
        const QString path = m_dir->filePath(QStringLiteral("Plinkum/Plinkum.conf"));
        {
            Settings settings(path);
            settings.registerDefaults();
            QVERIFY(settings.setBool(Settings::stereoKey, false));
            QVERIFY(settings.setDouble(Settings::volumeKey, 0.25));
            QVERIFY(settings.setString(Settings::selectedPackKey, QStringLiteral("folder:Blue, Box \"2\"")));
            QVERIFY(settings.setBool(Settings::onboardingOpenKey, true));
        }
        // An independent reader of the file sees the typed values.
        QSettings raw(path, QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("stereo")).toString(), QStringLiteral("false"));
        QCOMPARE(raw.value(QStringLiteral("volume")).toDouble(), 0.25);
        QCOMPARE(raw.value(QStringLiteral("selectedPack")).toString(), QStringLiteral("folder:Blue, Box \"2\""));

        Settings again(path);
        again.registerDefaults();
        QCOMPARE(again.boolValue(Settings::stereoKey), false);
        QCOMPARE(again.doubleValue(Settings::volumeKey, 0, 1), 0.25);
        QCOMPARE(again.stringValue(Settings::selectedPackKey), QStringLiteral("folder:Blue, Box \"2\""));
        QCOMPARE(again.boolValue(Settings::onboardingOpenKey), true);
    }

    void writtenAtOnceWithoutDestruction()
    {
        const QString path = m_dir->filePath(QStringLiteral("Plinkum/Plinkum.conf"));
        Settings settings(path);
        settings.registerDefaults();
        settings.setBool(Settings::playKeyUpKey, false);
        // Still alive, no event loop ran: the value must already be in the file.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("playKeyUp=false"));
    }

    void unwritableStoreStillReads()
    {
        // The store's folder is a file: nothing can be written, and nothing crashes.
        writeFile("x");
        const QString path = m_dir->filePath(QStringLiteral("Plinkum/Plinkum.conf/inner.conf"));
        Settings settings(path);
        settings.registerDefaults();
        QVERIFY(!settings.setBool(Settings::enabledKey, false));
        QCOMPARE(settings.doubleValue(Settings::volumeKey, 0, 1), 0.6);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
