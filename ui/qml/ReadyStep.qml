import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// The last step: a field to hear the sounds right away, and the way out.
ColumnLayout {
    id: root

    required property UiContext ui
    readonly property AppModel appState: ui.state
    readonly property var selectedPack: {
        ui.catalog.builtIn; ui.catalog.custom // re-evaluate when the lists change
        return ui.catalog.pack(appState.selectedPackID)
    }
    property bool active: false
    readonly property int peerPacksToImport: (appState.peerPacks ?? []).filter(pack => !pack.imported && pack.problem === "").length

    signal done()

    spacing: 0

    onActiveChanged: {
        if (active)
            field.forceActiveFocus()
    }
    Component.onCompleted: {
        root.appState.findPeerPacks()
        if (active)
            field.forceActiveFocus()
    }

    Shortcut {
        sequences: ["Return", "Enter"]
        enabled: root.active
        onActivated: root.done()
    }

    Symbol {
        name: "checkmark.seal.fill"
        color: "#32d74b"
        size: 34
    }
    Label {
        Layout.topMargin: 12
        text: root.appState.hasPermission ? qsTr("You’re all set") : qsTr("Ready when you are")
        font.pixelSize: 24
        font.weight: Font.Bold
    }
    Label {
        objectName: "homeText"
        Layout.fillWidth: true
        Layout.topMargin: 6
        text: {
            if (root.appState.hasTrayHost)
                return qsTr("%1 lives in your system tray. Click the keycap icon to switch sounds or change the volume.").arg("Plinkum")
            const home = qsTr("Without a system tray, the %1 window is its home: switch sounds and change the volume there. Close it when you like; start %1 again from the app menu to bring it back.").arg("Plinkum")
            if (root.ui.gnomeShell)
                return home + " " + qsTr("For a keycap icon in the top bar, turn on the AppIndicator extension (“AppIndicator and KStatusNotifierItem Support”) in Extensions.")
            return home
        }
        font.pixelSize: 13
        color: Style.fade("white", 0.6)
        wrapMode: Text.Wrap
    }
    Label {
        objectName: "noAccessText"
        visible: !root.appState.hasPermission
        Layout.fillWidth: true
        Layout.topMargin: 8
        text: qsTr("Keys can’t be heard yet. Allow keyboard access from the panel whenever you like.")
        font.pixelSize: 13
        color: "#ff9f0a"
        wrapMode: Text.Wrap
    }
    RowLayout {
        objectName: "peerPacksMention"
        visible: root.peerPacksToImport > 0
        Layout.fillWidth: true
        Layout.topMargin: 8
        spacing: 10
        Label {
            Layout.fillWidth: true
            text: root.peerPacksToImport === 1 ? qsTr("A sound pack from another app was found.")
                                               : qsTr("%1 sound packs from other apps were found.").arg(root.peerPacksToImport)
            font.pixelSize: 13
            color: Style.fade("white", 0.6)
            wrapMode: Text.Wrap
        }
        StandardButton {
            objectName: "peerPacksMentionButton"
            text: qsTr("Import…")
            onClicked: peerDialog.open()
        }
    }
    PeerImportDialog {
        id: peerDialog
        appState: root.appState
    }
    ImportErrorAlert {
        appState: root.appState
    }
    Rectangle {
        Layout.fillWidth: true
        Layout.topMargin: 22
        implicitHeight: field.implicitHeight + 28
        radius: 11
        antialiasing: true
        color: Style.fade("white", 0.06)
        border.width: 1
        border.color: field.activeFocus ? Style.fade(Style.accent, 0.8) : Style.fade("white", 0.1)
        clip: true

        TextArea {
            id: field
            objectName: "tryItField"
            anchors.fill: parent
            anchors.margins: 14
            padding: 0
            background: null
            placeholderText: qsTr("Type here to try it…")
            placeholderTextColor: Style.fade("white", 0.35)
            color: "white"
            font.pixelSize: 14
            wrapMode: TextEdit.Wrap
            implicitHeight: 3 * fontMetrics.lineSpacing
            // The field would take Return as a new line; here it means done, as the button does.
            Keys.onReturnPressed: root.done()
            Keys.onEnterPressed: root.done()
            FontMetrics {
                id: fontMetrics
                font: field.font
            }
        }
    }
    RowLayout {
        objectName: "selectedPackRow"
        visible: root.selectedPack.id !== undefined
        Layout.topMargin: 10
        spacing: 8
        StemSwatch {
            size: 14
            color: root.selectedPack.color ?? Style.accent
        }
        Label {
            text: root.selectedPack.name ?? ""
            textFormat: Text.PlainText
            font.pixelSize: 12
            font.weight: Font.Medium
            color: Style.fade("white", 0.55)
        }
    }
    PrimaryButton {
        objectName: "startButton"
        Layout.fillWidth: true
        Layout.topMargin: 22
        text: qsTr("Start typing")
        onClicked: root.done()
    }
}
