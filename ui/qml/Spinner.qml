import QtQuick
import Plinkum.Ui

// A small turning arc for "waiting".
Item {
    id: root

    property bool running: true
    property color color: Style.fade("white", 0.55)

    implicitWidth: 14
    implicitHeight: 14
    Accessible.role: Accessible.Indicator

    Canvas {
        id: arc
        anchors.fill: parent
        onPaint: {
            const ctx = getContext("2d")
            ctx.reset()
            ctx.lineWidth = 2
            ctx.lineCap = "round"
            ctx.strokeStyle = root.color
            ctx.beginPath()
            ctx.arc(width / 2, height / 2, width / 2 - 1.5, 0, Math.PI * 1.4)
            ctx.stroke()
        }
        RotationAnimator on rotation {
            from: 0
            to: 360
            duration: 900
            loops: Animation.Infinite
            running: root.running
        }
    }
}
