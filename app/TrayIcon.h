#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QRect>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace plinkum {

class AppState;
class TrayHost;

// The keycap in the panel's tray, showing whether sounds are on and whether keys can be heard,
// with a menu for the sounds, Settings and Quit. It is there while a tray host is: at login the
// tray may come up after Plinkum, and a panel may be restarted or switched on at any time.
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
    void settingsRequested();
    void quitRequested();
    void shownChanged(bool shown);

private:
    void create();
    void destroy();
    void update();

    AppState &m_state;
    TrayHost *m_host = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_soundsOn = nullptr;
    QElapsedTimer m_lastClick;
};

} // namespace plinkum
