import QtQuick

// One of our SVG symbols, drawn in `color` (or as drawn, for artwork such as the keycap).
Image {
    id: root

    property string name
    property color color: "black"
    property bool tinted: true
    property bool greyscale: false
    property real size: 16

    width: size
    height: size
    sourceSize.width: Math.ceil(size * Screen.devicePixelRatio)
    sourceSize.height: Math.ceil(size * Screen.devicePixelRatio)
    fillMode: Image.PreserveAspectFit
    smooth: true
    source: {
        if (!name)
            return ""
        if (greyscale)
            return "image://art/" + name + "?grey"
        if (tinted)
            return "image://art/" + name + "?tint=" + color.toString().substring(1)
        return "image://art/" + name
    }
}
