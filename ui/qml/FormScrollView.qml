import QtQuick
import QtQuick.Controls.Basic

// A settings page that scrolls when the window is smaller than its content, with the scroll bar
// in sight whenever there is more to see, not only while scrolling.
ScrollView {
    contentWidth: availableWidth
    ScrollBar.vertical.policy: ScrollBar.vertical.size < 1 ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
}
