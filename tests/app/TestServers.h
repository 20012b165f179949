#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

// The real servers the process-level tests run Plinkum against: a private Xvfb display and a
// private pulseaudio daemon with one null sink, each stopped with the test.
namespace TestServers {

class Xvfb {
public:
    ~Xvfb()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    // Empty when Xvfb is missing or did not come up.
    QString start()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            return {};
        // -displayfd prints the display number it chose once it accepts connections.
        m_process.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                                 QStringLiteral("-screen"), QStringLiteral("0"),
                                                 QStringLiteral("640x480x24"), QStringLiteral("-nolisten"),
                                                 QStringLiteral("tcp")});
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && !m_process.canReadLine())
            m_process.waitForReadyRead(100);
        const QByteArray number = m_process.readLine().trimmed();
        return number.isEmpty() ? QString() : u':' + QString::fromLatin1(number);
    }

private:
    QProcess m_process;
};

class PulseAudio {
public:
    explicit PulseAudio(const QString &folder) : m_folder(folder) {}
    ~PulseAudio()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    QString server() const { return QStringLiteral("unix:") + m_folder + QStringLiteral("/native"); }
    static QString monitor() { return QStringLiteral("clicks.monitor"); }

    // The environment clients need to reach this daemon and nothing else.
    void addTo(QProcessEnvironment &environment) const
    {
        environment.insert(QStringLiteral("PULSE_SERVER"), server());
        environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), m_folder + QStringLiteral("/runtime"));
    }

    bool start()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty())
            return false;
        QFile script(m_folder + QStringLiteral("/daemon.pa"));
        if (!script.open(QIODevice::WriteOnly))
            return false;
        script.write("load-module module-native-protocol-unix auth-anonymous=1 socket=" + QFile::encodeName(m_folder)
                     + "/native\n"
                       "load-module module-null-sink sink_name=clicks rate=48000 format=float32le channels=2\n"
                       "set-default-sink clicks\n");
        script.close();
        // pulseaudio warns when run as root (as in CI) but runs; it wants writable state folders.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_folder);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder);
        addTo(environment);
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("pulseaudio"),
                        {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                         QStringLiteral("--disallow-exit"), QStringLiteral("--use-pid-file=no"),
                         QStringLiteral("--log-level=error"), QStringLiteral("-F"), script.fileName()});
        if (!m_process.waitForStarted(5000))
            return false;
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            QProcess info;
            info.setProcessEnvironment(environment);
            info.start(QStringLiteral("pactl"), {QStringLiteral("info")});
            if (info.waitForFinished(5000) && info.exitCode() == 0)
                return true;
            QThread::msleep(50);
        }
        return false;
    }

private:
    QString m_folder;
    QProcess m_process;
};

} // namespace TestServers
