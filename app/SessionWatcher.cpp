#include "app/SessionWatcher.h"

#include "app/BusConnector.h"
#include "app/LogindWatcher.h"
#include "app/ScreenSaverWatcher.h"
#include "app/XScreenSaverWatcher.h"

namespace plinkum {

namespace {

// Under Wayland, the X server is Xwayland, whose screen saver sees none of the input.
bool isX11Session()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariable("XDG_SESSION_TYPE") != QLatin1String("wayland");
}

} // namespace

SessionWatcher::SessionWatcher(QObject *parent)
    : QObject(parent)
    , m_logind(new LogindWatcher(this))
    , m_screenSaver(new ScreenSaverWatcher(QDBusConnection::sessionBus(), this))
{
    auto *systemBus = new BusConnector({}, this);
    connect(systemBus, &BusConnector::connected, m_logind, &LogindWatcher::follow);
    connect(systemBus, &BusConnector::disconnected, m_logind, &LogindWatcher::forget);
    connect(m_logind, &LogindWatcher::allowedChanged, this, &SessionWatcher::update);
    connect(m_screenSaver, &ScreenSaverWatcher::activeChanged, this, &SessionWatcher::update);
    if (isX11Session()) {
        m_xScreenSaver = new XScreenSaverWatcher(qgetenv("DISPLAY"), this);
        connect(m_xScreenSaver, &XScreenSaverWatcher::activeChanged, this, &SessionWatcher::update);
    }
    update();
    systemBus->start();
}

SessionWatcher::SessionWatcher(QDBusConnection systemBus, QObject *parent)
    : QObject(parent)
    , m_logind(new LogindWatcher(this))
{
    connect(m_logind, &LogindWatcher::allowedChanged, this, &SessionWatcher::update);
    m_logind->follow(systemBus);
}

QString SessionWatcher::sessionPath() const
{
    return m_logind->sessionPath();
}

void SessionWatcher::update()
{
    const bool allowed = m_logind->isAllowed() && !(m_screenSaver && m_screenSaver->isActive())
        && !(m_xScreenSaver && m_xScreenSaver->isActive());
    if (allowed == m_allowed)
        return;
    m_allowed = allowed;
    emit allowedChanged(allowed);
}

} // namespace plinkum
