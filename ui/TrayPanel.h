#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QQuickWindow>
#include <QRect>

class QQmlEngine;


namespace plinkum {

class UiContext;

// The panel behind the tray icon. With a tray it is a frameless popup beside the icon (or at the
// pointer when the tray does not say where its icon is) that hides when it loses focus; without
// a usable tray it is a small ordinary window.
class TrayPanel : public QObject {
    Q_OBJECT

public:
    TrayPanel(QQmlEngine &engine, UiContext &context, QObject *parent = nullptr);
    ~TrayPanel() override;

    // `trayIcon` is the icon's screen geometry; empty when the platform does not report it.
    void showPopup(const QRect &trayIcon);
    void showWindow();
    void togglePopup(const QRect &trayIcon);
    void hide();
    [[nodiscard]] bool isVisible() const;
    [[nodiscard]] QQuickWindow *window() const { return m_window; }

private:
    bool ensureWindow();
    void present(bool popup);

    QQmlEngine &m_engine;
    UiContext &m_context;
    QPointer<QQuickWindow> m_window;
    // A click on the tray icon first takes the focus from the open popup, which hides it; that
    // same click must not open it again. A closed window is no such click.
    QElapsedTimer m_hiddenSince;
    bool m_popup = false;
};

} // namespace plinkum
