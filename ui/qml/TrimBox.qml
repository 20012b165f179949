import QtQuick
import QtQuick.Controls.Basic
import Plinkum.Ui

// A pack's level trim in half-dB steps (the value counts half dBs), drawn as small as the form's
// buttons: − and + on either side of the value.
SpinBox {
    id: root

    from: -24
    to: 24
    hoverEnabled: true
    font.pixelSize: 12
    leftPadding: 24
    rightPadding: 24
    implicitWidth: 104
    implicitHeight: 24
    textFromValue: (v, locale) => (v > 0 ? "+" : v < 0 ? "\u2212" : "")
        + Number(Math.abs(v) / 2).toLocaleString(locale, "f", 1) + " dB"

    contentItem: Text {
        text: root.displayText
        font: root.font
        color: root.palette.windowText
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    down.indicator: Text {
        x: 0
        width: 24
        height: root.height
        text: "\u2212"
        font.pixelSize: 14
        color: root.palette.windowText
        opacity: !root.enabled || root.value <= root.from ? 0.3 : root.down.pressed ? 0.6 : 1
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    up.indicator: Text {
        x: root.width - width
        width: 24
        height: root.height
        text: "+"
        font.pixelSize: 14
        color: root.palette.windowText
        opacity: !root.enabled || root.value >= root.to ? 0.3 : root.up.pressed ? 0.6 : 1
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    background: Rectangle {
        radius: 6
        antialiasing: true
        color: Style.fade(root.palette.windowText, root.hovered ? 0.09 : 0.06)
        border.width: 1
        border.color: Style.fade(root.palette.windowText, 0.12)
    }
}
