#include "TrayIcon.h"

#include "AppState.h"
#include "KeycapIcon.h"
#include "TrayHost.h"

#include <QApplication>
#include <QMenu>
#include <QPalette>
#include <QSystemTrayIcon>

namespace plinkum {

namespace {

// Linux panels do not tint tray icons, so the icon takes the colour of the panel's text. GNOME's
// top bar is dark whatever the application palette says.
QColor panelTextColor()
{
    if (qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(QStringLiteral("GNOME"), Qt::CaseInsensitive))
        return Qt::white;
    return QApplication::palette().color(QPalette::WindowText);
}

} // namespace

TrayIcon::TrayIcon(AppState &state, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_host(new TrayHost(this))
{
    connect(&m_state, &AppState::isEnabledChanged, this, &TrayIcon::updateIcon);
    // A new host knows nothing of the icon shown to the old one: the icon registers anew.
    connect(m_host, &TrayHost::appeared, this, [this] {
        destroy();
        create();
    });
    connect(m_host, &TrayHost::disappeared, this, &TrayIcon::destroy);
    qApp->installEventFilter(this);
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
    m_tray->setToolTip(QStringLiteral("Plinkum"));
    m_menu = new QMenu;
    m_menu->addAction(tr("Open Plinkum"), this, &TrayIcon::activated);
    m_menu->addSeparator();
    m_menu->addAction(tr("Quit Plinkum"), this, &TrayIcon::quitRequested);
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
    updateIcon();
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
    emit shownChanged(false);
}

QRect TrayIcon::iconGeometry() const
{
    return m_tray ? m_tray->geometry() : QRect();
}

void TrayIcon::updateIcon()
{
    if (m_tray)
        m_tray->setIcon(KeycapIcon::icon(m_state.isEnabled(), panelTextColor()));
}

bool TrayIcon::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        updateIcon();
    return QObject::eventFilter(watched, event);
}

} // namespace plinkum
