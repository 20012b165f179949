import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// A form row with a label and an on/off switch bound to one property of the application state.
Control {
    id: root

    required property QtObject target
    required property string property
    property string label
    property bool divider: false

    Layout.fillWidth: true
    leftPadding: 12
    rightPadding: 12
    implicitHeight: 38
    contentItem: RowLayout {
        Label {
            Layout.fillWidth: true
            text: root.label
            font.pixelSize: 13
            color: root.palette.windowText
        }
        ToggleSwitch {
            checked: root.target[root.property]
            onToggled: root.target[root.property] = checked
            Accessible.name: root.label
        }
    }
    background: Rectangle {
        visible: root.divider
        x: 12
        width: parent.width - 24
        height: 1
        color: Style.fade(root.palette.windowText, 0.07)
    }
}
