#include "TrayIcon.h"

#include "AppState.h"
#include "KeycapIcon.h"

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
{
    m_retry.setInterval(retryIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, &TrayIcon::tryShow);
    connect(&m_state, &AppState::isEnabledChanged, this, &TrayIcon::updateIcon);
    qApp->installEventFilter(this);
}

TrayIcon::~TrayIcon()
{
    delete m_menu;
}

void TrayIcon::show()
{
    m_attempts = 0;
    tryShow();
}

bool TrayIcon::isShown() const
{
    return m_tray && m_tray->isVisible();
}

void TrayIcon::tryShow()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        if (++m_attempts < retries) {
            m_retry.start();
        } else {
            m_retry.stop();
            emit unavailable();
        }
        return;
    }
    m_retry.stop();
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(this);
        m_tray->setToolTip(QStringLiteral("Plinkum"));
        m_menu = new QMenu;
        m_menu->addAction(tr("Open Plinkum"), this, &TrayIcon::activated);
        m_menu->addSeparator();
        m_menu->addAction(tr("Quit Plinkum"), this, &TrayIcon::quitRequested);
        m_tray->setContextMenu(m_menu);
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                emit activated();
        });
    }
    updateIcon();
    m_tray->show();
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
