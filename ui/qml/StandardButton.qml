import QtQuick
import QtQuick.Controls.Basic
import Plinkum.Ui

// A plain bordered button for forms; `destructive` draws its label in red without a border.
Button {
    id: root

    property bool destructive: false

    hoverEnabled: true
    leftPadding: 12
    rightPadding: 12
    topPadding: 4
    bottomPadding: 4
    font.pixelSize: 12
    contentItem: Text {
        text: root.text
        font: root.font
        color: root.destructive ? "#d70015" : root.palette.windowText
        opacity: root.down ? 0.6 : 1
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    background: Rectangle {
        visible: !root.destructive
        implicitHeight: 24
        radius: 6
        antialiasing: true
        color: Style.fade(root.palette.windowText, root.down ? 0.12 : root.hovered ? 0.09 : 0.06)
        border.width: 1
        border.color: Style.fade(root.palette.windowText, 0.12)
    }
}
