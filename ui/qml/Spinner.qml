import QtQuick
import Plinkum.Ui

// A small turning arc for "waiting".
Symbol {
    id: root

    property bool running: true

    name: "progress.arc"
    color: Style.fade("white", 0.55)
    size: 14
    Accessible.role: Accessible.Indicator

    RotationAnimator on rotation {
        from: 0
        to: 360
        duration: 900
        loops: Animation.Infinite
        running: root.running
    }
}
