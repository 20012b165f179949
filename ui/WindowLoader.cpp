#include "ui/WindowLoader.h"

#include "common/Log.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>

namespace plinkum {

QQuickWindow *WindowLoader::create(QQmlEngine &engine, const QString &typeName, const QVariantMap &properties)
{
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/qt/qml/Plinkum/Ui/%1.qml").arg(typeName)));
    // Qt 6.4 crashes when creating with initial properties from a component that failed to load.
    if (component.isError()) {
        plinkum::log(QStringLiteral("could not build %1: %2").arg(typeName, component.errorString()).toStdString());
        return nullptr;
    }
    QObject *object = component.createWithInitialProperties(properties);
    auto *window = qobject_cast<QQuickWindow *>(object);
    if (!window) {
        plinkum::log(QStringLiteral("could not build %1: %2").arg(typeName, component.errorString()).toStdString());
        delete object;
        return nullptr;
    }
    QQmlEngine::setObjectOwnership(window, QQmlEngine::CppOwnership);
    return window;
}

} // namespace plinkum
