import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Shown while key presses cannot reach the application.
Control {
    id: root

    required property UiContext ui
    readonly property color orange: "#ff9500"

    padding: 12
    background: Rectangle {
        radius: 12
        color: Style.fade(root.orange, 0.12)
        antialiasing: true
    }
    contentItem: RowLayout {
        spacing: 10

        Symbol {
            Layout.alignment: Qt.AlignTop
            name: "hand.raised.fill"
            color: root.orange
            size: 14
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 6

            Text {
                text: qsTr("Keyboard access needed")
                font.pixelSize: 12
                font.weight: Font.DemiBold
                color: root.palette.windowText
            }
            Text {
                Layout.fillWidth: true
                text: qsTr("Allow keyboard access so sounds can play while you type. Keystrokes are never recorded or sent anywhere.")
                font.pixelSize: 11
                color: Style.fade(root.palette.windowText, 0.55)
                wrapMode: Text.Wrap
            }
            RowLayout {
                Layout.topMargin: 2
                spacing: 12

                Button {
                    id: allow
                    text: qsTr("Allow Keyboard Access")
                    enabled: root.ui.state.accessRequest !== "asking"
                    onClicked: root.ui.state.requestKeyboardAccess()
                    padding: 0
                    leftPadding: 9
                    rightPadding: 9
                    implicitHeight: 22
                    contentItem: Text {
                        text: allow.text
                        font.pixelSize: 11
                        font.weight: Font.Medium
                        color: "white"
                        verticalAlignment: Text.AlignVCenter
                    }
                    background: Rectangle {
                        radius: 6
                        color: allow.down ? Style.accentDeep : Style.accent
                        antialiasing: true
                    }
                }
                LinkButton {
                    text: qsTr("Learn more")
                    onClicked: root.ui.openHelp()
                }
            }
        }
    }
}
