import QtQuick
import QtQuick.Controls.Basic
import Plinkum.Ui

// A choice among `model`'s { value, text } entries, drawn like the form's buttons.
ComboBox {
    id: root

    textRole: "text"
    valueRole: "value"
    implicitContentWidthPolicy: ComboBox.WidestText
    hoverEnabled: true
    font.pixelSize: 12
    topPadding: 4
    bottomPadding: 4
    background: Rectangle {
        implicitHeight: 24
        radius: 6
        antialiasing: true
        color: Style.fade(root.palette.windowText, root.down ? 0.12 : root.hovered ? 0.09 : 0.06)
        border.width: 1
        border.color: Style.fade(root.palette.windowText, 0.12)
    }
}
