import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Asks for keyboard access and moves on by itself once keys can be heard: Plinkum looks for
// access all the time, so nothing needs restarting.
ColumnLayout {
    id: root

    required property UiContext ui
    readonly property AppModel appState: ui.state
    property bool active: true

    signal granted()
    signal skipped()

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
        enabled: root.active && allow.enabled
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
        text: qsTr("To play a sound for each key, %1 needs to read your keyboard, which Linux keeps private. Allowing it asks for your password once and lets the person at this computer read keyboards. %1 only listens for key presses — nothing is recorded, stored, or sent.").arg("Plinkum")
        font.pixelSize: 13
        color: Style.fade("white", 0.6)
        wrapMode: Text.Wrap
    }
    AccessStatus {
        objectName: "accessStatus"
        Layout.fillWidth: true
        Layout.topMargin: 22
        request: root.appState.accessRequest
        allowed: root.appState.hasPermission
    }
    PrimaryButton {
        id: allow
        objectName: "allowButton"
        Layout.fillWidth: true
        Layout.topMargin: 22
        enabled: root.appState.accessRequest !== "asking"
        text: root.appState.accessRequest === "refused" ? qsTr("Ask Again") : qsTr("Allow Keyboard Access")
        onClicked: root.ui.state.requestKeyboardAccess()
    }
    RowLayout {
        Layout.fillWidth: true
        Layout.topMargin: 14
        spacing: 8
        LinkButton {
            objectName: "notNowButton"
            text: qsTr("Not now")
            onClicked: root.skipped()
        }
        Item { Layout.fillWidth: true }
        LinkButton {
            objectName: "learnMoreLink"
            text: qsTr("Learn more")
            onClicked: root.ui.openHelp()
        }
    }
}
