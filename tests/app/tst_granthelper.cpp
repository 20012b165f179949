#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <sys/stat.h>

class TestGrantHelper : public QObject {
    Q_OBJECT

private:
    const QString m_dir = QStringLiteral(GRANT_DIR);
    const QString m_rule = m_dir + QStringLiteral("/rules.d/70-plinkum-keyboard-access.rules");

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

    int runHelper(const QStringList &arguments = {})
    {
        QProcess helper;
        helper.start(QStringLiteral(GRANT_HELPER), arguments);
        helper.waitForFinished();
        return helper.exitStatus() == QProcess::NormalExit ? helper.exitCode() : -1;
    }

private slots:
    void init()
    {
        QDir(m_dir + QStringLiteral("/rules.d")).removeRecursively();
        QDir().mkpath(m_dir + QStringLiteral("/rules.d"));
        QFile::remove(m_dir + QStringLiteral("/udevadm.log"));
        QFile::remove(m_dir + QStringLiteral("/fail-trigger"));
    }

    void installsTheRuleAndReappliesUdev()
    {
        QCOMPARE(runHelper(), 0);
        QCOMPARE(read(m_rule), read(QStringLiteral(PLINKUM_SOURCE_DIR "/app/data/70-plinkum-keyboard-access.rules")));
        struct stat info {};
        QCOMPARE(stat(QFile::encodeName(m_rule).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0644));
        QCOMPARE(read(m_dir + QStringLiteral("/udevadm.log")),
                 QByteArray("control --reload\n"
                            "trigger --action=change --subsystem-match=input --property-match=ID_INPUT_KEYBOARD=1\n"
                            "settle --timeout=5\n"));
        // Running it again changes nothing and leaves no temporary files.
        QCOMPARE(runHelper(), 0);
        QCOMPARE(QDir(m_dir + QStringLiteral("/rules.d")).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void refusesArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("a path") << QStringList{QStringLiteral("/etc/passwd")};
        QTest::newRow("empty") << QStringList{QString()};
    }

    void refusesArguments()
    {
        QFETCH(QStringList, arguments);
        QCOMPARE(runHelper(arguments), 2);
        QVERIFY(!QFile::exists(m_rule));
        QVERIFY(!QFile::exists(m_dir + QStringLiteral("/udevadm.log")));
    }

    void replacesALinkInsteadOfFollowingIt()
    {
        const QString victim = m_dir + QStringLiteral("/victim");
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
        file.close();
        QVERIFY(QFile::link(victim, m_rule));
        QCOMPARE(runHelper(), 0);
        QCOMPARE(read(victim), QByteArray("keep me"));
        QVERIFY(!QFileInfo(m_rule).isSymLink());
        QFile::remove(victim);
    }

    void reportsAFailedTrigger()
    {
        QFile marker(m_dir + QStringLiteral("/fail-trigger"));
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        QCOMPARE(runHelper(), 3);
        QVERIFY(QFile::exists(m_rule));
    }
};

QTEST_GUILESS_MAIN(TestGrantHelper)
#include "tst_granthelper.moc"
