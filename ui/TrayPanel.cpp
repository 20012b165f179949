#include "ui/TrayPanel.h"

#include "ui/PanelPlacement.h"
#include "ui/UiContext.h"
#include "ui/WindowLoader.h"

#include <QCursor>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QScreen>

namespace plinkum {

TrayPanel::TrayPanel(QQmlEngine &engine, UiContext &context, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
    , m_context(context)
{
}

TrayPanel::~TrayPanel() { delete m_window; }

bool TrayPanel::ensureWindow()
{
    if (m_window)
        return true;
    m_window = WindowLoader::create(m_engine, QStringLiteral("PanelWindow"),
                                    {{QStringLiteral("ui"), QVariant::fromValue(&m_context)}});
    if (!m_window)
        return false;
    connect(m_window, &QWindow::visibleChanged, this, [this](bool visible) {
        if (!visible && m_popup)
            m_hiddenSince.start();
    });
    return true;
}

void TrayPanel::showPopup(const QRect &trayIcon)
{
    if (!ensureWindow())
        return;
    const QPoint pointer = QCursor::pos();
    const QScreen *screen = QGuiApplication::screenAt(trayIcon.isEmpty() ? pointer : trayIcon.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        m_window->setPosition(
            PanelPlacement::topLeft(trayIcon, pointer, screen->availableGeometry(), m_window->size()));
    present(true);
}

void TrayPanel::showWindow()
{
    if (ensureWindow())
        present(false);
}

void TrayPanel::togglePopup(const QRect &trayIcon)
{
    constexpr int sameClickMs = 300;
    if (isVisible())
        hide();
    else if (!m_hiddenSince.isValid() || m_hiddenSince.elapsed() > sameClickMs)
        showPopup(trayIcon);
}

void TrayPanel::hide()
{
    if (m_window)
        m_window->hide();
}

bool TrayPanel::isVisible() const { return m_window && m_window->isVisible(); }

void TrayPanel::present(bool popup)
{
    // Tool windows stay out of the task bar and, frameless, read as part of the tray. Changing
    // the flags of a shown window maps it anew, so an open panel only comes to the front.
    if (!m_window->isVisible() || m_popup != popup) {
        m_window->setFlags(popup ? Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                                 : Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        m_window->setProperty("popup", popup);
        m_popup = popup;
    }
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}

} // namespace plinkum
