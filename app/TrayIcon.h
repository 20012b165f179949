#pragma once

#include <QObject>
#include <QRect>
#include <QTimer>

class QMenu;
class QSystemTrayIcon;

namespace plinkum {

class AppState;

// The keycap in the panel's tray, solid while sounds are on and dashed while off. At login the
// tray may come up after Plinkum, so a missing tray is asked for again for a minute before
// giving up.
class TrayIcon : public QObject {
    Q_OBJECT

public:
    static constexpr int retryIntervalMs = 5000;
    static constexpr int retries = 12;

    explicit TrayIcon(AppState &state, QObject *parent = nullptr);
    ~TrayIcon() override;

    void show();
    bool isShown() const;
    // Where the icon is on screen; empty when the tray does not say (StatusNotifierItem).
    QRect iconGeometry() const;

signals:
    void activated();
    void quitRequested();
    // No tray appeared in time: the panel has to be reachable some other way.
    void unavailable();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tryShow();
    void updateIcon();

    AppState &m_state;
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_menu = nullptr;
    QTimer m_retry;
    int m_attempts = 0;
};

} // namespace plinkum
