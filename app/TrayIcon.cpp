#include "app/TrayIcon.h"

#include "app/AppState.h"
#include "app/KeycapIcon.h"
#include "app/TrayHost.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

namespace plinkum {

TrayIcon::TrayIcon(AppState &state, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_host(new TrayHost(this))
{
    connect(&m_state, &AppState::isEnabledChanged, this, &TrayIcon::update);
    connect(&m_state, &AppState::hasPermissionChanged, this, &TrayIcon::update);
    connect(&m_state, &AppState::selectedPackIDChanged, this, &TrayIcon::update);
    // A new host knows nothing of the icon shown to the old one: the icon registers anew.
    connect(m_host, &TrayHost::appeared, this, [this] {
        destroy();
        create();
    });
    connect(m_host, &TrayHost::disappeared, this, &TrayIcon::destroy);
    if (m_host->isPresent())
        create();
}

TrayIcon::~TrayIcon()
{
    delete m_tray;
    delete m_menu;
}

bool TrayIcon::isShown() const
{
    return m_tray && m_tray->isVisible();
}

void TrayIcon::create()
{
    m_tray = new QSystemTrayIcon;
    m_menu = new QMenu;
    m_menu->addAction(tr("Open Plinkum"), this, &TrayIcon::activated);
    m_menu->addSeparator();
    m_soundsOn = m_menu->addAction(tr("Sounds On"));
    m_soundsOn->setCheckable(true);
    connect(m_soundsOn, &QAction::triggered, &m_state, &AppState::setIsEnabled);
    m_menu->addAction(tr("Settings…"), this, &TrayIcon::settingsRequested);
    m_menu->addSeparator();
    m_menu->addAction(tr("Quit"), this, &TrayIcon::quitRequested);
    m_tray->setContextMenu(m_menu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A double click arrives as a click, a second click and then the double click: only the
        // first one counts, or the panel would open and close again at once.
        if (reason != QSystemTrayIcon::Trigger
            || (m_lastClick.isValid() && m_lastClick.elapsed() < QApplication::doubleClickInterval()))
            return;
        m_lastClick.start();
        emit activated();
    });
    update();
    m_tray->show();
    emit shownChanged(true);
}

void TrayIcon::destroy()
{
    if (!m_tray)
        return;
    delete m_tray;
    m_tray = nullptr;
    delete m_menu;
    m_menu = nullptr;
    m_soundsOn = nullptr;
    emit shownChanged(false);
}

QRect TrayIcon::iconGeometry() const
{
    return m_tray ? m_tray->geometry() : QRect();
}

void TrayIcon::update()
{
    if (!m_tray)
        return;
    // Missing access silences every key whatever the switch says, so it is what the icon shows.
    const KeycapIcon::State state = !m_state.hasPermission() ? KeycapIcon::State::Attention
        : m_state.isEnabled()                               ? KeycapIcon::State::On
                                                            : KeycapIcon::State::Paused;
    m_tray->setIcon(KeycapIcon::icon(state));
    const QString status = state == KeycapIcon::State::Attention ? tr("Keys cannot be heard: keyboard access is missing")
        : state == KeycapIcon::State::On                         ? tr("Sounds on")
                                                                 : tr("Sounds off");
    m_tray->setToolTip(QStringLiteral("Plinkum: %1\n%2").arg(m_state.selectedPackName(), status));
    m_soundsOn->setChecked(m_state.isEnabled());
}

} // namespace plinkum
