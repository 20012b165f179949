#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>

class QDBusServiceWatcher;

namespace plinkum {

// Follows this process's login session through logind: keys may be heard only while the session
// is the active one of its seat and not locked (as lockers that tell logind report it). Every
// call is asynchronous; until logind answers, and without logind or a session, keys are allowed.
// When logind starts again the session is found again; when the bus goes away the last state is
// kept until it is back. Main thread only.
class LogindWatcher : public QObject {
    Q_OBJECT

public:
    explicit LogindWatcher(QObject *parent = nullptr);

    // Finds the session on this bus: $XDG_SESSION_ID, else the session of this process, else the
    // user's display session; then follows it.
    void follow(const QDBusConnection &bus);
    // The bus went away; answers still on their way are dropped.
    void forget();

    bool isAllowed() const { return m_active && !m_locked; }
    // The session's object path; empty while none is followed.
    QString sessionPath() const { return m_path; }

signals:
    void allowedChanged(bool allowed);

private slots:
    void propertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);

private:
    void findSession();
    void ask(const QString &path, const QString &interface, const QString &method, const QVariantList &arguments,
             std::function<void(const QString &)> then);
    void found(const QString &path);
    void setPath(const QString &path);
    void readProperties();
    void apply(const QVariantMap &properties);

    QDBusConnection m_bus{QString()};
    QDBusServiceWatcher *m_logind = nullptr;
    int m_generation = 0;
    QString m_path;
    bool m_active = true;
    bool m_locked = false;
};

} // namespace plinkum
