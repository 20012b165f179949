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
        Slider {
            id: slider
            objectName: "volumeSlider"
            Layout.fillWidth: true
            from: 0
            to: 1
            value: root.appState.volume
            onMoved: root.appState.volume = value
            onPressedChanged: {
                if (!pressed)
                    root.ui.state.preview()
            }
            padding: 0
            implicitHeight: 18
            background: Rectangle {
                x: slider.leftPadding
                y: (slider.height - height) / 2
                width: slider.availableWidth
                height: 4
                radius: 2
                color: Style.fade(root.palette.windowText, 0.12)
                Rectangle {
                    width: slider.visualPosition * parent.width
                    height: parent.height
                    radius: 2
                    color: Style.accent
                }
            }
            handle: Rectangle {
                x: slider.leftPadding + slider.visualPosition * (slider.availableWidth - width)
                y: (slider.height - height) / 2
                width: 16
                height: 16
                radius: 8
                color: slider.pressed ? "#f2f2f2" : "white"
                border.width: 0.5
                border.color: Style.fade("black", 0.25)
                antialiasing: true
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
