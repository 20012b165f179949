import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import QtQuick.Dialogs
import Plinkum.Ui

// Every pack by family, the user's own packs with import and removal.
Item {
    id: root

    required property UiContext ui
    readonly property QtObject appState: ui.state

    ScrollView {
        id: scroll
        anchors.fill: parent
        contentWidth: availableWidth

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
                        accessory: Button {
                            text: qsTr("Remove")
                            flat: true
                            font.pixelSize: 12
                            palette.buttonText: "#d70015"
                            onClicked: root.ui.removePack(customRow.pack.id)
                        }
                    }
                }
                Control {
                    Layout.fillWidth: true
                    leftPadding: 12
                    rightPadding: 12
                    implicitHeight: 42
                    background: Rectangle {
                        visible: root.ui.catalog.custom.length > 0
                        x: 12
                        width: parent.width - 24
                        height: 1
                        color: Style.fade(palette.windowText, 0.07)
                    }
                    contentItem: RowLayout {
                        Button {
                            objectName: "importButton"
                            text: qsTr("Import Sound Pack…")
                            font.pixelSize: 12
                            onClicked: folderDialog.open()
                        }
                        Item { Layout.fillWidth: true }
                        LinkButton {
                            text: qsTr("Open Sound Packs Folder")
                            onClicked: root.ui.revealPacksFolder()
                        }
                    }
                }
            }
            Item { implicitHeight: 8 }
        }
    }

    FolderDialog {
        id: folderDialog
        title: qsTr("Import Sound Pack…")
        onAccepted: root.ui.importPack(selectedFolder)
    }

    ImportErrorAlert {
        objectName: "importErrorAlert"
        appState: root.appState
    }
}
