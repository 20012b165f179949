#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <memory>
#include <vector>

#include <unistd.h>

namespace TestServers {

// A private dbus-daemon of the system's or the session's kind in `folder`, with dbusmock services.
class PrivateBus {
public:
    PrivateBus(const QString &folder, const QString &kind) : m_folder(folder), m_kind(kind) {}
    ~PrivateBus() { stop(); }

    QString address() const { return QStringLiteral("unix:path=%1/%2_bus_socket").arg(m_folder, m_kind); }

    bool start()
    {
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty() || !QFile::exists("/usr/bin/python3"))
            return false;
        QFile config(QStringLiteral("%1/%2-bus.conf").arg(m_folder, m_kind));
        if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        config.write("<busconfig><type>" + m_kind.toUtf8() + "</type><listen>" + address().toUtf8()
                     + "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow user=\"*\"/>"
                       "<allow own=\"*\"/><allow send_destination=\"*\"/><allow receive_sender=\"*\"/>"
                       "</policy></busconfig>\n");
        config.close();
        m_bus.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_bus.start("dbus-daemon", {"--nofork", "--print-address=1", "--config-file=" + config.fileName()});
        if (!m_bus.waitForStarted(5000) || !m_bus.waitForReadyRead(5000))
            return false;
        m_connection = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address(), "test-" + m_kind));
        return m_connection->isConnected();
    }

    void stop()
    {
        for (std::size_t i = 0; i < m_mocks.size(); ++i)
            stopMock(int(i));
        m_mocks.clear();
        if (m_connection) {
            m_connection.reset();
            QDBusConnection::disconnectFromBus("test-" + m_kind);
        }
        m_bus.kill();
        m_bus.waitForFinished(5000);
    }

    // Runs `python3 -m dbusmock arguments…` until `service` is on the bus: its index for stopMock, or -1.
    int startMock(const QString &service, const QStringList &arguments)
    {
        auto mock = std::make_unique<QProcess>();
        const bool system = m_kind == QLatin1String("system");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(system ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS", address());
        mock->setProcessEnvironment(environment);
        mock->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mock->setStandardOutputFile(QProcess::nullDevice());
        // The system's python, where the Debian package puts dbusmock.
        mock->start("/usr/bin/python3", QStringList{"-m", "dbusmock", system ? "--system" : "--session"} + arguments);
        if (!mock->waitForStarted(5000))
            return -1;
        for (QDeadlineTimer deadline(15000); !m_connection->interface()->isServiceRegistered(service); QThread::msleep(50))
            if (deadline.hasExpired())
                return -1;
        m_mocks.push_back(std::move(mock));
        return int(m_mocks.size()) - 1;
    }
    void stopMock(int index)
    {
        m_mocks.at(std::size_t(index))->kill();
        m_mocks.at(std::size_t(index))->waitForFinished(5000);
    }

    bool call(const QString &service, const QString &path, const char *interface, const char *method, const QVariantList &arguments)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, QString::fromLatin1(interface), QString::fromLatin1(method));
        message.setArguments(arguments);
        return m_connection && m_connection->call(message).type() == QDBusMessage::ReplyMessage;
    }

private:
    QString m_folder;
    QString m_kind;
    QProcess m_bus;
    std::vector<std::unique_ptr<QProcess>> m_mocks;
    std::unique_ptr<QDBusConnection> m_connection;
};

// A private system bus with dbusmock's logind: sessions added, locked and switched as logind would.
class MockLogind {
public:
    explicit MockLogind(const QString &folder) : m_bus(folder, QStringLiteral("system")) {}

    QString address() const { return m_bus.address(); }
    void addTo(QProcessEnvironment &environment) const { environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address()); }

    bool start()
    {
        if (!m_bus.start() || m_bus.startMock(m_service, {"--template", "logind"}) < 0)
            return false;
        // As logind does (the template answers any id): an unknown session is an error.
        return addMethod("GetSession", "s", "ret = '/org/freedesktop/login1/session/' + args[0]\nif ret not in objects: "
                                            "raise dbus.exceptions.DBusException('no session', name='org.freedesktop.login1.NoSuchSession')");
    }

    // The bus ends, logind with it; start() brings both back, knowing no sessions.
    void stop() { m_bus.stop(); }

    bool addSession(const QString &id, bool active)
    {
        return call("/org/freedesktop/login1", "org.freedesktop.DBus.Mock", "AddSession",
                    {id, QStringLiteral("seat0"), quint32(getuid()), QStringLiteral("tester"), active});
    }
    // As a screen locker tells logind.
    bool setLocked(const QString &id, bool locked)
    {
        return call(sessionPath(id), "org.freedesktop.login1.Session", "SetLockedHint", {locked});
    }
    // As logind reports a switch to another session on the seat and back.
    bool setActive(const QString &id, bool active)
    {
        return call(sessionPath(id), "org.freedesktop.DBus.Properties", "Set",
                    {QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Active"),
                     QVariant::fromValue(QDBusVariant(active))});
    }

    // GetSessionByPID's answer; none: logind's error for a process outside every session (a user service).
    bool setProcessSession(const QString &id)
    {
        const QString code = id.isEmpty()
            ? QStringLiteral("raise dbus.exceptions.DBusException('no session', name='org.freedesktop.login1.NoSessionForPID')")
            : QStringLiteral("ret = '%1'").arg(sessionPath(id));
        return addMethod("GetSessionByPID", "u", code);
    }
    // The user's display session (none: "/"). Also mends the template's GetUser, which fails.
    bool setDisplaySession(const QString &id)
    {
        const QString user = QStringLiteral("/org/freedesktop/login1/user/%1").arg(getuid());
        QDBusArgument display;
        display.beginStructure();
        display << id << QDBusObjectPath(id.isEmpty() ? QStringLiteral("/") : sessionPath(id));
        display.endStructure();
        return addMethod("GetUser", "u", QStringLiteral("ret = '%1'").arg(user))
            && call(user, "org.freedesktop.DBus.Properties", "Set",
                    {QStringLiteral("org.freedesktop.login1.User"), QStringLiteral("Display"),
                     QVariant::fromValue(QDBusVariant(QVariant::fromValue(display)))});
    }

    static QString sessionPath(const QString &id) { return QStringLiteral("/org/freedesktop/login1/session/") + id; }

private:
    const QString m_service = QStringLiteral("org.freedesktop.login1");

    bool call(const QString &path, const char *interface, const char *method, const QVariantList &arguments)
    {
        return m_bus.call(m_service, path, interface, method, arguments);
    }
    // A Manager method returning an object path, in python.
    bool addMethod(const char *name, const char *arguments, const QString &code)
    {
        return call("/org/freedesktop/login1", "org.freedesktop.DBus.Mock", "AddMethod",
                    {QStringLiteral("org.freedesktop.login1.Manager"), QString::fromLatin1(name), QString::fromLatin1(arguments), QStringLiteral("o"), code});
    }

    PrivateBus m_bus;
};

} // namespace TestServers
