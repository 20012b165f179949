pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import QtQuick.Dialogs
import Plinkum.Ui

// Every pack by family, the user's own packs with import and removal.
Item {
    id: root

    required property UiContext ui
    readonly property AppModel appState: ui.state

    // Shows the end of the list, where the user's own packs are.
    function scrollToEnd() {
        scroll.contentItem.contentY = Math.max(0, scroll.contentHeight - scroll.height)
    }

    FormScrollView {
        id: scroll
        anchors.fill: parent

        ColumnLayout {
            width: scroll.availableWidth - 48
            x: 24
            spacing: 16

            Item { implicitHeight: 4 }

            Repeater {
                model: root.ui.catalog.groups
                FormSection {
                    id: section
                    required property var modelData
                    header: qsTranslate("Family", modelData.title)
                    Repeater {
                        model: section.modelData.packs
                        PackRow {
                            required property var modelData
                            required property int index
                            ui: root.ui
                            pack: modelData
                            divider: index > 0
                        }
                    }
                }
            }

            FormSection {
                header: qsTranslate("Family", "Custom")
                footer: qsTr("Import a folder with a pack.json, or any Mechvibes sound pack.")
                Repeater {
                    model: root.ui.catalog.custom
                    PackRow {
                        id: customRow
                        required property var modelData
                        required property int index
                        ui: root.ui
                        pack: modelData
                        divider: index > 0
                        // Louder or softer than the built-in packs, which imports are matched to.
                        TrimBox {
                            objectName: "trimBox"
                            value: Math.round((customRow.pack.trimDb ?? 0) * 2)
                            Accessible.name: qsTr("Level")
                            ToolTip.visible: hovered
                            ToolTip.delay: 600
                            ToolTip.text: qsTr("Louder or softer than the other packs")
                            onValueModified: root.ui.state.setPackTrim(customRow.pack.id, value / 2)
                        }
                        StandardButton {
                            text: qsTr("Remove")
                            destructive: true
                            onClicked: root.ui.removePack(customRow.pack.id)
                        }
                    }
                }
                Control {
                    Layout.fillWidth: true
                    leftPadding: 12
                    rightPadding: 12
                    topPadding: 9
                    bottomPadding: 9
                    background: Rectangle {
                        visible: root.ui.catalog.custom.length > 0
                        x: 12
                        width: parent.width - 24
                        height: 1
                        color: Style.fade(palette.windowText, 0.07)
                    }
                    // Three imports and the folder link do not fit on one line: importing from a
                    // file goes first, with its progress.
                    contentItem: ColumnLayout {
                        spacing: 8
                        RowLayout {
                            StandardButton {
                                objectName: "importButton"
                                text: qsTr("Import Sound Pack…")
                                enabled: !(root.appState.isImporting ?? false)
                                onClicked: folderDialog.open()
                            }
                            StandardButton {
                                objectName: "importArchiveButton"
                                text: qsTr("Import from Zip…")
                                enabled: !(root.appState.isImporting ?? false)
                                onClicked: archiveDialog.open()
                            }
                            ProgressBar {
                                objectName: "importProgress"
                                visible: root.appState.isImporting ?? false
                                Layout.preferredWidth: 120
                                value: root.appState.importProgress ?? 0
                            }
                            Item { Layout.fillWidth: true }
                        }
                        RowLayout {
                            StandardButton {
                                objectName: "peerImportOpenButton"
                                text: qsTr("Import from Other Apps…")
                                enabled: !(root.appState.isImporting ?? false)
                                onClicked: peerDialog.open()
                            }
                            Item { Layout.fillWidth: true }
                            LinkButton {
                                text: qsTr("Open Sound Packs Folder")
                                onClicked: root.ui.revealPacksFolder()
                            }
                        }
                    }
                }
            }
            Item { implicitHeight: 8 }
        }
    }

    FolderDialog {
        id: folderDialog
        objectName: "importDialog"
        title: qsTr("Import Sound Pack…")
        onAccepted: root.ui.state.importPack(selectedFolder)
    }

    FileDialog {
        id: archiveDialog
        objectName: "importArchiveDialog"
        title: qsTr("Import from Zip…")
        nameFilters: [qsTr("Zip archives (*.zip)")]
        onAccepted: root.ui.state.importPack(selectedFile)
    }

    PeerImportDialog {
        id: peerDialog
        objectName: "peerImportDialog"
        appState: root.appState
    }

    ImportErrorAlert {
        objectName: "importErrorAlert"
        appState: root.appState
    }
}
