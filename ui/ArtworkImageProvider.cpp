#include "ui/ArtworkImageProvider.h"

#include "common/Log.h"

#include <QColor>
#include <QPainter>
#include <QSvgRenderer>
#include <QUrlQuery>

namespace plinkum {

ArtworkImageProvider::ArtworkImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

QImage ArtworkImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    const qsizetype question = id.indexOf(u'?');
    const QString name = id.left(question);
    const QUrlQuery query(question < 0 ? QString() : id.mid(question + 1));

    QSvgRenderer renderer(QStringLiteral(":/qt/qml/Plinkum/Ui/art/%1.svg").arg(name));
    if (!renderer.isValid()) {
        plinkum::log(QStringLiteral("missing artwork %1").arg(name).toStdString());
        return {};
    }
    const QSize natural = renderer.defaultSize();
    QSize target = requestedSize;
    if (target.width() <= 0 && target.height() <= 0)
        target = natural;
    else if (target.width() <= 0)
        target.setWidth(natural.width() * target.height() / natural.height());
    else if (target.height() <= 0)
        target.setHeight(natural.height() * target.width() / natural.width());

    QImage image(target, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);

    if (query.hasQueryItem(QStringLiteral("tint"))) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), QColor(u'#' + query.queryItemValue(QStringLiteral("tint"))));
    }
    painter.end();

    if (query.hasQueryItem(QStringLiteral("grey"))) {
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int grey = qGray(line[x]);
                line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
            }
        }
    }
    if (size)
        *size = image.size();
    return image;
}

} // namespace plinkum
