#include "KeyboardAccessRequest.h"
#include "TestPacks.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace plinkum;

// Stands in for the desktop's URL opener.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

// Asking for keyboard access: the request that runs the grant helper through pkexec, and the
// helper itself, built to write into the build tree and to call a recording udevadm.
class TestKeyboardAccess : public QObject {
    Q_OBJECT

private:
    const QString m_dir = QStringLiteral(GRANT_DIR);
    const QString m_rule = m_dir + QStringLiteral("/rules.d/70-plinkum-keyboard-access.rules");

    static int runHelper(const QStringList &arguments = {})
    {
        return TestPacks::run(QStringLiteral(GRANT_HELPER), arguments).exitCode;
    }

    QTemporaryDir m_path;
    UrlCatcher m_catcher;
    QByteArray m_originalPath = qgetenv("PATH");

    // A pkexec that records its arguments and answers with `exitCode`.
    void fakePkexec(int exitCode)
    {
        const QString script = m_path.filePath(QStringLiteral("pkexec"));
        const QString text = QStringLiteral("#!/bin/sh\necho \"$@\" > '%1/called'\nexit %2\n").arg(m_path.path()).arg(exitCode);
        QVERIFY(TestPacks::writeText(script, text.toUtf8()));
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private slots:
    void initTestCase()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
        // Only the fake pkexec, when there is one, is found on this PATH; /bin keeps /bin/sh reachable.
        qputenv("PATH", m_path.path().toUtf8());
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        qputenv("PATH", m_originalPath);
    }

    void init()
    {
        QDir(m_dir + QStringLiteral("/rules.d")).removeRecursively();
        QDir().mkpath(m_dir + QStringLiteral("/rules.d"));
        QFile::remove(m_dir + QStringLiteral("/udevadm.log"));
        m_catcher.opened.clear();
        QFile::remove(m_path.filePath(QStringLiteral("pkexec")));
        QFile::remove(m_path.filePath(QStringLiteral("called")));
    }

    void installsTheRuleAndReappliesUdev()
    {
        QCOMPARE(runHelper(), 0);
        QCOMPARE(TestPacks::readFile(m_rule), TestPacks::readFile(QStringLiteral(PLINKUM_SOURCE_DIR "/app/data/70-plinkum-keyboard-access.rules")));
        struct stat info {};
        QCOMPARE(stat(QFile::encodeName(m_rule).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0644));
        QCOMPARE(TestPacks::readFile(m_dir + QStringLiteral("/udevadm.log")),
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
        QVERIFY(TestPacks::writeText(victim, "keep me"));
        QVERIFY(QFile::link(victim, m_rule));
        QCOMPARE(runHelper(), 0);
        QCOMPARE(TestPacks::readFile(victim), QByteArray("keep me"));
        QVERIFY(!QFileInfo(m_rule).isSymLink());
        QFile::remove(victim);
    }

    void pkexecRunsTheHelperAlone_data()
    {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("granted");
        QTest::addColumn<int>("helpPages");
        QTest::newRow("no pkexec") << -1 << 0 << 1;
        QTest::newRow("granted") << 0 << 1 << 0;
        QTest::newRow("dismissed by the user") << 126 << 0 << 0;
        QTest::newRow("helper failed") << 1 << 0 << 1;
    }

    void pkexecRunsTheHelperAlone()
    {
        QFETCH(int, exitCode);
        QVERIFY2(!KeyboardAccessRequest::helperPath().isEmpty(), "the grant helper is built beside the tests");
        if (exitCode >= 0)
            fakePkexec(exitCode);
        KeyboardAccessRequest request;
        QSignalSpy granted(&request, &KeyboardAccessRequest::granted);
        request.requestAccess();
        if (exitCode >= 0)
            QTRY_VERIFY(QFile::exists(m_path.filePath(QStringLiteral("called"))));
        QTest::qWait(100);
        QTEST(int(granted.count()), "granted");
        QTEST(int(m_catcher.opened.size()), "helpPages");
        for (const QUrl &page : std::as_const(m_catcher.opened))
            QVERIFY(page == QUrl::fromLocalFile(KeyboardAccessRequest::helpPagePath()) && QFile::exists(page.toLocalFile()));
        if (exitCode < 0)
            return;
        // The helper's path and nothing else: no arguments for it to be talked into anything.
        QCOMPARE(TestPacks::readFile(m_path.filePath(QStringLiteral("called"))).trimmed(), QFile::encodeName(KeyboardAccessRequest::helperPath()));
    }
};

QTEST_MAIN(TestKeyboardAccess)
#include "tst_keyboardaccess.moc"
