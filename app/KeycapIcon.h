#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>

namespace plinkum {

// The tray icon: an 18 x 16 keycap outline with its key top, solid with a filled top while the
// sounds are on, dashed with a hollow top while they are off. Drawn in one given colour, since
// Linux panels do not tint icons for us.
class KeycapIcon {
public:
    static constexpr int width = 18;
    static constexpr int height = 16;

    static QImage image(bool active, const QColor &color, qreal scale = 1.0);
    static QIcon icon(bool active, const QColor &color);
};

} // namespace plinkum
