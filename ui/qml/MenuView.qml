import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// The panel's content: header, then volume and switch choice, then settings and quit.
Control {
    id: root

    required property UiContext ui
    readonly property AppModel appState: ui.state

    padding: 0
    contentItem: ColumnLayout {
        spacing: 0

        Header {
            Layout.fillWidth: true
            Layout.leftMargin: 16
            Layout.rightMargin: 16
            Layout.topMargin: 14
            Layout.bottomMargin: 12
            ui: root.ui
        }
        Separator { opacity: 0.5 }
        ColumnLayout {
            id: content
            objectName: "panelContent"
            Layout.fillWidth: true
            Layout.margins: 16
            spacing: 14
            enabled: root.appState.isEnabled
            opacity: enabled ? 1 : 0.45
            Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.OutQuad } }

            PermissionBanner {
                objectName: "permissionBanner"
                Layout.fillWidth: true
                visible: !root.appState.hasPermission
                ui: root.ui
            }
            VolumeRow {
                Layout.fillWidth: true
                ui: root.ui
            }
            MouseRow {
                objectName: "mouseRow"
                Layout.fillWidth: true
                ui: root.ui
            }
            SwitchPicker {
                objectName: "switchPicker"
                Layout.fillWidth: true
                ui: root.ui
            }
        }
        Separator { opacity: 0.5 }
        Footer {
            Layout.fillWidth: true
            ui: root.ui
        }
    }
}
