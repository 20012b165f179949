#include "KeycapIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace plinkum {

QImage KeycapIcon::image(bool active, const QColor &color, qreal scale)
{
    QImage image(QSize(width, height) * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(scale);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn in a y-up frame with its origin at the bottom left, like the shapes' measurements.
    painter.translate(0, height);
    painter.scale(1, -1);

    QPainterPath outer;
    outer.addRoundedRect(QRectF(1.5, 1.5, 15, 12.5), 3.2, 3.2);
    QPainterPath inner;
    inner.addRoundedRect(QRectF(4.5, 5.5, 9, 7), 2, 2);

    QPen pen(color, 1.4);
    if (active) {
        painter.strokePath(outer, pen);
        painter.fillPath(inner, color);
    } else {
        // Dash lengths are in units of the pen width; flat caps keep the gaps as long as drawn.
        pen.setCapStyle(Qt::FlatCap);
        pen.setDashPattern({2 / 1.4, 1.6 / 1.4});
        painter.strokePath(outer, pen);
        painter.strokePath(inner, QPen(color, 1.2));
    }
    return image;
}

QIcon KeycapIcon::icon(bool active, const QColor &color)
{
    QIcon icon;
    for (const qreal scale : {1.0, 1.5, 2.0, 3.0})
        icon.addPixmap(QPixmap::fromImage(image(active, color, scale)));
    return icon;
}

} // namespace plinkum
