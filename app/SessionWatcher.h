#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace plinkum {

class BusConnector;
class LogindWatcher;
class ScreenSaverWatcher;
class XScreenSaverWatcher;

// Whether keys may be heard: while this process's login session is the active one of its seat
// and not locked (logind), and no screen saver or locker says it is up (the session bus's screen
// saver services, and on X11 the server's screen saver). An open keyboard device keeps
// delivering after a switch to another user or at the lock screen, so whoever listens has to
// close it themselves. Nothing here waits for a bus: until an answer comes, and where there is
// nothing to follow, keys are allowed. Main thread only.
class SessionWatcher : public QObject {
    Q_OBJECT

public:
    // This session's own: logind on the system bus (connected in the background, and again when
    // it comes back), the session bus, and the X display unless the session is Wayland's.
    explicit SessionWatcher(QObject *parent = nullptr);
    // Logind alone, on a bus given as it is (none, when it is not connected).
    explicit SessionWatcher(QDBusConnection systemBus, QObject *parent = nullptr);

    bool isAllowed() const { return m_allowed; }
    // The login session's object path; empty while none is followed.
    QString sessionPath() const;

signals:
    void allowedChanged(bool allowed);

private:
    void update();

    LogindWatcher *m_logind = nullptr;
    ScreenSaverWatcher *m_screenSaver = nullptr;
    XScreenSaverWatcher *m_xScreenSaver = nullptr;
    bool m_allowed = true;
};

} // namespace plinkum
