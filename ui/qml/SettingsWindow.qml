import QtQuick
import QtQuick.Controls.Basic
import Plinkum.Ui

// The settings window; closing it only hides it, so it comes back as it was left.
ApplicationWindow {
    id: window

    required property UiContext ui
    property alias tab: view.tab

    title: qsTr("%1 Settings").arg("Plinkum")
    flags: Qt.Window | Qt.CustomizeWindowHint | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    width: 520
    height: view.implicitHeight
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height
    color: palette.window

    SettingsView {
        id: view
        anchors.fill: parent
        ui: window.ui
    }
}
