#include "app/PlinkumApp.h"

#include "app/AppState.h"
#include "ui/OnboardingWindowController.h"
#include "ui/PackCatalog.h"
#include "ui/SettingsWindowController.h"
#include "app/TrayIcon.h"
#include "ui/TrayPanel.h"
#include "ui/UserInterface.h"

#include <QCoreApplication>

namespace plinkum {

PlinkumApp::PlinkumApp(AppState &state, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_tray(new TrayIcon(state, this))
    , m_catalog(new PackCatalog(this))
{
    m_catalog->track(*state.library());
    m_ui = std::make_unique<UserInterface>(&state, m_catalog);
    connect(m_tray, &TrayIcon::activated, this, &PlinkumApp::togglePanel);
    connect(m_tray, &TrayIcon::settingsRequested, this, [this] { m_ui->settings().show(); });
    connect(m_tray, &TrayIcon::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(&m_state, &AppState::onboardingRequested, this, &PlinkumApp::showOnboarding);
    // Leaving the first-run window lands on the panel, so Plinkum never just disappears.
    connect(&m_ui->onboarding(), &OnboardingWindowController::closedByUser, this, &PlinkumApp::openPanel);
    m_state.setHasTrayHost(m_tray->isShown());
    connect(m_tray, &TrayIcon::shownChanged, &m_state, &AppState::setHasTrayHost);
}

PlinkumApp::~PlinkumApp() = default;

void PlinkumApp::start()
{
    // Without a tray nothing would show that Plinkum runs, nor lead to its panel.
    if (!m_tray->isShown())
        reopen();
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
    if (m_tray->isShown())
        m_ui->panel().showPopup(m_tray->iconGeometry());
    else
        m_ui->panel().showWindow();
}

void PlinkumApp::togglePanel()
{
    if (m_tray->isShown())
        m_ui->panel().togglePopup(m_tray->iconGeometry());
    else
        m_ui->panel().showWindow();
}

bool PlinkumApp::isPanelOpen() const
{
    return m_ui->panel().isVisible();
}

void PlinkumApp::showOnboarding()
{
    m_ui->onboarding().show();
}

} // namespace plinkum
