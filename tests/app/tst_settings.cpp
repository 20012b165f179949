#include "tests/support/AppTestSupport.h"
#include "app/LoginItem.h"
#include "app/Settings.h"

#include <QProcess>
#include <QSettings>
#include <QtTest>

#include <csignal>

using namespace plinkum;

Q_DECLARE_METATYPE(Settings::Key)

class TestSettings : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    const QString m_path = m_dir.filePath(QStringLiteral("Plinkum/Plinkum.conf"));

    static QString readInAnotherProcess(const QString &settingsPath)
    {
        return QString::fromUtf8(TestPacks::run(QStringLiteral(PROBE), {QStringLiteral("read"), settingsPath}).out);
    }

private slots:
    void cleanup() { QFile::remove(m_path); }

    // The one table every read and every write goes through.
    void validation_data()
    {
        QTest::addColumn<Settings::Key>("key");
        QTest::addColumn<QVariant>("given");
        QTest::addColumn<QVariant>("valid"); // invalid: ignored on a write, the default on a read
        using Key = Settings::Key;
        QTest::newRow("boolean spelled by hand") << Key::Enabled << QVariant(" FALSE ") << QVariant(false);
        QTest::newRow("boolean as a digit") << Key::PlayKeyUp << QVariant("1") << QVariant(true);
        QTest::newRow("boolean damaged") << Key::Enabled << QVariant("yes") << QVariant();
        QTest::newRow("volume too loud") << Key::Volume << QVariant(3.5) << QVariant(1.0);
        QTest::newRow("volume negative, as text") << Key::Volume << QVariant("-2") << QVariant(0.0);
        QTest::newRow("volume hand-written") << Key::Volume << QVariant(" 0.30 ") << QVariant(0.3);
        QTest::newRow("volume not a number") << Key::Volume << QVariant(qQNaN()) << QVariant();
        QTest::newRow("volume infinite") << Key::Volume << QVariant("inf") << QVariant();
        QTest::newRow("text") << Key::SelectedPack << QVariant("folder:Blue Box") << QVariant("folder:Blue Box");
        QTest::newRow("a list where text belongs") << Key::SelectedPack << QVariant(QStringList{"a", "b"}) << QVariant();
        QTest::newRow("known shortcut") << Key::MuteShortcut << QVariant("off") << QVariant("off");
        QTest::newRow("unknown shortcut") << Key::MuteShortcut << QVariant("sometimes") << QVariant();
        QTest::newRow("nothing") << Key::OnboardingOpen << QVariant() << QVariant();
        QTest::newRow("click volume too loud") << Key::MouseVolume << QVariant("1.5") << QVariant(1.0);
    }
    void validation()
    {
        QFETCH(Settings::Key, key);
        QFETCH(QVariant, given);
        QTEST(Settings::validated(key, given), "valid");
    }

    // Whatever the file holds, reading gives sane values and the next write still lands.
    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<double>("volume");
        QTest::addColumn<QString>("pack");
        const QString pack = QStringLiteral("bundle:mx-brown-pbt");
        QTest::newRow("missing") << QByteArray() << 0.6 << pack;
        QTest::newRow("a list where text belongs") << QByteArray("[General]\nselectedPack=a, b\n") << 0.6 << pack;
        QTest::newRow("binary garbage") << QByteArray("\x00\xff\xfe[[[\n=\x01\x02\nvolume\n", 18) << 0.6 << pack;
        QTest::newRow("hand-written") << QByteArray("[General]\nvolume = 0.30\nselectedPack=folder:Blue Box\n")
                                      << 0.3 << QStringLiteral("folder:Blue Box");
    }
    void damagedFiles()
    {
        QFETCH(QByteArray, content);
        if (!content.isEmpty())
            QVERIFY(TestPacks::writeText(m_path, content));
        Settings settings(m_path);
        QTEST(settings.value(Settings::Key::Volume).toDouble(), "volume");
        QTEST(settings.value(Settings::Key::SelectedPack).toString(), "pack");
        QVERIFY(settings.store(Settings::Key::Stereo, false));
        Settings again(m_path);
        QCOMPARE(again.value(Settings::Key::Stereo), QVariant(false));
        QTEST(again.value(Settings::Key::Volume).toDouble(), "volume");
    }

    void textSurvivesTheFile()
    {
        const QString name = QStringLiteral("folder:Blue, Box \"2\"");
        QVERIFY(Settings(m_path).store(Settings::Key::SelectedPack, name));
        QCOMPARE(QSettings(m_path, QSettings::IniFormat).value(QStringLiteral("selectedPack")).toString(), name);
        QCOMPARE(Settings(m_path).value(Settings::Key::SelectedPack).toString(), name);
    }

    void unwritableStoreStillReads()
    {
        // The store's folder is a file: nothing can be written, and nothing crashes.
        QVERIFY(TestPacks::writeText(m_path, "x"));
        Settings settings(m_path + QStringLiteral("/inner.conf"));
        QVERIFY(!settings.store(Settings::Key::Enabled, false));
        QCOMPARE(settings.value(Settings::Key::Volume).toDouble(), 0.6);
    }

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
        QTest::newRow("muteShortcut") << "muteShortcut" << "off" << "muteShortcut=off";
    }

    // Another process reads a changed setting while the writer runs, and after it was SIGKILLed.
    void eachChangeIsOnDiskAtOnce()
    {
        QFETCH(QString, property);
        QFETCH(QString, value);
        QFETCH(QString, line);
        AppTestSupport::Folders folders;
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

    // The autostart entry; launchers unescape Exec= as this does (string escapes, then shell quoting).
    void registerAndUnregister()
    {
        QTemporaryDir dir;
        const QString executable = dir.filePath(QStringLiteral("a \"b\" $HOME `x` c\\d 100%/plinkum"));
        LoginItem item(dir.filePath(QStringLiteral("autostart/plinkum.desktop")), executable);
        QVERIFY(!item.isRegistered());
        QCOMPARE(item.setRegistered(true), std::nullopt);
        QVERIFY(item.isRegistered());
        const QByteArray entry = TestPacks::readFile(item.path());
        QVERIFY(entry.startsWith("[Desktop Entry]\n") && entry.contains("\nType=Application\n"));
        QByteArray exec;
        for (const QByteArray &line : entry.split('\n'))
            if (line.startsWith("Exec="))
                exec = line.mid(5);
        exec.replace("\\\\", "\\").replace("%%", "%");
        QProcess shell;
        shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("printf %s ") + QString::fromUtf8(exec)});
        QVERIFY(shell.waitForFinished());
        QCOMPARE(QString::fromUtf8(shell.readAllStandardOutput()), executable);

        QCOMPARE(item.setRegistered(false), std::nullopt);
        QVERIFY(!item.isRegistered());
        QCOMPARE(item.setRegistered(false), std::nullopt); // twice is not a failure
    }

    // Only an enabled entry that starts this executable counts; registering replaces any other.
    void entriesThatDoNotStartPlinkumDoNotCount_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("registered");
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nExec=EXE\nHidden=true\n") << false;
        QTest::newRow("gnome disabled") << QByteArray("[Desktop Entry]\nExec=EXE\nX-GNOME-Autostart-enabled=false\n") << false;
        QTest::newRow("hidden elsewhere") << QByteArray("[Desktop Entry]\nExec=EXE\n[Desktop Action x]\nHidden=true\n") << true;
        QTest::newRow("quoted, with an option") << QByteArray("[Desktop Entry]\nExec=\"EXE\" --headless\n") << true;
        QTest::newRow("through a link") << QByteArray("[Desktop Entry]\nExec=LINK\n") << true;
        QTest::newRow("a moved install") << QByteArray("[Desktop Entry]\nExec=/opt/old/bin/plinkum\n") << false;
        QTest::newRow("no Exec") << QByteArray("[Desktop Entry]\nType=Application\n") << false;
        QTest::newRow("Exec of another section") << QByteArray("[Desktop Action x]\nExec=EXE\n") << false;
    }
    void entriesThatDoNotStartPlinkumDoNotCount()
    {
        QFETCH(QByteArray, entry);
        QTemporaryDir dir;
        const QString executable = dir.filePath(QStringLiteral("bin/plinkum"));
        TestPacks::writeText(executable, "#!/bin/sh\n");
        QVERIFY(QFile::link(executable, dir.filePath(QStringLiteral("link"))));
        LoginItem item(dir.filePath(QStringLiteral("plinkum.desktop")), executable);
        TestPacks::writeText(item.path(), entry.replace("EXE", executable.toUtf8()).replace("LINK", dir.filePath(QStringLiteral("link")).toUtf8()));
        QTEST(item.isRegistered(), "registered");

        QCOMPARE(item.setRegistered(true), std::nullopt);
        QVERIFY(item.isRegistered());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
