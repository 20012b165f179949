#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace plinkum {

// How the panel shows a volume between 0 and 1: a speaker symbol and a whole percentage.
class VolumeLevel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    Q_INVOKABLE [[nodiscard]] static QString symbol(double volume);
    // Halves round away from zero: 0.125 reads "13%".
    Q_INVOKABLE [[nodiscard]] static QString percentText(double volume);
};

} // namespace plinkum
