import QtQuick
import QtQuick.Controls.Basic
import Plinkum.Ui

// Content on a quiet rounded card.
Control {
    id: root

    padding: 14
    background: Rectangle {
        radius: 12
        color: Style.fade(root.palette.windowText, 0.045)
        border.width: 1
        border.color: Style.fade(root.palette.windowText, 0.06)
        antialiasing: true
    }
}
