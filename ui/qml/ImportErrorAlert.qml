import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Plinkum.Ui

// "Couldn't import sound pack" with the reason; dismissing it clears the error.
Popup {
    id: root

    required property AppModel appState
    readonly property string message: appState.importError ?? ""

    parent: T.Overlay.overlay
    anchors.centerIn: parent
    width: 300
    modal: true
    padding: 20
    closePolicy: Popup.CloseOnEscape
    focus: true

    onMessageChanged: {
        if (message !== "")
            open()
    }
    Component.onCompleted: {
        if (message !== "")
            open()
    }
    onClosed: appState.importError = ""

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
            text: qsTr("Couldn't import sound pack")
            font.pixelSize: 13
            font.weight: Font.Bold
        }
        Label {
            Layout.fillWidth: true
            Layout.topMargin: 6
            text: root.message
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            font.pixelSize: 11
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
