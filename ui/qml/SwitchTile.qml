import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// One switch in the grid: its swatch, its name on up to two lines, its brand or family, and
// whether it was recorded or modelled. The whole name and where it comes from show on hover.
AbstractButton {
    id: root

    property var pack: ({})
    property bool isSelected: false

    hoverEnabled: true
    implicitHeight: Math.max(46, implicitContentHeight + topPadding + bottomPadding)
    leftPadding: 10
    rightPadding: 10
    topPadding: 7
    bottomPadding: 7
    text: pack.name ?? ""
    Accessible.role: Accessible.Button
    Accessible.description: pack.originLine ?? ""
    Accessible.selectable: true
    Accessible.selected: isSelected

    ToolTip.visible: hovered
    ToolTip.delay: 500
    ToolTip.text: pack.originLine ? pack.name + "\n" + pack.originLine : (pack.name ?? "")

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
                objectName: "tileTitle"
                Layout.fillWidth: true
                text: root.pack.title ?? ""
                textFormat: Text.PlainText
                font.pixelSize: 12
                font.weight: Font.DemiBold
                color: root.palette.windowText
                wrapMode: Text.Wrap
                elide: Text.ElideRight
                maximumLineCount: 2
            }
            Text {
                Layout.fillWidth: true
                text: root.pack.subtitle ?? ""
                textFormat: Text.PlainText
                font.pixelSize: 10
                color: Style.fade(root.palette.windowText, 0.6)
                elide: Text.ElideRight
                maximumLineCount: 1
            }
            Text {
                visible: text !== ""
                Layout.fillWidth: true
                text: root.pack.origin ?? ""
                textFormat: Text.PlainText
                font.pixelSize: 10
                color: Style.fade(root.palette.windowText, 0.5)
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
