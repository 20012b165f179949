#include "ui/VolumeLevel.h"

#include <cmath>

namespace plinkum {

QString VolumeLevel::symbol(double volume)
{
    if (volume == 0.0)
        return QStringLiteral("speaker.slash.fill");
    if (volume < 0.34)
        return QStringLiteral("speaker.wave.1.fill");
    if (volume < 0.67)
        return QStringLiteral("speaker.wave.2.fill");
    return QStringLiteral("speaker.wave.3.fill");
}

QString VolumeLevel::percentText(double volume)
{
    // Scaling by 100 is inexact (0.125 * 100 may land a hair below 12.5); round at a precision
    // far below one percent first so the half goes the way the user reads it.
    const double percent = std::round(volume * 100.0 * 1e6) / 1e6;
    return QString::number(static_cast<long long>(std::round(percent))) + u'%';
}

} // namespace plinkum
