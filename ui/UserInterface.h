#pragma once

#include "ui/UiContext.h"

#include <QObject>

#include <memory>

class QQmlEngine;

namespace plinkum {

class OnboardingWindowController;
class PackCatalog;
class SettingsWindowController;
class TrayPanel;

// Owns the QML engine and the three windows of the interface; the application builds one.
class UserInterface : public QObject {
    Q_OBJECT

public:
    UserInterface(AppModel *state, PackCatalog *catalog, QObject *parent = nullptr);
    ~UserInterface() override;

    [[nodiscard]] QQmlEngine &engine() const { return *m_engine; }
    [[nodiscard]] UiContext &context() const { return *m_context; }
    [[nodiscard]] TrayPanel &panel() const { return *m_panel; }
    [[nodiscard]] SettingsWindowController &settings() const { return *m_settings; }
    [[nodiscard]] OnboardingWindowController &onboarding() const { return *m_onboarding; }

private:
    std::unique_ptr<QQmlEngine> m_engine;
    UiContext *m_context;
    TrayPanel *m_panel;
    SettingsWindowController *m_settings;
    OnboardingWindowController *m_onboarding;
};

} // namespace plinkum
