import QtQuick
import QtQuick.Controls.Basic
import Plinkum.Ui

// A 0 to 1 level: a thin track filled in the accent colour and a white knob.
Slider {
    id: root

    from: 0
    to: 1
    padding: 0
    implicitHeight: 18
    background: Rectangle {
        x: root.leftPadding
        y: (root.height - height) / 2
        width: root.availableWidth
        height: 4
        radius: 2
        color: Style.fade(root.palette.windowText, 0.12)
        Rectangle {
            width: root.visualPosition * parent.width
            height: parent.height
            radius: 2
            color: Style.accent
        }
    }
    handle: Rectangle {
        x: root.leftPadding + root.visualPosition * (root.availableWidth - width)
        y: (root.height - height) / 2
        width: 16
        height: 16
        radius: 8
        color: root.pressed ? "#f2f2f2" : "white"
        border.width: 0.5
        border.color: Style.fade("black", 0.25)
        antialiasing: true
    }
}
