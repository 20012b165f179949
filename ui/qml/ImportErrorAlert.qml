import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Plinkum.Ui

// "Couldn't import sound pack" with the reason, or what the author of a pack just imported should
// fix; dismissing it clears both, and another window's alert with them.
Popup {
    id: root

    required property AppModel appState
    readonly property string message: appState.importError ?? ""
    readonly property var warnings: appState.importWarnings ?? []
    readonly property string details: message + (message !== "" && warnings.length > 0 ? "\n" : "") + warnings.join("\n")

    parent: T.Overlay.overlay
    anchors.centerIn: parent
    width: 300
    modal: true
    padding: 20
    closePolicy: Popup.CloseOnEscape
    focus: true

    onDetailsChanged: details !== "" ? open() : close()
    Component.onCompleted: {
        if (details !== "")
            open()
    }
    onClosed: {
        appState.importError = ""
        appState.importWarnings = []
    }

    background: Rectangle {
        radius: 12
        color: palette.window
        border.width: 1
        border.color: Style.fade(palette.windowText, 0.12)
        antialiasing: true
    }
    T.Overlay.modal: Rectangle { color: Style.fade("black", 0.25) }

    contentItem: ColumnLayout {
        spacing: 0
        Symbol {
            Layout.alignment: Qt.AlignHCenter
            name: "keycap"
            tinted: false
            size: 48
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 10
            text: root.message !== "" ? qsTr("Couldn't import sound pack") : qsTr("Imported, with warnings")
            font.pixelSize: 13
            font.weight: Font.Bold
        }
        ScrollView {
            Layout.fillWidth: true
            Layout.topMargin: 6
            Layout.maximumHeight: 220
            contentWidth: availableWidth
            Label {
                objectName: "importDetails"
                width: root.availableWidth
                text: root.details
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                horizontalAlignment: root.details.includes("\n") ? Text.AlignLeft : Text.AlignHCenter
                font.pixelSize: 11
            }
        }
        PrimaryButton {
            Layout.fillWidth: true
            Layout.topMargin: 16
            implicitHeight: 30
            text: qsTr("OK")
            onClicked: root.close()
        }
    }
}
