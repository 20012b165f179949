pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Name, version, the privacy promise, where each switch's sounds come from (one per line, as
// each pack credits itself) and where to learn more: the help and acknowledgements installed
// with Plinkum.
FormScrollView {
    id: root

    required property UiContext ui
    readonly property color secondary: Style.fade(palette.windowText, 0.6)

    ColumnLayout {
        width: root.availableWidth - 48
        x: 24
        spacing: 0

        Symbol {
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 16
            name: "keycap"
            tinted: false
            size: 120
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 6
            text: "Plinkum"
            font.pixelSize: 26
            font.weight: Font.Bold
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 2
            text: qsTr("Version %1").arg(root.ui.versionText)
            font.pixelSize: 12
            color: root.secondary
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            Layout.maximumWidth: 320
            Layout.topMargin: 16
            text: qsTr("Keystrokes are only used to play sounds. Nothing is recorded, stored, or sent.")
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            font.pixelSize: 12
            color: root.secondary
        }
        Row {
            objectName: "aboutLinks"
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 18
            spacing: 18
            LinkButton { objectName: "helpLink"; text: qsTr("Help"); onClicked: root.ui.openHelp() }
            LinkButton { objectName: "acknowledgementsLink"; text: qsTr("Acknowledgements"); onClicked: root.ui.openAcknowledgements() }
        }
        FormSection {
            objectName: "credits"
            Layout.topMargin: 22
            Layout.bottomMargin: 16
            visible: root.ui.catalog.builtIn.length > 0
            header: qsTr("Where the sounds come from")
            footer: qsTr("Switch names say which switch a sound was recorded from or modelled on; they are the trademarks of their owners, who have neither made nor endorsed these sounds.")
            Repeater {
                model: root.ui.catalog.builtIn
                ColumnLayout {
                    id: credit
                    required property var modelData
                    Layout.fillWidth: true
                    Layout.leftMargin: 12
                    Layout.rightMargin: 12
                    Layout.topMargin: 6
                    Layout.bottomMargin: 6
                    spacing: 1
                    Label {
                        Layout.fillWidth: true
                        text: credit.modelData.name
                        textFormat: Text.PlainText
                        font.pixelSize: 12
                        font.weight: Font.Medium
                        wrapMode: Text.Wrap
                    }
                    Label {
                        Layout.fillWidth: true
                        visible: text !== ""
                        text: credit.modelData.originLine
                        textFormat: Text.PlainText
                        font.pixelSize: 11
                        color: root.secondary
                        wrapMode: Text.Wrap
                    }
                }
            }
        }
    }
}
