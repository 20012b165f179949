#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace plinkum {

// The colours every window shares, and the colour that marks a switch. Exposed to QML as `Style`.
class StyleKit : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(Style)
    QML_SINGLETON
    Q_PROPERTY(QColor accent READ accent CONSTANT)
    Q_PROPERTY(QColor accentDeep READ accentDeep CONSTANT)
    Q_PROPERTY(QColor ink READ ink CONSTANT)

public:
    using QObject::QObject;

    [[nodiscard]] static QColor accent();
    [[nodiscard]] static QColor accentDeep();
    [[nodiscard]] static QColor ink();

    // The swatch colour of a pack: the first keyword of a fixed table found in the last ":"-piece
    // of the id (case-sensitive), else `accent`.
    Q_INVOKABLE [[nodiscard]] static QColor stemColor(const QString &packID);

    // `color` at opacity `alpha`, for the many translucent fills of the views.
    Q_INVOKABLE [[nodiscard]] static QColor fade(const QColor &color, qreal alpha);

    // Position (0 at rest, 1 at the target) of a damped spring `seconds` after it was let go;
    // `response` is the period of the undamped spring, `damping` the damping fraction (< 1).
    Q_INVOKABLE [[nodiscard]] static qreal spring(qreal seconds, qreal response, qreal damping);
    // How long that spring takes to come within 0.1 % of its target, in milliseconds.
    Q_INVOKABLE [[nodiscard]] static int springDuration(qreal response, qreal damping);
};

} // namespace plinkum
