import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Where keyboard access stands, as Plinkum finds it: not asked yet, asking (the password prompt
// is up), allowed, or not given. It reports; it is not a control.
CardBackground {
    id: root

    // "notAsked", "asking", "granted" or "refused", as the state's accessRequest says
    property string request: "notAsked"
    property bool allowed: false
    readonly property string shown: allowed ? "allowed" : request === "granted" ? "applying" : request

    padding: 14
    Accessible.role: Accessible.StaticText
    Accessible.name: status.text

    contentItem: RowLayout {
        spacing: 10
        Symbol {
            name: "keycap"
            tinted: false
            size: 30
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            Label {
                text: qsTr("Keyboard access")
                font.pixelSize: 13
                font.weight: Font.Medium
            }
            Label {
                id: status
                objectName: "accessStatusText"
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                font.pixelSize: 12
                color: root.shown === "allowed" ? "#32d74b"
                     : root.shown === "refused" ? "#ff9f0a" : Style.fade("white", 0.6)
                text: {
                    switch (root.shown) {
                    case "allowed": return qsTr("Allowed: Plinkum hears your keys.")
                    case "applying": return qsTr("Allowed. Plinkum starts listening in a moment…")
                    case "asking": return qsTr("Asking: enter your password in the prompt.")
                    case "refused": return qsTr("Not given. You can ask again, or use the input group (Learn more).")
                    }
                    return qsTr("Not asked yet.")
                }
            }
        }
        Spinner {
            visible: root.shown === "asking" || root.shown === "applying"
            running: visible
        }
        Symbol {
            visible: root.shown === "allowed"
            name: "checkmark.circle.fill"
            color: "#32d74b"
            size: 18
        }
    }
}
