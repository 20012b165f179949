#include "app/KeyListening.h"

#include "app/KeyboardAccessRequest.h"
#include "input/KeyboardMonitor.h"
#include "common/Log.h"
#include "app/SessionWatcher.h"

#include <QTimer>

#include <algorithm>

namespace plinkum {

namespace {
const char *text(bool value)
{
    return value ? "true" : "false";
}
} // namespace

KeyListening::KeyListening(KeyboardMonitor &monitor, std::function<bool()> hasKeyboardAccess,
                           std::optional<QDBusConnection> systemBus, const QString &pkexec, QObject *parent)
    : QObject(parent)
    , m_monitor(monitor)
    , m_hasKeyboardAccess(std::move(hasKeyboardAccess))
    , m_session(systemBus ? new SessionWatcher(*systemBus, this) : new SessionWatcher(this))
    , m_accessRequest(new KeyboardAccessRequest(this, pkexec))
    , m_retryTimer(new QTimer(this))
    , m_hasAccess(m_hasKeyboardAccess())
{
    m_monitor.setEndedHandler([this] { QMetaObject::invokeMethod(this, &KeyListening::sourceEnded, Qt::QueuedConnection); });
    m_retryTimer->setSingleShot(true);
    connect(m_retryTimer, &QTimer::timeout, this, &KeyListening::retryListening);
    connect(m_session, &SessionWatcher::allowedChanged, this, &KeyListening::sessionAllowedChanged);
    connect(m_accessRequest, &KeyboardAccessRequest::granted, this, &KeyListening::pollKeyboardAccess);
    connect(m_accessRequest, &KeyboardAccessRequest::stateChanged, this, [this] {
        emit accessRequestChanged();
        emit accessSourceChanged();
    });
    // A keyboard opened under the rule stays readable after it is gone: close and start over.
    connect(m_accessRequest, &KeyboardAccessRequest::revoked, this, [this] {
        m_monitor.stop();
        start();
        emit accessSourceChanged();
    });
}

void KeyListening::setHasAccess(bool hasAccess)
{
    if (m_hasAccess == hasAccess)
        return;
    m_hasAccess = hasAccess;
    emit hasAccessChanged();
}

void KeyListening::start()
{
    const bool granted = m_hasKeyboardAccess();
    const bool listening = granted && listenIfAllowed();
    std::string line = std::string("keyboard access granted=") + text(granted) + " listening=" + text(listening);
    if (listening && m_session->isAllowed())
        line += " source=" + std::string(m_monitor.sourceName());
    else if (listening)
        line += " (held back: the session is locked or in the background)";
    log(line);
    if (listening) {
        setHasAccess(true);
        return;
    }
    setHasAccess(false);
    delete m_permissionTimer;
    m_permissionTimer = new QTimer(this);
    m_permissionTimer->setInterval(permissionPollMs);
    connect(m_permissionTimer, &QTimer::timeout, this, &KeyListening::pollKeyboardAccess);
    m_permissionTimer->start();
}

void KeyListening::requestAccess()
{
    m_accessRequest->requestAccess();
}

void KeyListening::revokeAccess()
{
    m_accessRequest->revokeAccess();
}

void KeyListening::pollKeyboardAccess()
{
    if (m_hasAccess || !m_hasKeyboardAccess() || !listenIfAllowed())
        return;
    setHasAccess(true);
    if (m_permissionTimer) {
        m_permissionTimer->deleteLater();
        m_permissionTimer = nullptr;
    }
}

// True when the monitor listens, or would but for the session.
bool KeyListening::listenIfAllowed()
{
    return !m_session->isAllowed() || m_monitor.start();
}

void KeyListening::sessionAllowedChanged(bool allowed)
{
    if (!allowed) {
        m_retryTimer->stop();
        m_monitor.stop();
        log("keyboard closed: the session is locked or another session is in front");
        return;
    }
    if (!m_hasAccess)
        return; // the permission poll opens it once access is there
    if (m_monitor.start()) {
        log("keyboard reopened: the session is active and unlocked");
        return;
    }
    m_retryDelayMs = firstRetryMs;
    m_retryTimer->start(m_retryDelayMs);
}

void KeyListening::sourceEnded()
{
    if (m_monitor.isListening() || !m_session->isAllowed() || m_retryTimer->isActive())
        return;
    log("keyboard input ended; trying to listen again");
    m_retryDelayMs = firstRetryMs;
    m_retryTimer->start(m_retryDelayMs);
}

void KeyListening::retryListening()
{
    if (!m_session->isAllowed() || m_monitor.isListening())
        return;
    if (m_monitor.start()) {
        log("keyboard listening again through " + std::string(m_monitor.sourceName()));
        return;
    }
    m_retryDelayMs = std::min(m_retryDelayMs * 2, longestRetryMs);
    m_retryTimer->start(m_retryDelayMs);
}

} // namespace plinkum
