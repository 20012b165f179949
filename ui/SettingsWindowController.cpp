#include "ui/SettingsWindowController.h"

#include "ui/UiContext.h"
#include "ui/WindowLoader.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QScreen>

namespace plinkum {

SettingsWindowController::SettingsWindowController(QQmlEngine &engine, UiContext &context, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
    , m_context(context)
{
}

SettingsWindowController::~SettingsWindowController() { delete m_window; }

void SettingsWindowController::show()
{
    if (!m_window) {
        m_window = WindowLoader::create(m_engine, QStringLiteral("SettingsWindow"),
                                        {{QStringLiteral("ui"), QVariant::fromValue(&m_context)}});
        if (!m_window)
            return;
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame = m_window->geometry();
            frame.moveCenter(screen->availableGeometry().center());
            m_window->setPosition(frame.topLeft());
        }
    }
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}

} // namespace plinkum
