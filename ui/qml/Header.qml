import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// The keycap, the name with what is playing, and the master switch.
Control {
    id: root

    required property UiContext ui
    readonly property AppModel appState: ui.state
    readonly property var selectedPack: {
        ui.catalog.builtIn; ui.catalog.custom // re-evaluate when the lists change
        return ui.catalog.pack(appState.selectedPackID)
    }

    padding: 0
    contentItem: RowLayout {
        spacing: 10

        Item {
            implicitWidth: 34
            implicitHeight: 34
            Accessible.ignored: true
            Symbol {
                anchors.fill: parent
                size: 34
                name: "keycap"
                greyscale: true
            }
            Symbol {
                anchors.fill: parent
                size: 34
                name: "keycap"
                tinted: false
                opacity: root.appState.isEnabled ? 1 : 0
                Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.OutQuad } }
            }
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 1
            Text {
                text: "Plinkum"
                font.pixelSize: 14
                font.weight: Font.DemiBold
                color: root.palette.windowText
            }
            Text {
                Layout.fillWidth: true
                text: root.appState.isEnabled ? (root.selectedPack.name ?? "") : qsTr("Paused")
                textFormat: Text.PlainText
                font.pixelSize: 11
                color: Style.fade(root.palette.windowText, 0.55)
                elide: Text.ElideRight
                maximumLineCount: 1
            }
        }
        ToggleSwitch {
            objectName: "enableSwitch"
            checked: root.appState.isEnabled
            onToggled: root.appState.isEnabled = checked
            Accessible.name: qsTr("Enable Sounds")
            hoverEnabled: true
            ToolTip.visible: hovered
            ToolTip.delay: 800
            ToolTip.text: qsTr("Enable Sounds")
        }
    }
}
