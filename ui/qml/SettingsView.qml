pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Three tabs shown as icon-and-label buttons across the top, as preference windows do.
Control {
    id: root

    required property UiContext ui
    // "general", "sounds" or "about"
    property string tab: "general"
    readonly property var tabs: [
        { key: "general", label: qsTr("General"), symbol: "gearshape" },
        { key: "sounds", label: qsTr("Sounds"), symbol: "waveform" },
        { key: "about", label: qsTr("About"), symbol: "info.circle" }
    ]

    padding: 0
    contentItem: ColumnLayout {
        spacing: 0

        Row {
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 8
            Layout.bottomMargin: 6
            spacing: 4
            Repeater {
                model: root.tabs
                AbstractButton {
                    id: tabButton
                    required property var modelData
                    readonly property bool current: root.tab === modelData.key
                    width: 72
                    height: 50
                    text: modelData.label
                    hoverEnabled: true
                    Accessible.role: Accessible.PageTab
                    onClicked: root.tab = modelData.key
                    background: Rectangle {
                        radius: 7
                        antialiasing: true
                        color: tabButton.current ? Style.fade(root.palette.windowText, 0.08)
                                                 : tabButton.hovered ? Style.fade(root.palette.windowText, 0.04)
                                                                     : "transparent"
                    }
                    contentItem: Column {
                        spacing: 3
                        topPadding: 6
                        Symbol {
                            anchors.horizontalCenter: parent.horizontalCenter
                            name: tabButton.modelData.symbol
                            size: 20
                            color: tabButton.current ? Style.accent : Style.fade(root.palette.windowText, 0.6)
                        }
                        Text {
                            anchors.horizontalCenter: parent.horizontalCenter
                            text: tabButton.text
                            font.pixelSize: 11
                            color: tabButton.current ? Style.accent : Style.fade(root.palette.windowText, 0.75)
                        }
                    }
                }
            }
        }
        Separator { opacity: 0.5 }
        StackLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            implicitWidth: 520
            implicitHeight: 440
            currentIndex: root.tabs.findIndex(entry => entry.key === root.tab)

            GeneralTab { objectName: "generalTab"; ui: root.ui }
            SoundsTab { objectName: "soundsTab"; ui: root.ui }
            AboutTab { ui: root.ui }
        }
    }
}
