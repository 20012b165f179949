import QtQuick
import QtQuick.Layouts
import Plinkum.Ui

// The dark, warm left side of the first-run window with the floating keycap and what it offers.
Rectangle {
    id: root

    required property UiContext ui
    property bool floating: false

    gradient: Gradient {
        GradientStop { position: 0; color: Qt.rgba(0.13, 0.1, 0.1, 1) }
        GradientStop { position: 1; color: Qt.rgba(0.07, 0.065, 0.075, 1) }
    }

    Image {
        // The accent glow behind the keycap, drawn for the panel's fixed 340 × 540.
        anchors.fill: parent
        source: "image://art/hero.glow"
        sourceSize.width: width
        sourceSize.height: height
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.leftMargin: 32
        anchors.rightMargin: 32
        spacing: 0

        Item { Layout.fillHeight: true; Layout.minimumHeight: 34 }
        Item {
            Layout.fillWidth: true
            implicitHeight: 210
            Accessible.ignored: true
            Symbol {
                anchors.horizontalCenter: parent.horizontalCenter
                y: root.floating ? -6 : 6
                Behavior on y { NumberAnimation { duration: 3200; easing.type: Easing.InOutSine } }
                name: "keycap"
                tinted: false
                size: 210
            }
        }
        Item { Layout.fillHeight: true; Layout.minimumHeight: 16 }
        Text {
            text: "Plinkum"
            font.pixelSize: 26
            font.weight: Font.Bold
            color: "white"
        }
        Text {
            Layout.fillWidth: true
            Layout.topMargin: 6
            text: qsTr("Mechanical switch sounds for the keyboard you already have.")
            font.pixelSize: 13
            color: Style.fade("white", 0.6)
            wrapMode: Text.Wrap
        }
        ColumnLayout {
            Layout.topMargin: 20
            spacing: 11
            Repeater {
                model: [
                    { icon: "waveform", text: qsTr("%1 switches, %2 of them recorded key by key")
                                                .arg(root.ui.catalog.builtIn.length)
                                                .arg(root.ui.catalog.recordedNames.length) },
                    { icon: "bolt.fill", text: qsTr("Instant, low-latency playback") },
                    { icon: "lock.fill", text: qsTr("Private — nothing leaves your computer") }
                ]
                RowLayout {
                    id: feature
                    required property var modelData
                    spacing: 10
                    Rectangle {
                        implicitWidth: 24
                        implicitHeight: 24
                        radius: 12
                        color: Style.fade(Style.accent, 0.14)
                        Symbol {
                            anchors.centerIn: parent
                            name: feature.modelData.icon
                            color: Style.accent
                            size: 12
                        }
                    }
                    Text {
                        text: parent.modelData.text
                        font.pixelSize: 12
                        font.weight: Font.Medium
                        color: Style.fade("white", 0.85)
                    }
                }
            }
        }
        Item { Layout.fillHeight: true; Layout.minimumHeight: 30 }
    }

    Rectangle {
        anchors.right: parent.right
        width: 1
        height: parent.height
        color: Style.fade("white", 0.06)
    }

    // Back and forth for as long as the window lives.
    Timer {
        interval: 3200
        running: root.visible
        repeat: true
        triggeredOnStart: true
        onTriggered: root.floating = !root.floating
    }
}
