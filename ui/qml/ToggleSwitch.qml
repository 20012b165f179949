import QtQuick
import QtQuick.Controls.Basic
import Plinkum.Ui

// An on/off switch in the accent colour (or `checkedColor`), its text label optional.
Switch {
    id: root

    property color checkedColor: Style.accent
    property int moveDuration: 150
    property int moveEasing: Easing.OutQuad

    implicitWidth: indicator.implicitWidth
    implicitHeight: indicator.implicitHeight
    padding: 0
    spacing: 0
    indicator: Rectangle {
        implicitWidth: 34
        implicitHeight: 20
        x: root.leftPadding
        y: (root.height - height) / 2
        radius: height / 2
        color: root.checked ? root.checkedColor : Style.fade(root.palette.windowText, 0.16)
        Behavior on color { ColorAnimation { duration: root.moveDuration } }
        antialiasing: true

        Rectangle {
            width: 16
            height: 16
            radius: 8
            y: 2
            x: root.checked ? parent.width - width - 2 : 2
            Behavior on x { NumberAnimation { duration: root.moveDuration; easing.type: root.moveEasing } }
            color: "white"
            border.width: 0.5
            border.color: Style.fade("black", 0.15)
            antialiasing: true
        }
    }
    contentItem: Item {}
}
