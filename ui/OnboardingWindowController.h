#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickWindow>

class QQmlEngine;


namespace plinkum {

class UiContext;

// The one first-run window. From showing it until the user closes it the "onboardingOpen" flag is
// stored as true, so a quit while it is open brings it back at the next start.
class OnboardingWindowController : public QObject {
    Q_OBJECT

public:
    OnboardingWindowController(QQmlEngine &engine, UiContext &context, QObject *parent = nullptr);
    ~OnboardingWindowController() override;

    // `startStep` ("access" or "ready") overrides the step chosen from the access state; the
    // application always leaves it empty.
    void show(const QString &startStep = {});
    [[nodiscard]] QQuickWindow *window() const { return m_window; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    // Only the close button: the window has no minimise or maximise button.
    void updateCloseButton();

signals:
    // The user finished or closed the window; Plinkum going away closes it without this.
    void closedByUser();

private:
    QQmlEngine &m_engine;
    UiContext &m_context;
    QPointer<QQuickWindow> m_window;
    bool m_quitting = false;
};

} // namespace plinkum
