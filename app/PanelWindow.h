#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace plinkum {

class AppState;

// A stand-in for the tray panel until the real interface arrives: the selected pack, the master
// switch, the keyboard-access prompt while access is missing, and Quit. Closing only hides it.
class PanelWindow : public QWidget {
    Q_OBJECT

public:
    explicit PanelWindow(AppState &state, QWidget *parent = nullptr);

    // Shows the panel, or brings it forward when it is already open.
    void open();

signals:
    void quitRequested();

private:
    void refresh();

    AppState &m_state;
    QLabel *m_pack = nullptr;
    QCheckBox *m_enabled = nullptr;
    QLabel *m_accessHint = nullptr;
    QPushButton *m_allowAccess = nullptr;
};

} // namespace plinkum
