#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickWindow>

class QQmlEngine;


namespace plinkum {

class UiContext;

// The one settings window: built on the first `show`, hidden (not destroyed) when closed, and
// brought to the front with its state intact by every later `show`.
class SettingsWindowController : public QObject {
    Q_OBJECT

public:
    SettingsWindowController(QQmlEngine &engine, UiContext &context, QObject *parent = nullptr);
    ~SettingsWindowController() override;

    void show();
    [[nodiscard]] QQuickWindow *window() const { return m_window; }

private:
    QQmlEngine &m_engine;
    UiContext &m_context;
    QPointer<QQuickWindow> m_window;
};

} // namespace plinkum
