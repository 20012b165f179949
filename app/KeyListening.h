#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QTimer;

namespace plinkum {

class KeyboardAccessRequest;
class KeyboardMonitor;
class SessionWatcher;

// Keeps the keyboard monitor listening whenever it may: polls for keyboard access while there is
// none, closes the keyboards while the login session is locked or in the background and opens
// them again when it is back, reopens a key source that ended by itself with a doubling back-off,
// and runs the user's requests to grant or revoke access. Main thread only.
class KeyListening : public QObject {
    Q_OBJECT

public:
    static constexpr int permissionPollMs = 1500;
    // A key source that ended by itself is reopened after these delays, doubling up to the last.
    static constexpr int firstRetryMs = 1000;
    static constexpr int longestRetryMs = 60000;

    // The monitor must outlive this object; `hasKeyboardAccess` answers whether keyboards may be
    // read at all; logind is followed on `systemBus`, by default the system's, reached without
    // waiting for it; pkexec runs the access helpers.
    KeyListening(KeyboardMonitor &monitor, std::function<bool()> hasKeyboardAccess,
                 std::optional<QDBusConnection> systemBus, const QString &pkexec, QObject *parent = nullptr);

    // Keyboard events can reach the monitor: access granted and a source open (or held back only
    // by the session).
    [[nodiscard]] bool hasAccess() const { return m_hasAccess; }
    // Where the user's request for access stands.
    [[nodiscard]] const KeyboardAccessRequest &accessRequest() const { return *m_accessRequest; }
    // The delay before the next attempt to reopen an ended source.
    [[nodiscard]] int retryDelayMs() const { return m_retryDelayMs; }

    // Starts listening, or polls for access until it can.
    void start();
    void requestAccess();
    void revokeAccess();

signals:
    void hasAccessChanged();
    void accessRequestChanged();
    // What gives access may have changed: the rule installed or removed.
    void accessSourceChanged();

private:
    void setHasAccess(bool hasAccess);
    void pollKeyboardAccess();
    bool listenIfAllowed();
    void sessionAllowedChanged(bool allowed);
    void sourceEnded();
    void retryListening();

    KeyboardMonitor &m_monitor;
    std::function<bool()> m_hasKeyboardAccess;
    SessionWatcher *m_session;
    KeyboardAccessRequest *m_accessRequest;
    QTimer *m_permissionTimer = nullptr;
    QTimer *m_retryTimer;
    int m_retryDelayMs = firstRetryMs;
    bool m_hasAccess = false;
};

} // namespace plinkum
