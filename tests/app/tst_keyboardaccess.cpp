#include "app/KeyboardAccessRequest.h"
#include "tests/support/TestPacks.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace plinkum;

Q_DECLARE_METATYPE(plinkum::KeyboardAccessRequest::State)

// Keyboard access given and taken back (request, helpers, package removal) in a staging root with a recording udevadm.
class TestKeyboardAccess : public QObject {
    Q_OBJECT

public slots:
    // Stands in for the desktop's URL opener.
    void open(const QUrl &url) { m_opened << url; }

private:
    const QString m_dir = QStringLiteral(GRANT_DIR);
    const QString m_root = m_dir + QStringLiteral("/root");
    const QString m_rules = m_root + QStringLiteral("/etc/udev/rules.d");
    const QString m_rule = m_rules + QStringLiteral("/70-plinkum-keyboard-access.rules");

    const QString m_udevLog = m_dir + QStringLiteral("/udevadm.log");
    const QByteArray m_triggered = "control --reload\n"
                                   "trigger --action=change --subsystem-match=input --property-match=ID_INPUT_KEYBOARD=1\n";
    const QByteArray m_reapplied = m_triggered + "settle --timeout=5\n";

    static int runHelper(const QStringList &arguments = {}, const char *helper = GRANT_HELPER)
    {
        return TestPacks::run(QString::fromLatin1(helper), arguments).exitCode;
    }

    QTemporaryDir m_path;
    QList<QUrl> m_opened;
    QByteArray m_originalPath = qgetenv("PATH");

    QString pkexecPath() const { return m_path.filePath(QStringLiteral("pkexec")); }
    QString calledPath() const { return m_path.filePath(QStringLiteral("called")); }

