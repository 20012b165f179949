#include "LoginItem.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace plinkum;

class TestLoginItem : public QObject {
    Q_OBJECT

private:
    static QByteArray read(const QString &path)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

private slots:
    void registerWritesAnAutostartEntry()
    {
        QTemporaryDir dir;
        LoginItem item(dir.filePath(QStringLiteral("autostart/plinkum.desktop")), QStringLiteral("/opt/Plinkum 1/plinkum"));
        QVERIFY(!item.isRegistered());
        QCOMPARE(item.setRegistered(true), std::nullopt);
        QVERIFY(item.isRegistered());
        const QByteArray entry = read(item.path());
        QVERIFY(entry.startsWith("[Desktop Entry]\n"));
        QVERIFY(entry.contains("\nType=Application\n"));
        QVERIFY(entry.contains("\nExec=\"/opt/Plinkum 1/plinkum\"\n"));
        QVERIFY(!entry.contains("Hidden"));

        QCOMPARE(item.setRegistered(false), std::nullopt);
        QVERIFY(!QFile::exists(item.path()));
        QVERIFY(!item.isRegistered());
        // Unregistering twice is not a failure.
        QCOMPARE(item.setRegistered(false), std::nullopt);
    }

    void execSurvivesAShell_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::newRow("plain") << QStringLiteral("bin");
        QTest::newRow("quotes and dollars") << QStringLiteral("a \"b\" $HOME `x`");
        QTest::newRow("backslash and percent") << QStringLiteral("c\\d 100%");
    }

    // Desktop launchers unescape Exec= the way this does: string escapes, then shell-like quoting.
    void execSurvivesAShell()
    {
        QFETCH(QString, folderName);
        QTemporaryDir dir;
        const QString executable = dir.filePath(folderName + QStringLiteral("/plinkum"));
        LoginItem item(dir.filePath(QStringLiteral("plinkum.desktop")), executable);
        QCOMPARE(item.setRegistered(true), std::nullopt);
        QByteArray exec;
        for (const QByteArray &line : read(item.path()).split('\n'))
            if (line.startsWith("Exec="))
                exec = line.mid(5);
        exec.replace("\\\\", "\\").replace("%%", "%");
        QProcess shell;
        shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("printf %s ") + QString::fromUtf8(exec)});
        QVERIFY(shell.waitForFinished());
        QCOMPARE(QString::fromUtf8(shell.readAllStandardOutput()), executable);
    }

    void disabledEntriesDoNotCount_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("registered");
        QTest::newRow("plain") << QByteArray("[Desktop Entry]\nType=Application\nExec=plinkum\n") << true;
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nExec=plinkum\nHidden=true\n") << false;
        QTest::newRow("gnome disabled") << QByteArray("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n") << false;
        QTest::newRow("hidden elsewhere") << QByteArray("[Desktop Entry]\nExec=plinkum\n[Desktop Action x]\nHidden=true\n") << true;
    }

    void disabledEntriesDoNotCount()
    {
        QFETCH(QByteArray, entry);
        QTemporaryDir dir;
        LoginItem item(dir.filePath(QStringLiteral("plinkum.desktop")), QStringLiteral("/usr/bin/plinkum"));
        QFile file(item.path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(entry);
        file.close();
        QTEST(item.isRegistered(), "registered");
    }

    void failureIsDescribed()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("autostart")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        LoginItem item(dir.filePath(QStringLiteral("autostart/plinkum.desktop")), QStringLiteral("/usr/bin/plinkum"));
        const auto error = item.setRegistered(true);
        QVERIFY(error.has_value());
        QVERIFY(!error->isEmpty());
        QVERIFY(!item.isRegistered());
    }
};

QTEST_GUILESS_MAIN(TestLoginItem)
#include "tst_loginitem.moc"
