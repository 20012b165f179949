#pragma once

#include <QObject>

#include <memory>

namespace plinkum {

class AppState;
class PackCatalog;
class TrayIcon;
class UserInterface;

// The tray application around the state: the tray icon, the panel it opens, and what happens
// when Plinkum is started again while it runs.
class PlinkumApp : public QObject {
    Q_OBJECT

public:
    explicit PlinkumApp(AppState &state, QObject *parent = nullptr);
    ~PlinkumApp() override;

    // Shows what a start from the menu should show when there is no tray icon to click.
    void start();

    // Started again: the first-run window while keyboard access is missing or it was left open,
    // otherwise the panel, which stays open if it already was.
    void reopen();
    void openPanel();
    // A click on the tray icon.
    void togglePanel();
    bool isPanelOpen() const;

private:
    void showOnboarding();

    AppState &m_state;
    TrayIcon *m_tray = nullptr;
    PackCatalog *m_catalog = nullptr;
    std::unique_ptr<UserInterface> m_ui;
};

} // namespace plinkum
