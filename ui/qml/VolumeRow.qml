import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Volume: a speaker symbol, the slider, and the level in percent. Letting go plays one preview.
Control {
    id: root

    required property UiContext ui
    readonly property AppModel appState: ui.state
    readonly property color secondary: Style.fade(palette.windowText, 0.55)

    padding: 0
    Accessible.role: Accessible.Slider
    Accessible.name: qsTr("Volume")

    contentItem: RowLayout {
        spacing: 10

        Item {
            implicitWidth: 18
            implicitHeight: 14
            Symbol {
                anchors.centerIn: parent
                name: VolumeLevel.symbol(root.appState.volume)
                color: root.secondary
                size: 14
            }
        }
        LevelSlider {
            objectName: "volumeSlider"
            Layout.fillWidth: true
            value: root.appState.volume
            onMoved: root.appState.volume = value
            onPressedChanged: {
                if (!pressed)
                    root.ui.state.preview()
            }
        }
        Text {
            Layout.preferredWidth: 36
            horizontalAlignment: Text.AlignRight
            text: VolumeLevel.percentText(root.appState.volume)
            font.pixelSize: 11
            font.weight: Font.Medium
            color: root.secondary
        }
    }
}
