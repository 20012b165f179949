pragma ComponentBehavior: Bound

import QtQuick
import Plinkum.Ui

// One capsule per step; the current one is long, the steps reached are lit.
Row {
    id: root

    property string current: "access"
    readonly property var steps: ["access", "ready"]
    property real springTime: Style.springDuration(0.4, 0.8) / 1000
    readonly property int currentIndex: steps.indexOf(current)
    property int previousIndex: currentIndex

    spacing: 8
    Accessible.ignored: true

    onCurrentIndexChanged: springRun.restart()

    NumberAnimation {
        id: springRun
        target: root
        property: "springTime"
        from: 0
        to: Style.springDuration(0.4, 0.8) / 1000
        duration: Style.springDuration(0.4, 0.8)
        onFinished: root.previousIndex = root.currentIndex
    }

    Repeater {
        model: root.steps.length
        Rectangle {
            required property int index
            readonly property real move: Style.spring(root.springTime, 0.4, 0.8)
            readonly property real wasWide: index === root.previousIndex ? 1 : 0
            readonly property real isWide: index === root.currentIndex ? 1 : 0
            height: 6
            width: 8 + 20 * (wasWide + (isWide - wasWide) * move)
            radius: 3
            antialiasing: true
            color: index <= root.currentIndex ? Style.accent : Style.fade("white", 0.12)
        }
    }
}
