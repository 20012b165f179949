import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Start-up, playback, output, shortcut and keyboard-access options.
ScrollView {
    id: root

    required property UiContext ui
    readonly property AppModel appState: ui.state

    contentWidth: availableWidth

    ColumnLayout {
        width: root.availableWidth - 48
        x: 24
        spacing: 16

        Item { implicitHeight: 4 }

        FormSection {
            SwitchRow { target: root.appState; property: "launchAtLogin"; label: qsTr("Launch at login") }
        }
        FormSection {
            header: qsTr("Sound")
            footer: qsTr("Spatial sound plays keys on the left from the left speaker. Slight pitch variation keeps fast typing from sounding robotic.")
            SwitchRow { target: root.appState; property: "playKeyUp"; label: qsTr("Play key release sounds") }
            SwitchRow { target: root.appState; property: "stereo"; label: qsTr("Stereo spatial sound"); divider: true }
            SwitchRow { target: root.appState; property: "pitchVariation"; label: qsTr("Vary pitch slightly"); divider: true }
        }
        FormSection {
            footer: qsTr("Like a real keyboard, the sounds come from your computer even when headphones are connected. Turn this off to hear them in your headphones.")
            SwitchRow { target: root.appState; property: "builtInSpeakers"; label: qsTr("Always play through built-in speakers") }
        }
        FormSection {
            header: qsTr("Shortcut")
            footer: qsTr("Switches the sounds on and off from any application, as the switch in the panel does. The keys of the shortcut type nothing.")
            Control {
                Layout.fillWidth: true
                leftPadding: 12
                rightPadding: 12
                implicitHeight: 38
                contentItem: RowLayout {
                    Label {
                        Layout.fillWidth: true
                        text: qsTr("Sounds on and off")
                        font.pixelSize: 13
                    }
                    ComboBox {
                        id: muteShortcutChoice
                        objectName: "muteShortcutChoice"
                        textRole: "text"
                        valueRole: "value"
                        model: [
                            { value: "bothShifts", text: qsTr("Both Shift keys together") },
                            { value: "scrollLockTwice", text: qsTr("Scroll Lock pressed twice") },
                            { value: "off", text: qsTr("Off") }
                        ]
                        implicitContentWidthPolicy: ComboBox.WidestText
                        hoverEnabled: true
                        font.pixelSize: 12
                        topPadding: 4
                        bottomPadding: 4
                        // Drawn like the form's buttons.
                        background: Rectangle {
                            implicitHeight: 24
                            radius: 6
                            antialiasing: true
                            color: Style.fade(palette.windowText, muteShortcutChoice.down ? 0.12 : muteShortcutChoice.hovered ? 0.09 : 0.06)
                            border.width: 1
                            border.color: Style.fade(palette.windowText, 0.12)
                        }
                        currentIndex: indexOfValue(root.appState.muteShortcut)
                        Component.onCompleted: currentIndex = indexOfValue(root.appState.muteShortcut)
                        onActivated: root.appState.muteShortcut = currentValue
                        Accessible.name: qsTr("Sounds on and off")
                    }
                }
            }
        }
        FormSection {
            header: qsTr("Permissions")
            Control {
                Layout.fillWidth: true
                leftPadding: 12
                rightPadding: 12
                implicitHeight: 38
                contentItem: RowLayout {
                    Label {
                        Layout.fillWidth: true
                        text: qsTr("Keyboard access")
                        font.pixelSize: 13
                    }
                    RowLayout {
                        visible: root.appState.hasPermission
                        spacing: 5
                        Symbol { name: "checkmark.circle.fill"; color: "#28a745"; size: 14 }
                        Label { text: qsTr("Allowed"); color: "#28a745"; font.pixelSize: 13 }
                    }
                    StandardButton {
                        visible: root.appState.hasPermission
                        text: qsTr("Remove Access")
                        onClicked: root.ui.state.revokeKeyboardAccess()
                    }
                    StandardButton {
                        visible: !root.appState.hasPermission
                        text: qsTr("Allow Keyboard Access")
                        onClicked: root.ui.state.requestKeyboardAccess()
                    }
                }
            }
        }
        Item { implicitHeight: 8 }
    }
}
