#include "PanelWindow.h"

#include "AppState.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace plinkum {

PanelWindow::PanelWindow(AppState &state, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_state(state)
{
    setWindowTitle(QStringLiteral("Plinkum"));
    auto *layout = new QVBoxLayout(this);
    m_pack = new QLabel(this);
    m_enabled = new QCheckBox(tr("Play key sounds"), this);
    m_accessHint = new QLabel(tr("Plinkum can't hear your keyboard yet."), this);
    m_allowAccess = new QPushButton(tr("Allow keyboard access…"), this);
    auto *quit = new QPushButton(tr("Quit Plinkum"), this);
    layout->addWidget(m_pack);
    layout->addWidget(m_enabled);
    layout->addWidget(m_accessHint);
    layout->addWidget(m_allowAccess);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(quit);
    layout->addLayout(buttons);

    connect(m_enabled, &QCheckBox::toggled, &m_state, &AppState::setIsEnabled);
    connect(m_allowAccess, &QPushButton::clicked, &m_state, &AppState::openInputMonitoringSettings);
    connect(quit, &QPushButton::clicked, this, &PanelWindow::quitRequested);
    for (auto signal : {&AppState::isEnabledChanged, &AppState::selectedPackIDChanged,
                        &AppState::hasPermissionChanged, &AppState::isLoadingPackChanged})
        connect(&m_state, signal, this, &PanelWindow::refresh);
    refresh();
}

void PanelWindow::open()
{
    if (!isVisible())
        show();
    raise();
    activateWindow();
}

void PanelWindow::refresh()
{
    const QString name = m_state.selectedPackName();
    m_pack->setText(m_state.isLoadingPack() ? tr("Switch: %1 (loading…)").arg(name) : tr("Switch: %1").arg(name));
    const QSignalBlocker blocker(m_enabled);
    m_enabled->setChecked(m_state.isEnabled());
    m_accessHint->setVisible(!m_state.hasPermission());
    m_allowAccess->setVisible(!m_state.hasPermission());
}

} // namespace plinkum
