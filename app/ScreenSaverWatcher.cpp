#include "app/ScreenSaverWatcher.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

#include <algorithm>

namespace plinkum {

namespace {

struct Kind {
    const char *service; // also the interface
    const char *path;
};

// Each serves GetActive and the signal ActiveChanged(b) under its service's name.
constexpr Kind screenSavers[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"},
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver"},
    {"org.mate.ScreenSaver", "/org/mate/ScreenSaver"},
    {"org.cinnamon.ScreenSaver", "/org/cinnamon/ScreenSaver"},
    {"org.xfce.ScreenSaver", "/org/xfce/ScreenSaver"},
};

constexpr int callTimeoutMs = 5000;

} // namespace

ScreenSaverWatcher::ScreenSaverWatcher(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    static_assert(std::size(screenSavers) == kinds);
    if (!m_bus.isConnected())
        return;
    auto *owners = new QDBusServiceWatcher(this);
    owners->setConnection(m_bus);
    owners->setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    for (std::size_t kind = 0; kind < kinds; ++kind) {
        const QString name = QString::fromLatin1(screenSavers[kind].service);
        owners->addWatchedService(name);
        // KDE signals from a second path as well; any path of the service counts.
        m_bus.connect(name, QString(), name, QStringLiteral("ActiveChanged"), this, SLOT(activeSignal(bool, QDBusMessage)));
        ask(kind);
    }
    connect(owners, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &name, const QString &, const QString &owner) {
                const auto found = std::find_if(std::begin(screenSavers), std::end(screenSavers),
                                                [&name](const Kind &kind) { return name == QLatin1String(kind.service); });
                if (found == std::end(screenSavers))
                    return;
                const auto kind = static_cast<std::size_t>(found - std::begin(screenSavers));
                ++m_asked[kind];
                set(kind, false);
                if (!owner.isEmpty())
                    ask(kind);
            });
}

bool ScreenSaverWatcher::isActive() const
{
    return std::find(m_active.begin(), m_active.end(), true) != m_active.end();
}

void ScreenSaverWatcher::ask(std::size_t kind)
{
    const QString name = QString::fromLatin1(screenSavers[kind].service);
    QDBusMessage call = QDBusMessage::createMethodCall(name, QString::fromLatin1(screenSavers[kind].path), name,
                                                       QStringLiteral("GetActive"));
    call.setAutoStartService(false);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, kind, asked = ++m_asked[kind]](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                const QDBusPendingReply<bool> reply = *finished;
                if (asked == m_asked[kind] && !reply.isError())
                    set(kind, reply.value());
            });
}

void ScreenSaverWatcher::activeSignal(bool active, const QDBusMessage &message)
{
    for (std::size_t kind = 0; kind < kinds; ++kind) {
        if (message.interface() == QLatin1String(screenSavers[kind].service))
            set(kind, active);
    }
}

void ScreenSaverWatcher::set(std::size_t kind, bool active)
{
    const bool before = isActive();
    m_active[kind] = active;
    if (isActive() != before)
        emit activeChanged(isActive());
}

} // namespace plinkum
