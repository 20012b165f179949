#include "PlinkumApp.h"

#include "AppState.h"
#include "PanelWindow.h"
#include "TrayIcon.h"

#include <QCoreApplication>

namespace plinkum {

PlinkumApp::PlinkumApp(AppState &state, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_tray(new TrayIcon(state, this))
    , m_panel(new PanelWindow(state))
{
    connect(m_tray, &TrayIcon::activated, this, &PlinkumApp::openPanel);
    connect(m_tray, &TrayIcon::unavailable, this, &PlinkumApp::openPanel);
    connect(m_tray, &TrayIcon::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(m_panel, &PanelWindow::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(&m_state, &AppState::onboardingRequested, this, &PlinkumApp::showOnboarding);
}

PlinkumApp::~PlinkumApp()
{
    delete m_panel;
}

void PlinkumApp::start()
{
    m_tray->show();
}

void PlinkumApp::reopen()
{
    if (m_state.shouldShowOnboarding())
        showOnboarding();
    else
        openPanel();
}

void PlinkumApp::openPanel()
{
    m_panel->open();
}

bool PlinkumApp::isPanelOpen() const
{
    return m_panel->isVisible();
}

// The first-run window is not here yet; the panel carries the keyboard-access prompt meanwhile.
void PlinkumApp::showOnboarding()
{
    openPanel();
}

} // namespace plinkum
