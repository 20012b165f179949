#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace plinkum {

// Follows this process's login session through logind: keys may be heard only while the session
// is the active one of its seat and not locked. An open keyboard device keeps delivering after a
// switch to another user or at the lock screen, so whoever listens has to close it themselves.
// Without logind (no system bus, no session found) there is nothing to follow and keys are
// always allowed. Main thread only; after construction it never waits for the bus.
class SessionWatcher : public QObject {
    Q_OBJECT

public:
    // Finds the session on the given bus: $XDG_SESSION_ID, else the session of this process,
    // else the user's display session. Waits for logind's answers (briefly) so the state is
    // known before anything listens.
    explicit SessionWatcher(QDBusConnection bus, QObject *parent = nullptr);

    bool isAllowed() const { return m_active && !m_locked; }
    // The session's object path; empty when none is followed.
    QString sessionPath() const { return m_path; }

signals:
    void allowedChanged(bool allowed);

private slots:
    void propertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);

private:
    QString findSession();
    void readProperties();
    void apply(const QVariantMap &properties);

    QDBusConnection m_bus;
    QString m_path;
    bool m_active = true;
    bool m_locked = false;
};

} // namespace plinkum
