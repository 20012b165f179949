#include "CommandLine.h"

#include <QtTest>

using namespace plinkum;

Q_DECLARE_METATYPE(CommandLine::Mode)

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("display"); // DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM=…
        QTest::addColumn<CommandLine::Mode>("mode");
        QTest::addColumn<bool>("noDisplay");

        using M = CommandLine::Mode;
        const QString x11 = QStringLiteral("DISPLAY=:0");
        QTest::newRow("tray on X11") << QStringList{} << x11 << M::Tray << false;
        QTest::newRow("tray on Wayland") << QStringList{} << QStringLiteral("WAYLAND_DISPLAY=wayland-0") << M::Tray << false;
        QTest::newRow("no display") << QStringList{} << QString() << M::Headless << true;
        QTest::newRow("xcb without X") << QStringList{} << QStringLiteral("QT_QPA_PLATFORM=xcb") << M::Headless << true;
        QTest::newRow("headless, no display") << QStringList{QStringLiteral("--headless")} << QString() << M::Headless << false;
        QTest::newRow("help wins") << QStringList{QStringLiteral("--headless"), QStringLiteral("-h")} << x11 << M::Help << false;
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--loud")} << x11 << M::Invalid << false;
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, display);
        QProcessEnvironment environment;
        if (!display.isEmpty())
            environment.insert(display.section(u'=', 0, 0), display.section(u'=', 1));
        const CommandLine line = CommandLine::parse(QStringList{QStringLiteral("plinkum")} + arguments, environment);
        QTEST(line.mode, "mode");
        QTEST(line.noDisplay, "noDisplay");
        QCOMPARE(line.error.isEmpty(), line.mode != CommandLine::Mode::Invalid);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
