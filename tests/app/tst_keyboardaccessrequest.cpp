#include "KeyboardAccessRequest.h"

#include <QDesktopServices>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace plinkum;

// Stands in for the desktop's URL opener.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

class TestKeyboardAccessRequest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_path;
    UrlCatcher m_catcher;
    QByteArray m_originalPath = qgetenv("PATH");

    // A pkexec that records its arguments and answers with `exitCode`.
    void fakePkexec(int exitCode)
    {
        QFile script(m_path.filePath(QStringLiteral("pkexec")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1/called'\nexit %2\n")
                         .arg(m_path.path())
                         .arg(exitCode)
                         .toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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
        m_catcher.opened.clear();
        QFile::remove(m_path.filePath(QStringLiteral("pkexec")));
        QFile::remove(m_path.filePath(QStringLiteral("called")));
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
        QFile called(m_path.filePath(QStringLiteral("called")));
        QVERIFY(called.open(QIODevice::ReadOnly));
        // The helper's path and nothing else: no arguments for it to be talked into anything.
        QCOMPARE(called.readAll().trimmed(), QFile::encodeName(KeyboardAccessRequest::helperPath()));
    }
};

QTEST_MAIN(TestKeyboardAccessRequest)
#include "tst_keyboardaccessrequest.moc"
