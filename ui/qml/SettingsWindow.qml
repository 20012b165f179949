import QtQuick
import QtQuick.Controls.Basic
import Plinkum.Ui

// The settings window; closing it (also by Esc or Ctrl+W) only hides it, so it comes back as it
// was left. It can be made smaller than its content, which then scrolls.
ApplicationWindow {
    id: window

    required property UiContext ui
    property alias tab: view.tab

    title: qsTr("%1 Settings").arg("Plinkum")
    flags: Qt.Window | Qt.CustomizeWindowHint | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
           | Qt.WindowMaximizeButtonHint
    width: 520
    height: 505
    minimumWidth: 420
    minimumHeight: 300
    color: palette.window

    Shortcut {
        sequences: ["Escape", "Ctrl+W"]
        onActivated: window.close()
    }

    SettingsView {
        id: view
        anchors.fill: parent
        ui: window.ui
    }
}
