import QtQuick
import QtQuick.Controls.Basic
import Plinkum.Ui

// The tray panel's window. As a popup it goes away as soon as it loses focus.
ApplicationWindow {
    id: window

    required property UiContext ui
    property bool popup: true

    title: "Plinkum"
    width: 340
    height: menu.implicitHeight
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height
    color: palette.window
    // The paused content is dimmed as a whole; its text keeps the normal colour underneath.
    palette.disabled.windowText: system.windowText

    SystemPalette {
        id: system
        colorGroup: SystemPalette.Active
    }

    onActiveChanged: {
        if (!active && popup)
            hide()
    }

    Shortcut {
        sequence: "Ctrl+,"
        onActivated: window.ui.showSettings()
    }
    Shortcut {
        sequence: "Ctrl+Q"
        onActivated: window.ui.quit()
    }

    MenuView {
        id: menu
        width: window.width
        ui: window.ui
    }
}
