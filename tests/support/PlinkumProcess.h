#pragma once

#include <QDir>
#include <QProcess>

#include <csignal>

// The plinkum executable (PLINKUM) run as a user starts it, output forwarded; killed if a test ends first.
class PlinkumProcess {
public:
    ~PlinkumProcess()
    {
        process.kill();
        process.waitForFinished();
    }

    // A session of Plinkum's own: HOME and the runtime folder `dir`, settings and packs under
    // `home`, X `display` if any, no Wayland and no sound server unless the caller adds them.
    static QProcessEnvironment environment(const QString &dir, const QString &home, const QString &display)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP", "QT_IM_MODULE", "QT_QPA_PLATFORM", "DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("HOME"), dir);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(home).filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), QDir(home).filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + QDir(dir).filePath(QStringLiteral("none")));
        environment.insert(QStringLiteral("LSAN_OPTIONS"), QStringLiteral("suppressions=" PLINKUM_SOURCE_DIR "/tests/lsan-suppressions.txt"));
        return environment;
    }

    bool start(const QProcessEnvironment &environment, const QStringList &arguments = {})
    {
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(QStringLiteral(PLINKUM), arguments);
        return process.waitForStarted();
    }

    // SIGTERM, which Plinkum must survive to a clean exit.
    bool terminate()
    {
        ::kill(pid_t(process.processId()), SIGTERM);
        return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QProcess process;
};
