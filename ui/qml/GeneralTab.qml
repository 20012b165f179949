import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Start-up, playback, output, shortcut and keyboard-access options.
FormScrollView {
    id: root

    required property UiContext ui
    readonly property AppModel appState: ui.state

    // Brings the last section, keyboard access, into view.
    function scrollToEnd() {
        contentItem.contentY = Math.max(0, contentHeight - height)
    }

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
            objectName: "mouseSection"
            header: qsTr("Mouse")
            footer: qsTr("Clicks sound with their release, at their own volume. “Same as keyboard” plays the keyboard sound’s own clicks, or its key sound when it has none.")
            SwitchRow { target: root.appState; property: "mouseClicks"; label: qsTr("Play mouse clicks") }
            FormRow {
                label: qsTr("Click sound")
                divider: true
                enabled: root.appState.mouseClicks
                opacity: enabled ? 1 : 0.45
                ChoiceBox {
                    objectName: "mousePackChoice"
                    model: root.appState.mousePackChoices
                    currentIndex: indexOfValue(root.appState.mousePackID)
                    onModelChanged: currentIndex = indexOfValue(root.appState.mousePackID)
                    Component.onCompleted: currentIndex = indexOfValue(root.appState.mousePackID)
                    onActivated: root.appState.mousePackID = currentValue
                    Accessible.name: qsTr("Click sound")
                }
            }
            FormRow {
                label: qsTr("Click volume")
                divider: true
                enabled: root.appState.mouseClicks
                opacity: enabled ? 1 : 0.45
                LevelSlider {
                    objectName: "mouseVolumeSlider"
                    Layout.preferredWidth: 180
                    value: root.appState.mouseVolume
                    onMoved: root.appState.mouseVolume = value
                    onPressedChanged: {
                        if (!pressed)
                            root.ui.state.previewMouse()
                    }
                    Accessible.name: qsTr("Click volume")
                }
                Text {
                    Layout.preferredWidth: 36
                    horizontalAlignment: Text.AlignRight
                    text: VolumeLevel.percentText(root.appState.mouseVolume)
                    font.pixelSize: 11
                    font.weight: Font.Medium
                    color: Style.fade(palette.windowText, 0.55)
                }
            }
        }
        FormSection {
            footer: qsTr("Like a real keyboard, the sounds come from your computer even when headphones are connected. Turn this off to hear them in your headphones.")
            SwitchRow { target: root.appState; property: "builtInSpeakers"; label: qsTr("Always play through built-in speakers") }
        }
        FormSection {
            header: qsTr("Shortcut")
            footer: qsTr("Switches the sounds on and off from any application, as the switch in the panel does. The keys of the shortcut type nothing.")
            FormRow {
                label: qsTr("Sounds on and off")
                ChoiceBox {
                    objectName: "muteShortcutChoice"
                    model: [
                        { value: "bothShifts", text: qsTr("Both Shift keys together") },
                        { value: "scrollLockTwice", text: qsTr("Scroll Lock pressed twice") },
                        { value: "off", text: qsTr("Off") }
                    ]
                    currentIndex: indexOfValue(root.appState.muteShortcut)
                    Component.onCompleted: currentIndex = indexOfValue(root.appState.muteShortcut)
                    onActivated: root.appState.muteShortcut = currentValue
                    Accessible.name: qsTr("Sounds on and off")
                }
            }
        }
        FormSection {
            header: qsTr("Permissions")
            Control {
                objectName: "keyboardAccessRow"
                Layout.fillWidth: true
                leftPadding: 12
                rightPadding: 12
                topPadding: 8
                bottomPadding: 8
                implicitHeight: Math.max(38, implicitContentHeight + topPadding + bottomPadding)
                contentItem: RowLayout {
                    spacing: 8
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2
                        Label {
                            text: qsTr("Keyboard access")
                            font.pixelSize: 13
                        }
                        Label {
                            objectName: "keyboardAccessDetail"
                            Layout.fillWidth: true
                            visible: text !== ""
                            wrapMode: Text.Wrap
                            font.pixelSize: 11
                            color: Style.fade(palette.windowText, 0.6)
                            text: {
                                switch (root.appState.accessThrough) {
                                case "x11": return qsTr("Through the X11 session; nothing to install or remove.")
                                case "rule": return qsTr("Through Plinkum’s keyboard access rule.")
                                case "group": return qsTr("Through your membership of the input group.")
                                case "other": return qsTr("The system lets you read keyboards.")
                                }
                                if (root.appState.accessRequest === "asking")
                                    return qsTr("Asking: enter your password in the prompt.")
                                if (root.appState.accessRequest === "refused")
                                    return qsTr("Not given.")
                                return qsTr("Not allowed yet: keys can’t be heard.")
                            }
                        }
                    }
                    RowLayout {
                        visible: root.appState.hasPermission
                        spacing: 5
                        Symbol { name: "checkmark.circle.fill"; color: "#28a745"; size: 14 }
                        Label { text: qsTr("Allowed"); color: "#28a745"; font.pixelSize: 13 }
                    }
                    StandardButton {
                        objectName: "removeAccessButton"
                        visible: root.appState.accessRuleInstalled
                        text: qsTr("Remove Access")
                        onClicked: root.ui.state.revokeKeyboardAccess()
                    }
                    StandardButton {
                        objectName: "allowAccessButton"
                        visible: !root.appState.hasPermission
                        enabled: root.appState.accessRequest !== "asking"
                        text: qsTr("Allow Keyboard Access")
                        onClicked: root.ui.state.requestKeyboardAccess()
                    }
                }
            }
            Control {
                Layout.fillWidth: true
                leftPadding: 12
                rightPadding: 12
                implicitHeight: 32
                background: Rectangle {
                    x: 12
                    width: parent.width - 24
                    height: 1
                    color: Style.fade(palette.windowText, 0.07)
                }
                contentItem: RowLayout {
                    LinkButton {
                        objectName: "accessHelpLink"
                        text: qsTr("How keyboard access works, and the input group…")
                        onClicked: root.ui.openHelp()
                    }
                    Item { Layout.fillWidth: true }
                }
            }
        }
        Item { implicitHeight: 8 }
    }
}
