// Plinkum under trayer, a StatusNotifierWatcher, no tray and seatless weston; screenshots in the build tree.
#include "tests/support/MockLogind.h"
#include "tests/support/PlinkumProcess.h"
#include "tests/support/TestPacks.h"
#include "tests/support/TestServers.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QImage>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>

namespace {

// A helper program run for one test, stopped with it.
class Background {
public:
    ~Background()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }

    bool start(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
    {
        m_process.setProcessEnvironment(environment);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(program, arguments);
        return m_process.waitForStarted(5000);
    }

private:
    QProcess m_process;
};

bool installed(std::initializer_list<const char *> programs)
{
    for (const char *program : programs)
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty() && !QFileInfo(QString::fromLatin1(program)).isExecutable())
            return false;
    return true;
}

// Debian's python, where python3-dbusmock is installed, whatever python comes first on PATH.
const QString python = QStringLiteral("/usr/bin/python3");
// A 24-pixel tray at the top right.
const QStringList trayerArguments{"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24"};

} // namespace

class TestDesktops : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TestServers::Xvfb m_x;
    QString m_display;
    Display *m_xlib = nullptr;
    QString m_screenshots = QStringLiteral(PLINKUM_BINARY_DIR "/tests/app/screenshots");

    // `home` holds the settings and user packs; the test's own folder unless told.
    QProcessEnvironment environment(const QString &bus, const QString &home = {}) const
    {
        QProcessEnvironment environment = PlinkumProcess::environment(m_dir.path(), home.isEmpty() ? m_dir.path() : home, m_display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // A dead bus when none is given: no panel on it, and no bus started on the side.
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.isEmpty() ? "unix:path=" + m_dir.filePath(QStringLiteral("no-bus")) : bus);
        return environment;
    }

    // Plinkum's mapped windows, anywhere in the tree (a docked tray icon is inside the tray's).
    QList<std::pair<Window, QRect>> plinkumWindows() const
    {
        QList<std::pair<Window, QRect>> found;
        for (const QByteArray &line : xdotool({"search", "--onlyvisible", "--class", "plinkum"}).split('\n')) {
            bool ok = false;
            const Window window = line.trimmed().toULong(&ok);
            XWindowAttributes attributes;
            if (!ok || !XGetWindowAttributes(m_xlib, window, &attributes))
                continue;
            int x = 0, y = 0;
            Window child = 0;
            XTranslateCoordinates(m_xlib, window, DefaultRootWindow(m_xlib), 0, 0, &x, &y, &child);
            found.append({window, QRect(x, y, attributes.width, attributes.height)});
        }
        return found;
    }

    // The tray icon, the panel or the first-run window, told apart by width; 0 when not shown.
    Window plinkumWindow(int minWidth, int maxWidth) const
    {
        for (const auto &[window, geometry] : plinkumWindows())
            if (geometry.width() >= minWidth && geometry.width() < maxWidth)
                return window;
        return 0;
    }
    Window trayIcon() const { return plinkumWindow(0, 200); }
    Window panel() const { return plinkumWindow(200, 700); }
    Window firstRunWindow() const { return plinkumWindow(700, 100000); }

    // Return typed into the first-run window, whose try-it field has the focus: it finishes.
    void finishFirstRun() const { xdotool({"windowfocus", QString::number(firstRunWindow()), "sleep", "0.3", "key", "Return"}); }

    // A first start: the first-run window greets; Return in it ends on the panel.
    void checkFirstStart(const QString &screenshotName)
    {
        QTRY_VERIFY_WITH_TIMEOUT(firstRunWindow(), 10000);
        QCOMPARE(panel(), Window(0));
        screenshot(screenshotName + QStringLiteral(".png"));
        finishFirstRun();
        QTRY_VERIFY_WITH_TIMEOUT(panel(), 5000);
        QCOMPARE(firstRunWindow(), Window(0));
        screenshot(screenshotName + QStringLiteral("-finished.png"));
    }

    // Plinkum has run in this home before: no first-run window.
    void seenBefore() const
    {
        const QString settings = m_dir.filePath(QStringLiteral("config/Plinkum/Plinkum.conf"));
        if (!QFileInfo::exists(settings))
            QVERIFY(TestPacks::writeText(settings, "[General]\n"));
    }

    // What a click on a window's close button asks of its client.
    void close(Window window) const
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(m_xlib, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(m_xlib, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_xlib, window, False, NoEventMask, &event);
        XFlush(m_xlib);
    }

    // What xdotool printed, run against the test's display.
    QByteArray xdotool(const QStringList &arguments) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        QProcess xdotool;
        xdotool.setProcessEnvironment(environment);
        xdotool.start(QStringLiteral("xdotool"), arguments);
        xdotool.waitForFinished(5000);
        return xdotool.readAllStandardOutput();
    }

    void click(Window window, int clicks = 1, int button = 1) const
    {
        const QString repeat = QString::number(clicks);
        xdotool({"mousemove", "--window", QString::number(window), "8", "8", "click", "--repeat", repeat, "--delay", "80", QString::number(button)});
    }

    // The screen, or a part of it, as shown.
    QImage grab(QRect area = {}) const
    {
        const Window root = DefaultRootWindow(m_xlib);
        if (area.isEmpty()) {
            XWindowAttributes attributes;
            XGetWindowAttributes(m_xlib, root, &attributes);
            area = QRect(0, 0, attributes.width, attributes.height);
        }
        XImage *image = XGetImage(m_xlib, root, area.x(), area.y(), area.width(), area.height(), AllPlanes, ZPixmap);
        if (!image)
            return {};
        QImage copy = QImage(reinterpret_cast<const uchar *>(image->data), image->width, image->height, image->bytes_per_line, QImage::Format_RGB32).copy();
        XDestroyImage(image);
        return copy;
    }

    void screenshot(const QString &name, const QImage &image = {}) const
    {
        QDir().mkpath(m_screenshots);
        (image.isNull() ? grab() : image).save(m_screenshots + u'/' + name);
    }

    // WCAG contrast ratio of two colours.
    static double contrast(QColor a, QColor b)
    {
        const auto luminance = [](QColor c) {
            const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
        };
        const double first = luminance(a), second = luminance(b);
        return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
    }

    // Started as from the menu; stopped with SIGTERM at the end, which it must survive.
    void launch(PlinkumProcess &plinkum, const QProcessEnvironment &environment) const
    {
        QVERIFY(plinkum.start(environment));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(m_dir.filePath(QStringLiteral("plinkum-%1.socket").arg(getuid()))), 10000);
    }

    static void stop(PlinkumProcess &plinkum)
    {
        QCOMPARE(plinkum.process.state(), QProcess::Running);
        QVERIFY(plinkum.terminate());
    }

    // The bus name the tray item registered with the watcher under, from the watcher's log.
    static QString registeredItem(const QString &log)
    {
        static const QRegularExpression registration(QStringLiteral("RegisterStatusNotifierItem \"([^\"]+)\""));
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return registration.match(QString::fromUtf8(file.readAll())).captured(1);
    }

    static void relaunch(const QProcessEnvironment &environment)
    {
        QCOMPARE(TestPacks::run(QStringLiteral(PLINKUM), {}, environment).exitCode, 0);
    }

    // Without a tray the panel is a window: open at start, closable, back when started again.
    void checkPanelWindowWithoutTray(const QProcessEnvironment &environment, const QString &screenshotName)
    {
        QTRY_VERIFY_WITH_TIMEOUT(panel(), 10000);
        QCOMPARE(trayIcon(), Window(0));
        screenshot(screenshotName);
        close(panel());
        QTRY_COMPARE_WITH_TIMEOUT(panel(), Window(0), 5000);
        QTest::qWait(500);
        relaunch(environment);
        QTRY_VERIFY_WITH_TIMEOUT(panel(), 5000);
        close(panel());
        QTRY_COMPARE_WITH_TIMEOUT(panel(), Window(0), 5000);
    }

