import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// A hairline between the parts of a window.
Control {
    id: root

    Layout.fillWidth: true
    implicitHeight: 1
    background: Rectangle {
        color: Style.fade(root.palette.windowText, 0.12)
    }
}
