// The plinkum executable's own lifecycle: one instance per user, a second launch that hands over
// to the first, and the command line.
#include "TestServers.h"

#include <QtTest>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>

class TestLifecycle : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QProcessEnvironment environment(const QString &display) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "PULSE_SERVER"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("HOME"), m_dir.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("LSAN_OPTIONS"),
                           QStringLiteral("suppressions=" PLINKUM_SOURCE_DIR "/tests/lsan-suppressions.txt"));
        // No sound server: the engine reports it and carries on.
        environment.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("none")));
        return environment;
    }

    // Mapped top-level windows titled "Plinkum".
    static int plinkumWindows(Display *display)
    {
        int found = 0;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
            return 0;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            char *name = nullptr;
            if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable
                && XFetchName(display, children[i], &name) && name) {
                found += QByteArray(name) == "Plinkum";
            }
            if (name)
                XFree(name);
        }
        if (children)
            XFree(children);
        return found;
    }

private slots:
    void secondLaunchReopensTheFirst()
    {
        TestServers::Xvfb x;
        const QString display = x.start();
        if (display.isEmpty())
            QSKIP("Xvfb is needed (tools/install-deps.sh installs it)");
        Display *xlib = XOpenDisplay(qPrintable(display));
        QVERIFY(xlib);
        const auto closeDisplay = qScopeGuard([xlib] { XCloseDisplay(xlib); });

        QProcess first;
        first.setProcessEnvironment(environment(display));
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start(QStringLiteral(PLINKUM), {});
        QVERIFY(first.waitForStarted());
        const auto stopOnFailure = qScopeGuard([&first] {
            first.kill();
            first.waitForFinished();
        });
        const QString socket = m_dir.filePath(QStringLiteral("plinkum-%1.socket").arg(getuid()));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 10000);
        // No tray on a bare X server and keyboard access through XInput2: nothing shows yet.
        QTest::qWait(300);
        QCOMPARE(plinkumWindows(xlib), 0);

        QProcess second;
        second.setProcessEnvironment(environment(display));
        second.start(QStringLiteral(PLINKUM), {});
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        QTRY_COMPARE_WITH_TIMEOUT(plinkumWindows(xlib), 1, 5000);
        QCOMPARE(first.state(), QProcess::Running);

        ::kill(pid_t(first.processId()), SIGTERM);
        QVERIFY(first.waitForFinished(5000));
        QCOMPARE(first.exitCode(), 0);
    }

    void killedInstanceDoesNotBlockTheNext()
    {
        QProcessEnvironment headless = environment(QString());
        headless.remove(QStringLiteral("DISPLAY"));
        headless.remove(QStringLiteral("QT_QPA_PLATFORM"));
        QProcess first;
        first.setProcessEnvironment(headless);
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start(QStringLiteral(PLINKUM), {QStringLiteral("--headless")});
        const QString socket = m_dir.filePath(QStringLiteral("plinkum-%1.socket").arg(getuid()));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 10000);
        first.kill();
        first.waitForFinished();

        // Started without a display, plinkum says so and runs headless, as the new instance.
        QProcess next;
        next.setProcessEnvironment(headless);
        next.start(QStringLiteral(PLINKUM), {});
        QVERIFY(next.waitForStarted());
        QVERIFY(!next.waitForFinished(1500));
        QVERIFY(next.readAllStandardError().contains("Plinkum: no display found; running headless\n"));
        ::kill(pid_t(next.processId()), SIGINT);
        QVERIFY(next.waitForFinished(5000));
        QCOMPARE(next.exitStatus(), QProcess::NormalExit);
        QCOMPARE(next.exitCode(), 0);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0 << QByteArray("Plinkum 0.1.0\n");
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0 << QByteArray("Usage: plinkum");
        QTest::newRow("unknown") << QStringList{QStringLiteral("--bogus")} << 2 << QByteArray();
        QTest::newRow("diagnose") << QStringList{QStringLiteral("--diagnose")} << 0 << QByteArray("\nKeyboard\n");
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, output);
        QProcess plinkum;
        plinkum.setProcessEnvironment(environment(QString()));
        plinkum.start(QStringLiteral(PLINKUM), arguments);
        QVERIFY(plinkum.waitForFinished(10000));
        QTEST(plinkum.exitCode(), "exitCode");
        QVERIFY(plinkum.readAllStandardOutput().contains(output));
    }
};

QTEST_GUILESS_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
