#include "SessionWatcher.h"

#include "Log.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include <unistd.h>

namespace plinkum {

namespace {

const QString service = QStringLiteral("org.freedesktop.login1");
const QString managerPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
// logind answers within milliseconds; a bus that does not must not hold the start for long.
constexpr int callTimeoutMs = 1000;

// The object path in a reply whose first argument is one, or in a (so) structure; empty otherwise.
QString objectPath(const QVariant &value)
{
    if (value.canConvert<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    if (value.canConvert<QDBusVariant>())
        return objectPath(value.value<QDBusVariant>().variant());
    if (!value.canConvert<QDBusArgument>())
        return {};
    const QDBusArgument argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("(so)"))
        return {};
    QString id;
    QDBusObjectPath path;
    argument.beginStructure();
    argument >> id >> path;
    argument.endStructure();
    return path.path();
}

} // namespace

SessionWatcher::SessionWatcher(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    if (!m_bus.isConnected())
        return;
    m_path = findSession();
    if (m_path.isEmpty()) {
        log("no login session found; keys are heard whatever the session's state");
        return;
    }
    m_bus.connect(service, m_path, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                  SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    const QDBusMessage reply = m_bus.call(
        QDBusMessage::createMethodCall(service, m_path, propertiesInterface, QStringLiteral("GetAll")) << sessionInterface,
        QDBus::Block, callTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
        apply(qdbus_cast<QVariantMap>(reply.arguments().constFirst()));
}

QString SessionWatcher::findSession()
{
    const auto ask = [this](const QString &path, const QString &interface, const QString &method,
                            const QVariantList &arguments) -> QString {
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
        call.setArguments(arguments);
        const QDBusMessage reply = m_bus.call(call, QDBus::Block, callTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        const QString found = objectPath(reply.arguments().constFirst());
        return found == QLatin1String("/") ? QString() : found;
    };

    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    if (!id.isEmpty()) {
        if (QString path = ask(managerPath, managerInterface, QStringLiteral("GetSession"), {id}); !path.isEmpty())
            return path;
    }
    if (QString path = ask(managerPath, managerInterface, QStringLiteral("GetSessionByPID"), {quint32(getpid())});
        !path.isEmpty())
        return path;
    // Started outside any session (a user service): the session the user's display belongs to.
    const QString user = ask(managerPath, managerInterface, QStringLiteral("GetUser"), {quint32(getuid())});
    if (user.isEmpty())
        return {};
    return ask(user, propertiesInterface, QStringLiteral("Get"),
               {QStringLiteral("org.freedesktop.login1.User"), QStringLiteral("Display")});
}

void SessionWatcher::propertiesChanged(const QString &interface, const QVariantMap &changed,
                                       const QStringList &invalidated)
{
    if (interface != sessionInterface)
        return;
    apply(changed);
    if (invalidated.contains(QLatin1String("Active")) || invalidated.contains(QLatin1String("LockedHint")))
        readProperties();
}

void SessionWatcher::readProperties()
{
    const QDBusMessage call = QDBusMessage::createMethodCall(service, m_path, propertiesInterface, QStringLiteral("GetAll"))
        << sessionInterface;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusPendingReply<QVariantMap> reply = *finished;
        if (!reply.isError())
            apply(reply.value());
    });
}

void SessionWatcher::apply(const QVariantMap &properties)
{
    const bool before = isAllowed();
    if (const auto active = properties.find(QStringLiteral("Active")); active != properties.end())
        m_active = active->toBool();
    if (const auto locked = properties.find(QStringLiteral("LockedHint")); locked != properties.end())
        m_locked = locked->toBool();
    if (isAllowed() != before)
        emit allowedChanged(isAllowed());
}

} // namespace plinkum
