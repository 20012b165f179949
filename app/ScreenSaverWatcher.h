#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

#include <array>

namespace plinkum {

// Follows the desktops' screen savers on the session bus (the freedesktop interface that KDE and
// Xfce serve, GNOME's, MATE's and Cinnamon's): active while any says so, which is while the screen
// is locked or blanked. Some lockers never tell logind, so this is heard beside it. A screen saver
// that leaves the bus is no longer active. Calls are asynchronous and never start a service that
// is not running. Main thread only.
class ScreenSaverWatcher : public QObject {
    Q_OBJECT

public:
    explicit ScreenSaverWatcher(QDBusConnection bus, QObject *parent = nullptr);

    bool isActive() const;

signals:
    void activeChanged(bool active);

private slots:
    void activeSignal(bool active, const QDBusMessage &message);

private:
    static constexpr std::size_t kinds = 5;

    void ask(std::size_t kind);
    void set(std::size_t kind, bool active);

    QDBusConnection m_bus;
    std::array<bool, kinds> m_active{};
    // Counts questions and departures, so an answer from a screen saver that has since left is
    // not taken.
    std::array<int, kinds> m_asked{};
};

} // namespace plinkum
