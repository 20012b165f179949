import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Asks for keyboard access and moves on by itself once it is there.
ColumnLayout {
    id: root

    required property UiContext ui
    readonly property AppModel appState: ui.state
    property bool active: true

    signal granted()

    spacing: 0

    function check() {
        if (active && appState.hasPermission)
            granted()
    }
    Component.onCompleted: check()
    Connections {
        target: root.appState
        function onHasPermissionChanged() { root.check() }
    }

    Shortcut {
        sequences: ["Return", "Enter"]
        enabled: root.active
        onActivated: root.ui.state.requestKeyboardAccess()
    }

    Label {
        Layout.fillWidth: true
        text: qsTr("Let %1 hear your keys").arg("Plinkum")
        font.pixelSize: 24
        font.weight: Font.Bold
        wrapMode: Text.Wrap
    }
    Label {
        Layout.fillWidth: true
        Layout.topMargin: 6
        text: qsTr("Linux keeps keyboards private, so %1 asks once for keyboard access. It only listens for key presses to play sounds — nothing is recorded, stored, or sent.").arg("Plinkum")
        font.pixelSize: 13
        color: Style.fade("white", 0.55)
        wrapMode: Text.Wrap
    }
    AccessMock {
        Layout.fillWidth: true
        Layout.topMargin: 22
        running: root.visible
    }
    PrimaryButton {
        objectName: "allowButton"
        Layout.fillWidth: true
        Layout.topMargin: 22
        text: qsTr("Allow Keyboard Access")
        onClicked: root.ui.state.requestKeyboardAccess()
    }
    RowLayout {
        Layout.fillWidth: true
        Layout.topMargin: 14
        spacing: 8
        Spinner {
            running: root.visible
        }
        Label {
            text: qsTr("Waiting for permission…")
            font.pixelSize: 12
            color: Style.fade("white", 0.55)
        }
        Item { Layout.fillWidth: true }
        LinkButton {
            text: qsTr("Already allowed? Reopen")
            onClicked: root.ui.state.relaunch()
        }
    }
}
