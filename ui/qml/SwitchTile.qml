import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// One switch in the grid: its swatch, its short name and brand or family.
AbstractButton {
    id: root

    property var pack: ({})
    property bool isSelected: false

    hoverEnabled: true
    implicitHeight: Math.max(46, contentItem.implicitHeight)
    leftPadding: 10
    rightPadding: 10
    text: pack.name ?? ""
    Accessible.role: Accessible.Button
    Accessible.selectable: true
    Accessible.selected: isSelected

    contentItem: RowLayout {
        spacing: 9

        StemSwatch {
            size: 20
            color: root.pack.color ?? Style.accent
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 1
            Text {
                Layout.fillWidth: true
                text: root.pack.title ?? ""
                textFormat: Text.PlainText
                font.pixelSize: 12
                font.weight: Font.DemiBold
                color: root.palette.windowText
                elide: Text.ElideRight
                maximumLineCount: 1
            }
            Text {
                Layout.fillWidth: true
                text: root.pack.subtitle ?? ""
                textFormat: Text.PlainText
                font.pixelSize: 10
                color: Style.fade(root.palette.windowText, 0.55)
                elide: Text.ElideRight
                maximumLineCount: 1
            }
        }
    }
    background: Rectangle {
        radius: 10
        antialiasing: true
        color: root.isSelected ? Style.fade(Style.accent, 0.14)
                               : Style.fade(root.palette.windowText, root.hovered ? 0.08 : 0.045)
        Behavior on color { ColorAnimation { duration: 120; easing.type: Easing.OutQuad } }
        border.width: root.isSelected ? 1.5 : 1
        border.color: root.isSelected ? Style.accent : Style.fade(root.palette.windowText, 0.06)
    }
}