private slots:
    void initTestCase()
    {
        if (!installed({"xdotool"}))
            QSKIP("xdotool is needed (tools/install-deps.sh installs it)");
        // A small laptop's screen: the panel opens below the tray, not over it.
        m_display = m_x.start(QStringLiteral("1024x768x24"));
        if (!m_display.isEmpty())
            m_xlib = XOpenDisplay(qPrintable(m_display));
        if (!m_xlib)
            QSKIP("Xvfb is needed (tools/install-deps.sh installs it)");
        // A window found by xdotool may be gone when it is asked about; that is no reason to exit.
        XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    }

    void cleanupTestCase()
    {
        if (m_xlib)
            XCloseDisplay(m_xlib);
    }

    // The icon stands out on a dark and a light panel; its menu switches the sounds for good.
    void x11TrayThatComesLate_data()
    {
        QTest::addColumn<QColor>("panelColor");
        QTest::newRow("dark") << QColor(0x1F, 0x1F, 0x1F);
        QTest::newRow("light") << QColor(0xF0, 0xF0, 0xF0);
    }
    void x11TrayThatComesLate()
    {
        QFETCH(QColor, panelColor);
        if (!installed({"trayer"}))
            QSKIP("trayer is needed (tools/install-deps.sh installs it)");
        QDir(m_dir.filePath(QStringLiteral("config"))).removeRecursively();
        const QProcessEnvironment environment = this->environment({});
        PlinkumProcess plinkum;
        launch(plinkum, environment);
        checkFirstStart(QStringLiteral("first-start-no-tray"));
        if (QTest::currentTestFailed())
            return;
        checkPanelWindowWithoutTray(environment, QStringLiteral("no-tray.png"));
        if (QTest::currentTestFailed())
            return;

        Background trayer;
        const QStringList tinted{"--transparent", "true", "--alpha", "0", "--tint", "0x" + panelColor.name().mid(1)};
        QVERIFY(trayer.start(QStringLiteral("trayer"), trayerArguments + tinted, environment));
        QTRY_VERIFY_WITH_TIMEOUT(trayIcon(), 10000);
        QCOMPARE(panel(), Window(0));

        const Window icon = trayIcon();
        QRect area;
        for (const auto &[window, geometry] : plinkumWindows())
            area = window == icon ? geometry : area;
        const QString settingsFile = m_dir.filePath(QStringLiteral("config/Plinkum/Plinkum.conf"));
        const auto soundsOn = [&] { return QSettings(settingsFile, QSettings::IniFormat).value("enabled", true).toBool(); };
        QImage shown[2];
        for (const bool on : {true, false}) {
            QTest::qWait(500);
            QImage &image = shown[on];
            image = grab(area);
            screenshot(QStringLiteral("tray-icon-%1-%2.png").arg(QTest::currentDataTag(), on ? "on" : "paused"), image.scaled(image.size() * 8));
            // trayer's tint may round a step.
            QVERIFY(qAbs(image.pixelColor(0, 0).lightness() - panelColor.lightness()) <= 2);
            int distinct = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    distinct += contrast(image.pixelColor(x, y), panelColor) >= 3.0;
            QVERIFY2(distinct >= 20, qPrintable(QStringLiteral("%1 pixels at 3:1 or more").arg(distinct)));
            // A right click opens the menu; its second item is Sounds On.
            QCOMPARE(soundsOn(), on);
            click(icon, 1, 3);
            QTest::qWait(700);
            xdotool({"key", "--delay", "100", "Down", "Down", "Return"});
            QTRY_COMPARE_WITH_TIMEOUT(soundsOn(), !on, 5000);
        }
        QVERIFY(shown[0] != shown[1]);

        click(trayIcon());
        QTRY_VERIFY_WITH_TIMEOUT(panel(), 5000);
        screenshot(QStringLiteral("x11-tray-%1.png").arg(QTest::currentDataTag()));
        // Started again while the panel is open, it stays open.
        relaunch(environment);
        QTest::qWait(1000);
        QVERIFY(panel());
        click(trayIcon());
        QTRY_COMPARE_WITH_TIMEOUT(panel(), Window(0), 5000);
        // A double click opens it as one click does.
        QTest::qWait(1000);
        click(trayIcon(), 2);
        QTest::qWait(1000);
        QVERIFY(panel());
        stop(plinkum);
    }

    void firstStartWithTray()
    {
        if (!installed({"trayer"}))
            QSKIP("trayer is needed (tools/install-deps.sh installs it)");
        QTemporaryDir home;
        const QProcessEnvironment environment = this->environment({}, home.path());
        Background trayer;
        QVERIFY(trayer.start(QStringLiteral("trayer"), trayerArguments, environment));
        PlinkumProcess plinkum;
        launch(plinkum, environment);
        QTRY_VERIFY_WITH_TIMEOUT(trayIcon(), 10000);
        checkFirstStart(QStringLiteral("first-start-tray"));
        stop(plinkum);
    }

    void statusNotifierWatcher_data()
    {
        QTest::addColumn<bool>("watcherFirst");
        QTest::newRow("watcher before Plinkum") << true;
        QTest::newRow("watcher after Plinkum") << false;
    }
    void statusNotifierWatcher()
    {
        QFETCH(bool, watcherFirst);
        QTemporaryDir folder;
        TestServers::PrivateBus bus(folder.path(), QStringLiteral("session"));
        if (!bus.start() || TestPacks::run(python, {"-c", "import dbusmock"}).exitCode != 0)
            QSKIP("dbus-daemon and python3-dbusmock are needed (tools/install-deps.sh installs them)");
        const QString address = bus.address();
        const QProcessEnvironment environment = this->environment(address);
        seenBefore();

        const QString log = folder.filePath(QStringLiteral("watcher.log"));
        const auto startWatcher = [&] {
            const QStringList arguments{"-t", PLINKUM_SOURCE_DIR "/tests/app/status_notifier_watcher.py", "-l", log};
            QVERIFY(bus.startMock(QStringLiteral("org.kde.StatusNotifierWatcher"), arguments) >= 0);
        };
        PlinkumProcess plinkum;
        if (watcherFirst) {
            startWatcher();
            launch(plinkum, environment);
        } else {
            launch(plinkum, environment);
            checkPanelWindowWithoutTray(environment, QStringLiteral("no-status-notifier.png"));
            startWatcher();
        }
        if (QTest::currentTestFailed())
            return;

        // The item registers under its bus name; Activate is the panel's click on it.
        QTRY_VERIFY_WITH_TIMEOUT(!registeredItem(log).isEmpty(), 10000);
        const QString item = registeredItem(log);
        QCOMPARE(panel(), Window(0));
        QDBusConnection connection = QDBusConnection::connectToBus(address, QStringLiteral("test"));
        const auto disconnect = qScopeGuard([] { QDBusConnection::disconnectFromBus(QStringLiteral("test")); });
        QDBusMessage activate = QDBusMessage::createMethodCall(item, QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.kde.StatusNotifierItem"),
                                                               QStringLiteral("Activate"));
        activate << 0 << 0;
        QCOMPARE(connection.call(activate).type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY_WITH_TIMEOUT(panel(), 5000);
        screenshot(QStringLiteral("status-notifier-%1.png").arg(watcherFirst ? "first" : "later"));
        stop(plinkum);
    }

    // No seat, so no keyboard: the first-run window comes up with its try-it field.
    void waylandCompositorWithoutSeat()
    {
        if (!installed({"weston", "weston-screenshooter"})
            || !QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms/libqwayland-generic.so")))
            QSKIP("weston and qt6-wayland are needed (tools/install-deps.sh installs them)");
        QTemporaryDir runtime;
        QProcessEnvironment environment = this->environment({});
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("plinkum-test"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        // Qt's Wayland plugins lack frame pointers: LSan needs a full unwind to see their leaks.
        const QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"), asan + (asan.isEmpty() ? "" : ":") + "fast_unwind_on_malloc=0");
        // --debug lets any client take screenshots; the headless backend needs pixman for them.
        Background weston;
        QVERIFY(weston.start(QStringLiteral("weston"), {"--backend=headless-backend.so", "--use-pixman", "--socket=plinkum-test", "--idle-time=0",
                                                        "--debug", "--width=1024", "--height=768"}, environment));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(runtime.filePath(QStringLiteral("plinkum-test"))), 10000);
        const auto takeScreenshot = [&]() -> QImage {
            QDir shots(runtime.filePath(QStringLiteral("shots")));
            shots.removeRecursively();
            shots.mkpath(QStringLiteral("."));
            QProcess shooter;
            shooter.setProcessEnvironment(environment);
            shooter.setWorkingDirectory(shots.path());
            shooter.start(QStringLiteral("weston-screenshooter"), {});
            if (!shooter.waitForFinished(10000))
                shooter.kill();
            const QStringList files = shots.entryList({QStringLiteral("*.png")});
            return files.isEmpty() ? QImage() : QImage(shots.filePath(files.first()));
        };
        QTest::qWait(1000); // the shell draws its background
        const QImage desktop = takeScreenshot();

        PlinkumProcess plinkum;
        QVERIFY(plinkum.start(environment));
        QTest::qWait(4000);
        QCOMPARE(plinkum.process.state(), QProcess::Running);

        // The window shows: a good part of the screen is no longer the bare desktop.
        const QImage shown = takeScreenshot();
        if (!desktop.isNull() && !shown.isNull()) {
            QDir().mkpath(m_screenshots);
            shown.save(m_screenshots + QStringLiteral("/wayland-no-seat.png"));
            QCOMPARE(shown.size(), desktop.size());
            qint64 changed = 0;
            for (int y = 0; y < shown.height(); y += 4)
                for (int x = 0; x < shown.width(); x += 4)
                    changed += shown.pixel(x, y) != desktop.pixel(x, y);
            const qint64 sampled = qint64(shown.width() / 4) * (shown.height() / 4);
            QVERIFY2(changed * 10 > sampled, qPrintable(QStringLiteral("%1 of %2 points changed").arg(changed).arg(sampled)));
        } else {
            qWarning("weston-screenshooter gave no picture; only survival is checked");
        }
        stop(plinkum);
    }
};

QTEST_GUILESS_MAIN(TestDesktops)
#include "tst_desktops.moc"
