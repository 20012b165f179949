import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Name, version, the privacy promise and where to learn more: the help and acknowledgements
// installed with Plinkum.
Control {
    id: root

    required property UiContext ui
    readonly property color secondary: Style.fade(palette.windowText, 0.55)

    contentItem: Item {
        ColumnLayout {
            anchors.centerIn: parent
            width: parent.width
            spacing: 0

            Symbol {
                Layout.alignment: Qt.AlignHCenter
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
            Label {
                readonly property var catalog: root.ui.catalog
                Layout.alignment: Qt.AlignHCenter
                Layout.maximumWidth: 320
                Layout.topMargin: 10
                visible: catalog.recordedNames.length + catalog.derivedNames.length > 0
                text: qsTr("Recorded key by key: %1. Derived from recordings of related switches: %2. The acknowledgements name who made each recording and its licence.")
                      .arg(catalog.recordedNames.join(", ")).arg(catalog.derivedNames.join(", "))
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
                font.pixelSize: 11
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
        }
    }
}
