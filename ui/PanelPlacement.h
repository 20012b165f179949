#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace plinkum {

// Where the tray panel opens: centred under (or, for a tray at the bottom of the screen, above)
// the tray icon when the platform tells us where it is, else at the pointer; always on screen.
class PanelPlacement {
public:
    static constexpr int gap = 6;

    [[nodiscard]] static QPoint topLeft(const QRect &trayIcon, const QPoint &pointer, const QRect &screen,
                                        const QSize &panel);
};

} // namespace plinkum
