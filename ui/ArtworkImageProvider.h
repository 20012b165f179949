#pragma once

#include <QQuickImageProvider>

namespace plinkum {

// Serves the SVG artwork of the interface as images: "image://art/<name>" draws art/<name>.svg
// as it is, "<name>?tint=<rrggbb or aarrggbb>" in one colour (symbols follow the text colour around them),
// "<name>?grey" without saturation (the keycap while the sounds are off).
class ArtworkImageProvider : public QQuickImageProvider {
public:
    ArtworkImageProvider();

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;
};

} // namespace plinkum
