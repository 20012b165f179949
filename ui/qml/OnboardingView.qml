import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic
import Plinkum.Ui

// Hero panel on the left; on the right the step indicator over the current step, which slides
// and fades to the next one on a spring.
Control {
    id: root

    required property UiContext ui
    property string startStep
    // "access" or "ready"; chosen once, then only moves forward.
    property string step: startStep !== "" ? startStep : (ui.state.hasPermission ? "ready" : "access")
    // 0 shows the access step, 1 the ready step; driven along a spring when advancing.
    property real progress: step === "ready" ? 1 : 0
    property real springTime: 0
    readonly property real springDuration: Style.springDuration(0.45, 0.86) / 1000

    signal advancing()
    signal finished()

    function advance() {
        advancing()
        if (step === "ready")
            return
        step = "ready"
        springRun.restart()
    }

    Component.onCompleted: step = step // freezes the choice made from the state at first appearance

    NumberAnimation {
        id: springRun
        target: root
        property: "springTime"
        from: 0
        to: root.springDuration
        duration: root.springDuration * 1000
        onStarted: root.progress = 0
        onFinished: root.progress = 1
    }
    onSpringTimeChanged: {
        if (springRun.running)
            progress = Style.spring(springTime, 0.45, 0.86)
    }

    padding: 0
    contentItem: RowLayout {
        spacing: 0

        HeroPanel {
            ui: root.ui
            Layout.preferredWidth: 340
            Layout.fillHeight: true
        }
        Rectangle {
            Layout.fillWidth: true
            Layout.fillHeight: true
            color: Style.ink

            ColumnLayout {
                anchors.fill: parent
                anchors.leftMargin: 40
                anchors.rightMargin: 40
                anchors.bottomMargin: 28
                spacing: 0

                StepIndicator {
                    Layout.alignment: Qt.AlignHCenter
                    Layout.topMargin: 26
                    current: root.step
                }
                Item { Layout.fillHeight: true }
                Item {
                    id: stage
                    Layout.fillWidth: true
                    Layout.maximumWidth: 360
                    Layout.alignment: Qt.AlignHCenter
                    implicitHeight: Math.max(access.visible ? access.implicitHeight : 0,
                                             ready.visible ? ready.implicitHeight : 0)
                    clip: false

                    AccessStep {
                        id: access
                        width: stage.width
                        ui: root.ui
                        x: -root.progress * stage.width * 0.35
                        opacity: 1 - root.progress
                        visible: opacity > 0.001
                        active: root.step === "access"
                        onGranted: root.advance()
                        onSkipped: root.advance()
                    }
                    ReadyStep {
                        id: ready
                        width: stage.width
                        ui: root.ui
                        x: (1 - root.progress) * stage.width * 0.35
                        opacity: root.progress
                        visible: opacity > 0.001
                        active: root.step === "ready"
                        onDone: root.finished()
                    }
                }
                Item { Layout.fillHeight: true }
            }
        }
    }
}
