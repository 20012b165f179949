import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// A picture of what granting access looks like: one password prompt that turns keyboard access
// on for the person at this computer. It is only a picture: the switch moves by itself.
CardBackground {
    id: root

    property bool running: true
    property bool on: false

    padding: 14
    Accessible.ignored: true

    Timer {
        interval: 1600
        running: root.running
        repeat: true
        onTriggered: root.on = !root.on
    }

    contentItem: ColumnLayout {
        spacing: 10
        Label {
            text: qsTr("Password prompt  ›  Keyboard access for this seat")
            font.pixelSize: 11
            font.weight: Font.Medium
            color: Style.fade("white", 0.35)
        }
        Rectangle {
            Layout.fillWidth: true
            implicitHeight: row.implicitHeight + 20
            radius: 9
            color: Style.fade("white", 0.05)
            antialiasing: true
            RowLayout {
                id: row
                anchors.fill: parent
                anchors.margins: 10
                spacing: 10
                Symbol {
                    name: "keycap"
                    tinted: false
                    size: 30
                }
                Label {
                    Layout.fillWidth: true
                    text: "Plinkum"
                    font.pixelSize: 13
                    font.weight: Font.Medium
                }
                ToggleSwitch {
                    checked: root.on
                    onColor: "#0a84ff"
                    enabled: false
                    moveDuration: 300
                    moveEasing: Easing.InOutQuad
                }
            }
        }
    }
}
