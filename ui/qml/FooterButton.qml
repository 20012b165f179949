import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// A quiet footer button: its title and, dimmer, its keyboard shortcut.
AbstractButton {
    id: root

    property string title
    property string shortcut

    hoverEnabled: true
    text: title
    leftPadding: 8
    rightPadding: 8
    topPadding: 5
    bottomPadding: 5
    contentItem: RowLayout {
        spacing: 6
        Text {
            text: root.title
            font.pixelSize: 12
            color: root.palette.windowText
        }
        Text {
            text: root.shortcut
            font.pixelSize: 12
            color: Style.fade(root.palette.windowText, 0.3)
        }
    }
    background: Rectangle {
        radius: 6
        antialiasing: true
        color: root.hovered ? Style.fade(root.palette.windowText, 0.08) : "transparent"
    }
}
