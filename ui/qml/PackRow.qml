import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// A pack in the Sounds list, with where its sounds come from: click anywhere to choose it (a pack
// of click sounds only, for the clicks). A child item is a trailing control.
AbstractButton {
    id: root

    required property UiContext ui
    property var pack: ({})
    property bool divider: false
    default property alias accessory: accessoryRow.data

    Layout.fillWidth: true
    leftPadding: 12
    rightPadding: 12
    topPadding: 6
    bottomPadding: 6
    implicitHeight: Math.max(36, implicitContentHeight + topPadding + bottomPadding)
    text: pack.name ?? ""
    Accessible.selectable: true
    readonly property bool chosen: pack.id === (pack.keyboard === false ? ui.state.mousePackID : ui.state.selectedPackID)
    Accessible.selected: chosen
    onClicked: ui.state.selectedPackID = pack.id

    contentItem: RowLayout {
        spacing: 10
        StemSwatch {
            size: 16
            color: root.pack.color ?? Style.accent
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 1
            Label {
                Layout.fillWidth: true
                text: root.pack.name ?? ""
                textFormat: Text.PlainText
                font.pixelSize: 13
                wrapMode: Text.Wrap
            }
            Label {
                Layout.fillWidth: true
                visible: text !== ""
                // Packs of click sounds only are listed here to trim and remove: say what they are.
                text: root.pack.keyboard === false ? [qsTr("Mouse clicks"), root.pack.originLine].filter(Boolean).join(" · ")
                                                   : root.pack.originLine ?? ""
                textFormat: Text.PlainText
                font.pixelSize: 11
                color: Style.fade(root.palette.windowText, 0.6)
                wrapMode: Text.Wrap
            }
        }
        Symbol {
            visible: root.chosen
            name: "checkmark"
            color: Style.accent
            size: 13
        }
        RowLayout {
            id: accessoryRow
        }
    }
    background: Rectangle {
        color: "transparent"
        Rectangle {
            visible: root.divider
            x: 12
            width: parent.width - 24
            height: 1
            color: Style.fade(root.palette.windowText, 0.07)
        }
    }
}
