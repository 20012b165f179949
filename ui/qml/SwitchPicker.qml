pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Family chips over a two-column grid of switches.
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

        ListView {
            id: chips
            Layout.fillWidth: true
            implicitHeight: contentItem.childrenRect.height
            orientation: ListView.Horizontal
            spacing: 6
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: picker.chips
            delegate: Chip {
                required property string modelData
                title: modelData
                isSelected: modelData === picker.filter
                onClicked: picker.filter = modelData
            }
        }

        GridView {
            id: grid
            objectName: "switchGrid"
            Layout.fillWidth: true
            Layout.preferredHeight: 258
            leftMargin: 1
            rightMargin: 1
            topMargin: 1
            bottomMargin: 1
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            // Two columns 8 apart: each cell holds its tile and half the gap.
            cellWidth: Math.floor((width - 2) / 2)
            cellHeight: 46 + 8
            model: picker.visiblePacks
            ScrollBar.vertical: ScrollBar {
                policy: ScrollBar.AsNeeded
                width: 6
            }
            delegate: Item {
                id: cell
                required property var modelData
                required property int index
                width: grid.cellWidth
                height: grid.cellHeight
                SwitchTile {
                    x: cell.index % 2 === 0 ? 0 : 4
                    width: grid.cellWidth - 4
                    pack: cell.modelData
                    isSelected: cell.modelData.id === root.appState.selectedPackID
                    onClicked: root.appState.selectedPackID = cell.modelData.id
                }
            }

            Component.onCompleted: {
                const packs = picker.visiblePacks
                for (let i = 0; i < packs.length; ++i) {
                    if (packs[i].id === root.appState.selectedPackID) {
                        positionViewAtIndex(i, GridView.Center)
                        break
                    }
                }
            }
        }
    }
}
