pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Plinkum.Ui

// Import from Other Apps: the packs other keyboard-sound programs keep, each with a checkbox.
// The chosen ones go through the ordinary import; the originals are only read.
Popup {
    id: root

    required property AppModel appState
    readonly property var packs: appState.peerPacks ?? []
    readonly property bool finding: appState.isFindingPeerPacks ?? false
    readonly property bool importing: appState.isImporting ?? false
    // Paths the user unticked; every pack that can be imported starts ticked.
    property var unticked: ({})
    readonly property var chosen: packs.filter(pack => importable(pack) && !unticked[pack.path]).map(pack => pack.path)
    property bool started: false

    function importable(pack) {
        return !pack.imported && pack.problem === ""
    }

    parent: T.Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(440, parent ? parent.width - 40 : 440)
    modal: true
    padding: 20
    closePolicy: Popup.CloseOnEscape
    focus: true

    onAboutToShow: {
        unticked = {}
        started = false
        root.appState.findPeerPacks()
    }
    // Done once the batch ends: an error or a warning opens the import's own alert.
    onImportingChanged: {
        if (!importing && started)
            close()
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
        Label {
            text: qsTr("Import from Other Apps")
            font.pixelSize: 15
            font.weight: Font.Bold
        }
        Label {
            Layout.fillWidth: true
            Layout.topMargin: 4
            text: qsTr("Sound packs found in the folders of Mechvibes, MechvibesDX and keyboardsounds. The ones you choose are copied; the originals stay as they are.")
            wrapMode: Text.Wrap
            font.pixelSize: 11
            color: Style.fade(root.palette.windowText, 0.65)
        }
        RowLayout {
            Layout.topMargin: 14
            visible: root.finding && root.packs.length === 0
            spacing: 8
            Spinner { color: Style.fade(root.palette.windowText, 0.55) }
            Label {
                text: qsTr("Looking for packs…")
                font.pixelSize: 12
            }
        }
        Label {
            objectName: "peerPacksNone"
            Layout.fillWidth: true
            Layout.topMargin: 14
            visible: !root.finding && root.packs.length === 0
            text: qsTr("No packs from other apps were found.")
            wrapMode: Text.Wrap
            font.pixelSize: 12
        }
        ListView {
            id: list
            objectName: "peerPackList"
            Layout.fillWidth: true
            Layout.topMargin: 10
            visible: root.packs.length > 0
            implicitHeight: Math.min(contentHeight, 264)
            clip: true
            model: root.packs
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {}
            delegate: RowLayout {
                id: row
                required property var modelData
                readonly property bool canImport: root.importable(modelData)
                width: list.width
                height: Math.max(44, implicitHeight + 8)
                spacing: 8
                CheckBox {
                    objectName: "peerPackCheck"
                    enabled: row.canImport && !root.importing
                    checked: row.canImport && !root.unticked[row.modelData.path]
                    onToggled: {
                        const unticked = Object.assign({}, root.unticked)
                        unticked[row.modelData.path] = !checked
                        root.unticked = unticked
                    }
                }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 1
                    opacity: row.canImport ? 1 : 0.6
                    Label {
                        Layout.fillWidth: true
                        text: row.modelData.name
                        textFormat: Text.PlainText
                        elide: Text.ElideRight
                        font.pixelSize: 13
                    }
                    Label {
                        Layout.fillWidth: true
                        text: row.modelData.problem !== ""
                              ? row.modelData.program + " · " + row.modelData.problem
                              : row.modelData.format + " · " + row.modelData.program
                        textFormat: Text.PlainText
                        wrapMode: Text.Wrap
                        maximumLineCount: 3
                        elide: Text.ElideRight
                        font.pixelSize: 11
                        color: Style.fade(root.palette.windowText, 0.6)
                    }
                }
                Label {
                    objectName: "peerPackState"
                    visible: text !== ""
                    text: row.modelData.imported ? qsTr("Imported")
                                                 : row.modelData.problem !== "" ? qsTr("Can’t be read") : ""
                    font.pixelSize: 11
                    color: row.modelData.imported ? Style.fade(root.palette.windowText, 0.6) : "#ff9f0a"
                }
            }
        }
        RowLayout {
            Layout.fillWidth: true
            Layout.topMargin: 16
            spacing: 10
            ProgressBar {
                objectName: "peerImportProgress"
                visible: root.importing
                Layout.preferredWidth: 120
                value: root.appState.importProgress ?? 0
            }
            Item { Layout.fillWidth: true }
            StandardButton {
                text: qsTr("Close")
                onClicked: root.close()
            }
            PrimaryButton {
                objectName: "peerImportButton"
                implicitHeight: 30
                implicitWidth: Math.max(96, contentItem.implicitWidth + 28)
                enabled: root.chosen.length > 0 && !root.importing
                text: root.chosen.length === 1 ? qsTr("Import 1 Pack")
                                                : root.chosen.length > 1 ? qsTr("Import %1 Packs").arg(root.chosen.length) : qsTr("Import")
                onClicked: root.started = root.appState.importPeerPacks(root.chosen)
            }
        }
    }
}
