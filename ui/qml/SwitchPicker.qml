pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Family chips, wrapping onto more lines as needed, over a two-column grid of switches whose
// rows grow to the tallest name in them.
Control {
    id: root

    required property UiContext ui
    readonly property AppModel appState: ui.state
    property alias filter: picker.filter

    padding: 0

    SwitchPickerModel {
        id: picker
        catalog: root.ui.catalog
    }

    contentItem: ColumnLayout {
        spacing: 10

        Flow {
            objectName: "chipRow"
            Layout.fillWidth: true
            spacing: 6
            Repeater {
                model: picker.chips
                delegate: Chip {
                    id: chip
                    required property string modelData
                    title: chip.modelData
                    isSelected: chip.modelData === picker.filter
                    onClicked: picker.filter = chip.modelData
                }
            }
        }

        Flickable {
            id: grid
            objectName: "switchGrid"
            readonly property alias count: tiles.count
            Layout.fillWidth: true
            Layout.preferredHeight: 258
            clip: true
            contentWidth: width
            contentHeight: layout.implicitHeight + 2
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {
                policy: ScrollBar.AsNeeded
                width: 6
            }

            GridLayout {
                id: layout
                x: 1
                y: 1
                width: grid.width - 2
                columns: 2
                rowSpacing: 8
                columnSpacing: 8
                Repeater {
                    id: tiles
                    model: picker.visiblePacks
                    delegate: SwitchTile {
                        id: tile
                        required property var modelData
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        Layout.preferredWidth: (layout.width - layout.columnSpacing) / 2
                        pack: tile.modelData
                        isSelected: tile.modelData.id === root.appState.selectedPackID
                        onClicked: root.appState.selectedPackID = tile.modelData.id
                    }
                }
            }

            // The selected switch starts in the middle of the view.
            function centreSelected() {
                for (let i = 0; i < tiles.count; ++i) {
                    const tile = tiles.itemAt(i)
                    if (tile && tile.pack.id === root.appState.selectedPackID) {
                        const middle = layout.y + tile.y + tile.height / 2 - height / 2
                        contentY = Math.max(0, Math.min(middle, contentHeight - height))
                        return
                    }
                }
            }
            // Once the layout has placed the tiles: on the next turn of the event loop.
            Timer {
                running: true
                interval: 0
                onTriggered: grid.centreSelected()
            }
        }
    }
}
