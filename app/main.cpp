#include "app/AppState.h"
#include "app/CommandLine.h"
#include "app/Diagnostics.h"
#include "common/Log.h"
#include "app/PlinkumApp.h"
#include "app/SignalWatcher.h"
#include "app/SingleInstance.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <memory>

using namespace plinkum;

namespace {

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

void describeApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Plinkum"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PLINKUM_VERSION));
}

// Runs until SIGINT or SIGTERM, or until the user quits.
int runEventLoop()
{
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, QCoreApplication::instance(), &QCoreApplication::quit);
    return QCoreApplication::exec();
}

int runHeadless(int argc, char **argv, bool noDisplay)
{
    QCoreApplication app(argc, argv);
    describeApplication();
    if (noDisplay)
        log("no display found; running headless");
    SingleInstance instance;
    if (!instance.claim())
        return 0;
    AppState state;
    return runEventLoop();
}

// Qt 6.4's Wayland input contexts reach for the compositor's first seat without checking that it
// has one, so on a compositor without a seat (headless, kiosk, a seat unplugged) the first text
// field crashes the process. The try-it field needs no input method: take the compose context
// that Qt uses on X11 anyway, unless the user chose one; only for this process, not the programs
// it starts.
std::unique_ptr<QApplication> createApplication(int &argc, char **argv)
{
    const bool chosen = !qEnvironmentVariableIsEmpty("QT_IM_MODULE");
    if (!chosen)
        qputenv("QT_IM_MODULE", "compose");
    auto app = std::make_unique<QApplication>(argc, argv);
    if (!chosen)
        qunsetenv("QT_IM_MODULE");
    return app;
}

int runTray(int argc, char **argv)
{
    const auto app = createApplication(argc, argv);
    describeApplication();
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.plinkum.Plinkum"));
    QApplication::setQuitOnLastWindowClosed(false);
    SingleInstance instance;
    if (!instance.claim())
        return 0;
    AppState state;
    PlinkumApp plinkum(state);
    QObject::connect(&instance, &SingleInstance::reopenRequested, &plinkum, &PlinkumApp::reopen);
    plinkum.start();
    return runEventLoop();
}

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = CommandLine::parse(arguments);
    switch (line.mode) {
    case CommandLine::Mode::Help:
        print(stdout, CommandLine::helpText());
        return 0;
    case CommandLine::Mode::Version:
        print(stdout, CommandLine::versionText());
        return 0;
    case CommandLine::Mode::Invalid:
        print(stderr, line.error + u'\n' + CommandLine::helpText());
        return 2;
    case CommandLine::Mode::Diagnose: {
        QCoreApplication app(argc, argv);
        describeApplication();
        const Diagnostics::Report report = Diagnostics::report();
        print(stdout, report.text);
        for (const QString &problem : report.problems)
            print(stderr, QStringLiteral("Plinkum: ") + problem + u'\n');
        return report.problems.isEmpty() ? 0 : 1;
    }
    case CommandLine::Mode::Headless:
        return runHeadless(argc, argv, line.noDisplay);
    case CommandLine::Mode::Tray:
        return runTray(argc, argv);
    }
    return 0;
}
