import QtQuick
import QtQuick.Controls.Basic
import Plinkum.Ui

// The first-run window: always dark, fixed size, only a close button.
ApplicationWindow {
    id: window

    required property UiContext ui
    // "access" or "ready" to force the first step; empty lets the access state decide.
    property string startStep
    readonly property alias step: view.step

    signal stepAdvancing()

    title: "Plinkum"
    width: 800
    height: 540
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height
    color: Style.ink
    palette.window: Style.ink
    palette.windowText: "white"
    palette.text: "white"
    palette.base: Style.ink
    palette.button: "#2a2729"
    palette.buttonText: "white"

    OnboardingView {
        id: view
        anchors.fill: parent
        ui: window.ui
        startStep: window.startStep
        onAdvancing: window.stepAdvancing()
        onFinished: window.close()
    }
}
