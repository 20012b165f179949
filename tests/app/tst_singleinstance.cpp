#include "app/SingleInstance.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace plinkum;

// Without a runtime folder the socket goes to a shared folder where another user may squat the name.
class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void privateFolderIsOurs_data()
    {
        QTest::addColumn<QString>("squatter"); // what is at the name beforehand
        QTest::addColumn<bool>("usable");
        QTest::newRow("nothing") << "" << true;
        QTest::newRow("our folder, open to all") << "open" << true;
        QTest::newRow("a link to a folder of ours") << "link" << false;
        QTest::newRow("a file") << "file" << false;
        QTest::newRow("another user's folder") << "other" << false;
    }
    void privateFolderIsOurs()
    {
        QFETCH(QString, squatter);
        QFETCH(bool, usable);
        QTemporaryDir tmp;
        const QString folder = QStringLiteral("%1/plinkum-%2").arg(tmp.path()).arg(getuid());
        const QByteArray path = QFile::encodeName(folder);
        if (squatter == "open") {
            QVERIFY(QDir().mkdir(folder));
            QCOMPARE(::chmod(path.constData(), 0777), 0);
        } else if (squatter == "link") {
            QVERIFY(QDir().mkdir(tmp.path() + "/mine") && QFile::link(tmp.path() + "/mine", folder));
        } else if (squatter == "file") {
            QFile file(folder);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (squatter == "other") {
            if (getuid() != 0)
                QSKIP("making a folder of another user needs root");
            QVERIFY(QDir().mkdir(folder));
            QCOMPARE(::chmod(path.constData(), 0777), 0);
            QCOMPARE(::chown(path.constData(), 65534, 65534), 0);
        }
        const QString result = SingleInstance::privateTempFolder(tmp.path());
        QCOMPARE(result, usable ? folder : QString());
        struct stat status {};
        QCOMPARE(::lstat(path.constData(), &status), 0);
        if (usable) {
            QVERIFY(S_ISDIR(status.st_mode));
            QCOMPARE(status.st_mode & 07777, 0700u);
        } else if (squatter == "other") {
            QCOMPARE(status.st_mode & 07777, 0777u); // left as it was
        }

        // Without a private place the instance runs on its own rather than use the squatted one.
        SingleInstance instance(usable ? result + "/plinkum.socket" : QString());
        QVERIFY(instance.claim());
        if (usable)
            QVERIFY(QFileInfo::exists(result + "/plinkum.socket"));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
