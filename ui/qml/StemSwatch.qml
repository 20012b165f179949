import QtQuick
import Plinkum.Ui

// A tiny keycap in a switch's colour, with a plus-shaped stem in the middle.
Item {
    id: root

    property color color: Style.accent
    property real size: 20

    implicitWidth: size
    implicitHeight: size
    Accessible.ignored: true

    Rectangle {
        // Soft shadow under the swatch.
        x: 0
        y: 0.5
        width: root.size
        height: root.size
        radius: 0.28 * root.size
        color: Style.fade("black", 0.15)
        antialiasing: true
    }
    Rectangle {
        anchors.fill: parent
        radius: 0.28 * root.size
        antialiasing: true
        gradient: Gradient {
            GradientStop { position: 0; color: Qt.lighter(root.color, 1.12) }
            GradientStop { position: 1; color: Qt.darker(root.color, 1.12) }
        }
        border.width: 0.5
        border.color: Style.fade("black", 0.18)
    }
    Rectangle {
        anchors.centerIn: parent
        width: 0.54 * root.size
        height: 0.14 * root.size
        radius: height / 2
        color: Style.fade("black", 0.32)
        antialiasing: true
    }
    Rectangle {
        anchors.centerIn: parent
        width: 0.14 * root.size
        height: 0.54 * root.size
        radius: width / 2
        color: Style.fade("black", 0.32)
        antialiasing: true
    }
}
