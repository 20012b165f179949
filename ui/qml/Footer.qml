import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Settings… and Quit, with their shortcuts.
Control {
    id: root

    required property UiContext ui

    leftPadding: 8
    rightPadding: 8
    topPadding: 6
    bottomPadding: 6
    contentItem: RowLayout {
        spacing: 2
        FooterButton {
            objectName: "settingsButton"
            title: qsTr("Settings…")
            shortcut: qsTr("Ctrl+,")
            onClicked: root.ui.showSettings()
        }
        Item { Layout.fillWidth: true }
        FooterButton {
            title: qsTr("Quit")
            shortcut: qsTr("Ctrl+Q")
            onClicked: root.ui.quit()
        }
    }
}
