import QtQuick
import QtQuick.Controls.Basic
import Plinkum.Ui

// A filter capsule; the selected one glows in the accent gradient.
AbstractButton {
    id: root

    property string title
    property bool isSelected: false

    text: qsTranslate("Chip", title)
    leftPadding: 10
    rightPadding: 10
    topPadding: 5
    bottomPadding: 5
    Accessible.role: Accessible.RadioButton
    Accessible.checked: isSelected

    contentItem: Text {
        text: root.text
        textFormat: Text.PlainText
        font.pixelSize: 11
        font.weight: Font.Medium
        color: root.isSelected ? "white" : root.palette.windowText
        Behavior on color { ColorAnimation { duration: 150; easing.type: Easing.OutQuad } }
    }
    background: Item {
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            color: Style.fade(root.palette.windowText, 0.07)
            antialiasing: true
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            antialiasing: true
            opacity: root.isSelected ? 1 : 0
            Behavior on opacity { NumberAnimation { duration: 150; easing.type: Easing.OutQuad } }
            gradient: Gradient {
                GradientStop { position: 0; color: Style.accent }
                GradientStop { position: 1; color: Style.accentDeep }
            }
        }
    }
}