    // A pkexec that records its arguments, one line per run, and answers `exitCode` after `seconds`.
    void fakePkexec(int exitCode, const char *seconds = "0")
    {
        const QString text = QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\nsleep %2\nexit %3\n")
                                 .arg(calledPath(), QLatin1String(seconds)).arg(exitCode);
        QVERIFY(TestPacks::writeText(pkexecPath(), text.toUtf8()));
        QFile::setPermissions(pkexecPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private slots:
    void initTestCase()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open");
        // A pkexec found through PATH must never be the one run.
        qputenv("PATH", m_path.path().toUtf8());
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        qputenv("PATH", m_originalPath);
    }

    void init()
    {
        QDir(m_root).removeRecursively();
        QDir().mkpath(m_rules);
        QFile::remove(m_udevLog);
        QFile::remove(m_dir + QStringLiteral("/udevadm.fail"));
        m_opened.clear();
        QFile::remove(pkexecPath());
        QFile::remove(calledPath());
    }

    // Granted twice: one rule, no temporary files. Revoked twice (a double purge): success, udev left alone.
    void installsAndRemovesTheRuleAndReappliesUdev()
    {
        QCOMPARE(runHelper(), 0);
        QCOMPARE(TestPacks::readFile(m_rule), TestPacks::readFile(QStringLiteral(PLINKUM_SOURCE_DIR "/app/data/70-plinkum-keyboard-access.rules")));
        struct stat info {};
        QCOMPARE(stat(QFile::encodeName(m_rule).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0644));
        QCOMPARE(TestPacks::readFile(m_udevLog), m_reapplied);
        QCOMPARE(runHelper(), 0);
        QCOMPARE(QDir(m_rules).entryList(QDir::Files | QDir::Hidden).size(), 1);

        QFile::remove(m_udevLog);
        QCOMPARE(runHelper({}, REVOKE_HELPER), 0);
        QVERIFY(!QFile::exists(m_rule));
        QCOMPARE(TestPacks::readFile(m_udevLog), m_reapplied);
        QFile::remove(m_udevLog);
        QCOMPARE(runHelper({}, REVOKE_HELPER), 0);
        QVERIFY(!QFile::exists(m_udevLog));
    }

    // Exit 3: udev applies the rule at its next start. Also with SIGCHLD ignored, which reaps udevadm before its status is read.
    void udevThatFailsIsAWarning_data()
    {
        QTest::addColumn<QByteArray>("helper");
        QTest::addColumn<bool>("childSignalIgnored");
        QTest::addColumn<bool>("ruleAfter");
        QTest::newRow("grant") << QByteArray(GRANT_HELPER) << false << true;
        QTest::newRow("revoke") << QByteArray(REVOKE_HELPER) << false << false;
        QTest::newRow("grant, SIGCHLD ignored") << QByteArray(GRANT_HELPER) << true << true;
    }
    void udevThatFailsIsAWarning()
    {
        QFETCH(QByteArray, helper);
        QFETCH(bool, childSignalIgnored);
        QCOMPARE(runHelper(), 0);
        QVERIFY(TestPacks::writeText(m_dir + QStringLiteral("/udevadm.fail"), ""));
        const QString program = QString::fromLatin1(helper);
        // bash, not dash, hands an ignored signal on through exec.
        const int exitCode = childSignalIgnored
            ? TestPacks::run(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), QStringLiteral("trap '' CHLD; exec \"$0\""), program}).exitCode
            : runHelper({}, helper.constData());
        QCOMPARE(exitCode, 3);
        QTEST(QFile::exists(m_rule), "ruleAfter");
    }

    // Removing the package takes the access away at once, an upgrade keeps it; granting again works.
    void packageRemoval_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<bool>("ruleAfter");
        QTest::addColumn<QByteArray>("udevCalls");
        QTest::newRow("remove") << QStringList{"remove"} << false << m_triggered;
        QTest::newRow("purge") << QStringList{"purge"} << false << m_triggered;
        QTest::newRow("remove, then purge") << QStringList{"remove", "purge"} << false << m_triggered;
        QTest::newRow("upgrade") << QStringList{"upgrade"} << true << QByteArray();
    }
    void packageRemoval()
    {
        QFETCH(QStringList, actions);
        QCOMPARE(runHelper(), 0);
        QFile::remove(m_udevLog);
        QVERIFY(QFile::link(m_dir + QStringLiteral("/fake-udevadm"), m_path.filePath(QStringLiteral("udevadm"))));
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), m_path.path() + QStringLiteral(":/usr/bin:/bin"));
        environment.insert(QStringLiteral("DPKG_ROOT"), m_root);
        for (const QString &action : std::as_const(actions))
            QCOMPARE(TestPacks::run(QStringLiteral("/bin/sh"), {QStringLiteral(PLINKUM_SOURCE_DIR "/debian/plinkum.postrm"), action}, environment).exitCode, 0);
        QFile::remove(m_path.filePath(QStringLiteral("udevadm")));
        QTEST(QFile::exists(m_rule), "ruleAfter");
        QTEST(TestPacks::readFile(m_udevLog), "udevCalls");
        QCOMPARE(runHelper(), 0);
        QVERIFY(QFile::exists(m_rule));
    }

    void refusesArguments_data()
    {
        QTest::addColumn<QByteArray>("helper");
        QTest::addColumn<QStringList>("arguments");
        for (const char *helper : {GRANT_HELPER, REVOKE_HELPER}) {
            const QByteArray name = QFileInfo(QString::fromLatin1(helper)).fileName().toLatin1();
            QTest::newRow(name + ", a path") << QByteArray(helper) << QStringList{QStringLiteral("/etc/passwd")};
            QTest::newRow(name + ", empty") << QByteArray(helper) << QStringList{QString()};
        }
    }
    void refusesArguments()
    {
        QFETCH(QByteArray, helper);
        QFETCH(QStringList, arguments);
        QVERIFY(TestPacks::writeText(m_rule, "left alone"));
        QCOMPARE(runHelper(arguments, helper.constData()), 2);
        QCOMPARE(TestPacks::readFile(m_rule), QByteArray("left alone"));
        QVERIFY(!QFile::exists(m_udevLog));
    }

    void replacesALinkInsteadOfFollowingIt_data()
    {
        QTest::addColumn<QByteArray>("helper");
        QTest::addColumn<bool>("ruleAfter");
        QTest::newRow("grant") << QByteArray(GRANT_HELPER) << true;
        QTest::newRow("revoke") << QByteArray(REVOKE_HELPER) << false;
    }
    void replacesALinkInsteadOfFollowingIt()
    {
        QFETCH(QByteArray, helper);
        const QString victim = m_dir + QStringLiteral("/victim");
        QVERIFY(TestPacks::writeText(victim, "keep me") && QFile::link(victim, m_rule));
        QCOMPARE(runHelper({}, helper.constData()), 0);
        QCOMPARE(TestPacks::readFile(victim), QByteArray("keep me"));
        QVERIFY(!QFileInfo(m_rule).isSymLink());
        QTEST(QFile::exists(m_rule), "ruleAfter");
        QFile::remove(victim);
    }

    // Only the system's pkexec is run, never one on the PATH (this test's); without it the help page opens.
    void pkexecRunsTheHelperAlone_data()
    {
        QTest::addColumn<bool>("revoke");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("succeeded");
        QTest::addColumn<int>("helpPages");
        QTest::addColumn<KeyboardAccessRequest::State>("state");
        using State = KeyboardAccessRequest::State;
        for (const bool revoke : {false, true}) {
            const QByteArray action = revoke ? "revoke, " : "grant, ";
            // Taking access back always leaves nothing asked.
            const auto after = [revoke](State granting) { return revoke ? State::NotAsked : granting; };
            QTest::newRow(action + "no pkexec") << revoke << -1 << 0 << 1 << State::NotAsked;
            QTest::newRow(action + "done") << revoke << 0 << 1 << 0 << after(State::Granted);
            QTest::newRow(action + "done, udev told later") << revoke << 3 << 1 << 0 << after(State::Granted);
            QTest::newRow(action + "dismissed by the user") << revoke << 126 << 0 << 0 << after(State::Refused);
            QTest::newRow(action + "helper failed") << revoke << 1 << 0 << 1 << after(State::Refused);
        }
    }
    void pkexecRunsTheHelperAlone()
    {
        QFETCH(bool, revoke);
        QFETCH(int, exitCode);
        const char *name = revoke ? KeyboardAccessRequest::revokeHelperName : KeyboardAccessRequest::grantHelperName;
        QVERIFY2(!KeyboardAccessRequest::helperPath(name).isEmpty(), "the helpers are built beside the tests");
        fakePkexec(std::max(exitCode, 0));
        KeyboardAccessRequest request(nullptr, exitCode < 0 ? m_path.filePath(QStringLiteral("missing/pkexec")) : pkexecPath());
        QSignalSpy succeeded(&request, revoke ? &KeyboardAccessRequest::revoked : &KeyboardAccessRequest::granted);
        QSignalSpy other(&request, revoke ? &KeyboardAccessRequest::granted : &KeyboardAccessRequest::revoked);
        revoke ? request.revokeAccess() : request.requestAccess();
        QTRY_VERIFY(!request.isBusy());
        QTEST(int(succeeded.count()), "succeeded");
        QCOMPARE(other.count(), 0);
        QTEST(int(m_opened.size()), "helpPages");
        QTEST(request.state(), "state");
        for (const QUrl &page : std::as_const(m_opened))
            QVERIFY(page == QUrl::fromLocalFile(KeyboardAccessRequest::helpPagePath()) && QFile::exists(page.toLocalFile()));
        // The helper's path and nothing else: no arguments for it to be talked into anything.
        QCOMPARE(TestPacks::readFile(calledPath()).trimmed(), exitCode < 0 ? QByteArray() : QFile::encodeName(KeyboardAccessRequest::helperPath(name)));
    }

    // Clicks while a password prompt is up do not open another; once it is answered, they may.
    void oneRequestAtATime()
    {
        fakePkexec(0, "0.5");
        KeyboardAccessRequest request(nullptr, pkexecPath());
        QSignalSpy granted(&request, &KeyboardAccessRequest::granted);
        request.requestAccess();
        QCOMPARE(request.state(), KeyboardAccessRequest::State::Asking);
        request.requestAccess();
        request.revokeAccess();
        QTRY_COMPARE(granted.count(), 1);
        QTRY_VERIFY(!request.isBusy());
        QCOMPARE(TestPacks::readFile(calledPath()).count('\n'), 1);
        request.requestAccess();
        QTRY_COMPARE(granted.count(), 2);
    }
};

QTEST_MAIN(TestKeyboardAccess)
#include "tst_keyboardaccess.moc"
