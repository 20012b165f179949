import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// A pack in the Sounds list: click anywhere to choose it. A child item is a trailing control.
AbstractButton {
    id: root

    required property UiContext ui
    property var pack: ({})
    property bool divider: false
    default property alias accessory: accessoryRow.data

    Layout.fillWidth: true
    leftPadding: 12
    rightPadding: 12
    implicitHeight: 36
    text: pack.name ?? ""
    Accessible.selectable: true
    Accessible.selected: pack.id === ui.state.selectedPackID
    onClicked: ui.state.selectedPackID = pack.id

    contentItem: RowLayout {
        spacing: 10
        StemSwatch {
            size: 16
            color: root.pack.color ?? Style.accent
        }
        Label {
            Layout.fillWidth: true
            text: root.pack.name ?? ""
            textFormat: Text.PlainText
            font.pixelSize: 13
            elide: Text.ElideRight
        }
        Symbol {
            visible: root.pack.id === root.ui.state.selectedPackID
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
