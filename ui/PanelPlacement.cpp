#include "ui/PanelPlacement.h"

#include <algorithm>

namespace plinkum {

QPoint PanelPlacement::topLeft(const QRect &trayIcon, const QPoint &pointer, const QRect &screen,
                               const QSize &panel)
{
    const QRect anchor = trayIcon.isValid() && !trayIcon.isEmpty() ? trayIcon : QRect(pointer, QSize(1, 1));
    // QRect::center() rounds down; the panel is centred on the icon's true middle.
    const bool opensUpwards = anchor.y() * 2 + anchor.height() > screen.y() * 2 + screen.height();

    int x = anchor.x() + (anchor.width() - panel.width()) / 2;
    int y = opensUpwards ? anchor.top() - gap - panel.height() : anchor.bottom() + 1 + gap;

    // A panel larger than the screen keeps its top-left corner visible.
    x = std::max(screen.left(), std::min(x, screen.right() + 1 - panel.width()));
    y = std::max(screen.top(), std::min(y, screen.bottom() + 1 - panel.height()));
    return {x, y};
}

} // namespace plinkum
