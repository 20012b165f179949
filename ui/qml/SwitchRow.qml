import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// A form row with a label and an on/off switch bound to one property of the application state.
FormRow {
    id: root

    required property QtObject target
    required property string property

    ToggleSwitch {
        checked: root.target[root.property]
        onToggled: root.target[root.property] = checked
        Accessible.name: root.label
    }
}
