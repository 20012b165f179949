#pragma once

#include <QString>
#include <QVariantMap>

class QQmlEngine;
class QQuickWindow;

namespace plinkum {

// Builds one of the module's top-level windows. Returns null (and logs why) when the QML fails.
class WindowLoader {
public:
    [[nodiscard]] static QQuickWindow *create(QQmlEngine &engine, const QString &typeName,
                                              const QVariantMap &properties);
};

} // namespace plinkum
