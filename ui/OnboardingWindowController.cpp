#include "ui/OnboardingWindowController.h"

#include "ui/UiContext.h"
#include "ui/WindowLoader.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QScreen>

namespace plinkum {

OnboardingWindowController::OnboardingWindowController(QQmlEngine &engine, UiContext &context, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
    , m_context(context)
{
}

OnboardingWindowController::~OnboardingWindowController()
{
    // Going away with the application closes nothing the user chose to close.
    if (m_window)
        m_window->disconnect(this);
    delete m_window;
}

bool OnboardingWindowController::eventFilter(QObject *watched, QEvent *event)
{
    // Quitting closes every window before the event loop ends; that close is not the user's.
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit)
        m_quitting = true;
    return false;
}

void OnboardingWindowController::show(const QString &startStep)
{
    if (!m_window) {
        m_window = WindowLoader::create(m_engine, QStringLiteral("OnboardingWindow"),
                                        {{QStringLiteral("ui"), QVariant::fromValue(&m_context)},
                                         {QStringLiteral("startStep"), startStep}});
        if (!m_window)
            return;
        connect(m_window, &QWindow::visibleChanged, this, [this](bool visible) {
            if (visible || m_quitting)
                return;
            if (m_context.state())
                m_context.state()->setOnboardingOpen(false);
            emit closedByUser();
        });
        QCoreApplication::instance()->installEventFilter(this);
        connect(m_window, SIGNAL(stepAdvancing()), this, SLOT(updateCloseButton()));
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame = m_window->geometry();
            frame.moveCenter(screen->availableGeometry().center());
            m_window->setPosition(frame.topLeft());
        }
    }
    updateCloseButton();
    if (m_context.state())
        m_context.state()->setOnboardingOpen(true);
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}

void OnboardingWindowController::updateCloseButton()
{
    if (!m_window)
        return;
    m_window->setFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

} // namespace plinkum
