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
    // Desktop launchers unescape Exec= the way this does: string escapes, then shell-like quoting.
    void registerAndUnregister()
    {
        QTemporaryDir dir;
        const QString executable = dir.filePath(QStringLiteral("a \"b\" $HOME `x` c\\d 100%/plinkum"));
        LoginItem item(dir.filePath(QStringLiteral("autostart/plinkum.desktop")), executable);
        QVERIFY(!item.isRegistered());
        QCOMPARE(item.setRegistered(true), std::nullopt);
        QVERIFY(item.isRegistered());
        const QByteArray entry = read(item.path());
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

    void disabledEntriesDoNotCount_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("registered");
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
};

QTEST_GUILESS_MAIN(TestLoginItem)
#include "tst_loginitem.moc"
