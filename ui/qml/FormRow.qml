import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// A form row: a label, then its controls (the row's children), with a divider above when asked.
Control {
    id: root

    property string label
    property bool divider: false
    default property alias controls: row.data

    Layout.fillWidth: true
    leftPadding: 12
    rightPadding: 12
    implicitHeight: 38
    contentItem: RowLayout {
        id: row
        spacing: 10
        Label {
            Layout.fillWidth: true
            text: root.label
            font.pixelSize: 13
            color: root.palette.windowText
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
