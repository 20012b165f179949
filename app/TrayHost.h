#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

namespace plinkum {

// Whether something on the desktop can show a tray icon: a StatusNotifierWatcher on the session
// bus with a host registered, or on X11 an XEmbed tray. Qt asks the session bus once per process
// and keeps a "no" for good, so a tray that comes up after Plinkum (a panel that starts late, a
// shell extension switched on) is noticed here, and the icon is made only once there is one.
class TrayHost : public QObject {
    Q_OBJECT

public:
    // How often the X11 tray selection is looked at while it has no owner. Once there is a tray,
    // Qt docks the icon again in whichever tray replaces it, so the looking stops (no wake-ups).
    static constexpr int xembedPollMs = 2000;

    explicit TrayHost(QObject *parent = nullptr);

    [[nodiscard]] bool isPresent() const { return m_statusNotifier || m_xembedOwner != 0; }

signals:
    // A host came up, or a new one took the place of the old: icons have to register again.
    void appeared();
    void disappeared();

private:
    Q_SLOT void askStatusNotifierWatcher();
    void checkXEmbedTray();
    void change(bool statusNotifier, unsigned long xembedOwner);

    QDBusConnection m_bus;
    QTimer m_xembedPoll;
    bool m_statusNotifier = false;
    unsigned long m_xembedOwner = 0;
};

} // namespace plinkum
