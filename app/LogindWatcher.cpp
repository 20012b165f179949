#include "app/LogindWatcher.h"

#include "common/Log.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include <unistd.h>

namespace plinkum {

namespace {

const QString service = QStringLiteral("org.freedesktop.login1");
const QString managerPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
// logind answers within milliseconds; one that does not is asked again when it restarts.
constexpr int callTimeoutMs = 5000;

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

LogindWatcher::LogindWatcher(QObject *parent)
    : QObject(parent)
{
}

void LogindWatcher::follow(const QDBusConnection &bus)
{
    forget();
    m_bus = bus;
    if (!m_bus.isConnected())
        return;
    // A restarted logind still knows the session; its new instance is asked from the start.
    m_logind = new QDBusServiceWatcher(service, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(m_logind, &QDBusServiceWatcher::serviceRegistered, this, &LogindWatcher::findSession);
    findSession();
}

void LogindWatcher::forget()
{
    ++m_generation;
    delete m_logind;
    m_logind = nullptr;
    setPath({});
    m_bus = QDBusConnection(QString());
}

void LogindWatcher::findSession()
{
    const auto byUser = [this] {
        ask(managerPath, managerInterface, QStringLiteral("GetUser"), {quint32(getuid())}, [this](const QString &user) {
            if (user.isEmpty())
                return found({});
            ask(user, propertiesInterface, QStringLiteral("Get"),
                {QStringLiteral("org.freedesktop.login1.User"), QStringLiteral("Display")},
                [this](const QString &path) { found(path); });
        });
    };
    const auto byProcess = [this, byUser] {
        ask(managerPath, managerInterface, QStringLiteral("GetSessionByPID"), {quint32(getpid())},
            [this, byUser](const QString &path) { path.isEmpty() ? byUser() : found(path); });
    };
    ++m_generation;
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    if (id.isEmpty())
        return byProcess();
    ask(managerPath, managerInterface, QStringLiteral("GetSession"), {id},
        [this, byProcess](const QString &path) { path.isEmpty() ? byProcess() : found(path); });
}

// Calls logind; `then` gets the object path of the answer, empty for none or an error. Answers
// from before a newer search or another bus are dropped.
void LogindWatcher::ask(const QString &path, const QString &interface, const QString &method,
                        const QVariantList &arguments, std::function<void(const QString &)> then)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation = m_generation, then = std::move(then)](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                if (generation != m_generation)
                    return;
                const QDBusMessage reply = finished->reply();
                const QString found = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                    ? objectPath(reply.arguments().constFirst())
                    : QString();
                then(found == QLatin1String("/") ? QString() : found);
            });
}

void LogindWatcher::found(const QString &path)
{
    setPath(path);
    if (!path.isEmpty())
        return readProperties();
    log("no login session found; keys are heard whatever the session's state");
    apply({{QStringLiteral("Active"), true}, {QStringLiteral("LockedHint"), false}});
}

void LogindWatcher::setPath(const QString &path)
{
    if (path == m_path)
        return;
    const auto signal = QStringLiteral("PropertiesChanged");
    if (!m_path.isEmpty())
        m_bus.disconnect(service, m_path, propertiesInterface, signal, this, SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    m_path = path;
    if (!m_path.isEmpty())
        m_bus.connect(service, m_path, propertiesInterface, signal, this, SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
}

void LogindWatcher::propertiesChanged(const QString &interface, const QVariantMap &changed,
                                      const QStringList &invalidated)
{
    if (interface != sessionInterface)
        return;
    apply(changed);
    if (invalidated.contains(QLatin1String("Active")) || invalidated.contains(QLatin1String("LockedHint")))
        readProperties();
}

void LogindWatcher::readProperties()
{
    const QDBusMessage call = QDBusMessage::createMethodCall(service, m_path, propertiesInterface, QStringLiteral("GetAll"))
        << sessionInterface;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation = m_generation](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                const QDBusPendingReply<QVariantMap> reply = *finished;
                if (generation == m_generation && !reply.isError())
                    apply(reply.value());
            });
}

void LogindWatcher::apply(const QVariantMap &properties)
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
