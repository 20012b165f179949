import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Mouse clicks beside the keyboard's sound: what clicks play, and their switch.
Control {
    id: root

    required property UiContext ui
    readonly property AppModel appState: ui.state
    readonly property color secondary: Style.fade(palette.windowText, 0.55)

    padding: 0
    contentItem: RowLayout {
        spacing: 10

        Text {
            text: qsTr("Mouse clicks")
            font.pixelSize: 12
            font.weight: Font.Medium
            color: root.palette.windowText
        }
        Text {
            objectName: "mouseState"
            Layout.fillWidth: true
            textFormat: Text.PlainText
            text: !root.appState.mouseClicks ? qsTr("Off")
                : root.appState.mousePackID === "sameAsKeyboard" ? qsTr("Same as keyboard")
                : root.appState.mousePackName
            font.pixelSize: 11
            color: root.secondary
            elide: Text.ElideRight
            maximumLineCount: 1
        }
        ToggleSwitch {
            objectName: "mouseSwitch"
            scale: 0.8
            checked: root.appState.mouseClicks
            onToggled: root.appState.mouseClicks = checked
            Accessible.name: qsTr("Play mouse clicks")
        }
    }
}
