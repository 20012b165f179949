#include "app/TrayHost.h"

#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>

#include <X11/Xlib.h>

namespace plinkum {

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
// The watcher may hang; the interface thread must not wait on it for long.
constexpr int watcherTimeoutMs = 1000;

// Qt docks icons in an XEmbed tray only on its xcb platform; other platforms (offscreen) may
// still offer an X display, or one without a connection.
Display *xembedDisplay()
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 && QGuiApplication::platformName() == QLatin1String("xcb") ? x11->display() : nullptr;
}

} // namespace

TrayHost::TrayHost(QObject *parent)
    : QObject(parent)
    , m_bus(QDBusConnection::sessionBus())
{
    if (m_bus.isConnected()) {
        auto *watcher = new QDBusServiceWatcher(watcherService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString &, const QString &oldOwner, const QString &) {
                    // A new watcher knows none of the items the old one had.
                    if (!oldOwner.isEmpty())
                        change(false, m_xembedOwner);
                    askStatusNotifierWatcher();
                });
        m_bus.connect(watcherService, watcherPath, watcherService, QStringLiteral("StatusNotifierHostRegistered"),
                      this, SLOT(askStatusNotifierWatcher()));
        m_bus.connect(watcherService, watcherPath, watcherService, QStringLiteral("StatusNotifierHostUnregistered"),
                      this, SLOT(askStatusNotifierWatcher()));
        askStatusNotifierWatcher();
    }
    if (xembedDisplay()) {
        m_xembedPoll.setInterval(xembedPollMs);
        connect(&m_xembedPoll, &QTimer::timeout, this, &TrayHost::checkXEmbedTray);
        m_xembedPoll.start();
        checkXEmbedTray();
    }
}

void TrayHost::askStatusNotifierWatcher()
{
    QDBusMessage get = QDBusMessage::createMethodCall(watcherService, watcherPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = m_bus.call(get, QDBus::Block, watcherTimeoutMs);
    const bool registered = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                            && reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
    change(registered, m_xembedOwner);
}

void TrayHost::checkXEmbedTray()
{
    Display *display = xembedDisplay();
    const QByteArray selection = "_NET_SYSTEM_TRAY_S" + QByteArray::number(DefaultScreen(display));
    const Window owner = XGetSelectionOwner(display, XInternAtom(display, selection.constData(), False));
    if (owner == 0)
        return;
    m_xembedPoll.stop();
    change(m_statusNotifier, owner);
}

void TrayHost::change(bool statusNotifier, unsigned long xembedOwner)
{
    const bool before = isPresent();
    const bool gained = (statusNotifier && !m_statusNotifier) || (xembedOwner != 0 && m_xembedOwner == 0);
    m_statusNotifier = statusNotifier;
    m_xembedOwner = xembedOwner;
    if (isPresent() && (!before || gained))
        emit appeared();
    else if (before && !isPresent())
        emit disappeared();
}

} // namespace plinkum
