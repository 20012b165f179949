import QtQuick
import QtQuick.Controls.Basic
import Plinkum.Ui

// The call-to-action button: white label on the accent gradient, with a warm glow under it.
Button {
    id: root

    implicitHeight: 40
    implicitWidth: Math.max(120, contentItem.implicitWidth + 32)
    opacity: enabled ? 1 : 0.45
    scale: down ? 0.98 : 1
    Behavior on scale { NumberAnimation { duration: 120; easing.type: Easing.OutQuad } }

    contentItem: Text {
        text: root.text
        font.pixelSize: 14
        font.weight: Font.DemiBold
        color: "white"
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    background: Item {
        // The glow: stacked translucent shapes stand in for a 10-point blur, 4 points down.
        Repeater {
            model: root.enabled ? 5 : 0
            Rectangle {
                required property int index
                x: -index * 2
                y: 4 - index * 2 + 2
                width: parent.width + index * 4
                height: parent.height + index * 4 - 4
                radius: 11 + index * 2
                color: Style.fade(Style.accent, 0.35 / 5)
                antialiasing: true
            }
        }
        Rectangle {
            anchors.fill: parent
            radius: 11
            antialiasing: true
            gradient: Gradient {
                GradientStop { position: 0; color: Style.accent }
                GradientStop { position: 1; color: Style.accentDeep }
            }
            border.width: 1
            border.color: Style.fade("white", 0.18)
        }
    }
}
