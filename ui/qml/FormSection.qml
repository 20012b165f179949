import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// A grouped form section: optional header, rows on a card separated by hairlines, optional footer.
ColumnLayout {
    id: root

    property string header
    property string footer
    default property alias rows: rowColumn.data

    Layout.fillWidth: true
    spacing: 6

    Label {
        visible: root.header !== ""
        Layout.leftMargin: 10
        text: root.header
        textFormat: Text.PlainText
        font.pixelSize: 11
        font.weight: Font.DemiBold
        color: Style.fade(palette.windowText, 0.55)
    }
    CardBackground {
        Layout.fillWidth: true
        padding: 0
        contentItem: ColumnLayout {
            id: rowColumn
            spacing: 0
        }
    }
    Label {
        visible: root.footer !== ""
        Layout.fillWidth: true
        Layout.leftMargin: 10
        Layout.rightMargin: 10
        text: root.footer
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        font.pixelSize: 11
        color: Style.fade(palette.windowText, 0.55)
    }
}
