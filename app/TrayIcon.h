#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QRect>

class QMenu;
class QSystemTrayIcon;

namespace plinkum {

class AppState;
class TrayHost;

// The keycap in the panel's tray, solid while sounds are on and dashed while off. It is there
// while a tray host is: at login the tray may come up after Plinkum, and a panel may be restarted
// or switched on at any time.
class TrayIcon : public QObject {
    Q_OBJECT

public:
    explicit TrayIcon(AppState &state, QObject *parent = nullptr);
    ~TrayIcon() override;

    [[nodiscard]] bool isShown() const;
    // Where the icon is on screen; empty when the tray does not say (StatusNotifierItem).
    [[nodiscard]] QRect iconGeometry() const;

signals:
    void activated();
    void quitRequested();
    void shownChanged(bool shown);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void create();
    void destroy();
    void updateIcon();

    AppState &m_state;
    TrayHost *m_host = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_menu = nullptr;
    QElapsedTimer m_lastClick;
};

} // namespace plinkum
