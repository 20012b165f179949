#include "ui/StyleKit.h"

#include <QStringList>

#include <array>
#include <cmath>
#include <numbers>

namespace plinkum {

namespace {

struct StemKeyword {
    const char *keyword;
    float r, g, b;
};

// Compound keywords come before the plain colour words they contain. The rows after "black"
// give every built-in switch its own stem colour.
constexpr std::array<StemKeyword, 20> stemTable{{
    {"alps-blue", 0.23f, 0.51f, 0.96f},
    {"box-navy", 0.12f, 0.23f, 0.54f},
    {"red-ink", 0.76f, 0.15f, 0.18f},
    {"black-ink", 0.13f, 0.13f, 0.16f},
    {"holy-panda", 0.96f, 0.62f, 0.36f},
    {"cream", 0.95f, 0.89f, 0.76f},
    {"alpaca", 0.96f, 0.65f, 0.76f},
    {"tealios", 0.24f, 0.78f, 0.72f},
    {"topre", 0.6f, 0.63f, 0.66f},
    {"buckling", 0.84f, 0.81f, 0.76f},
    {"brown", 0.55f, 0.35f, 0.2f},
    {"blue", 0.2f, 0.45f, 0.92f},
    {"red", 0.88f, 0.2f, 0.23f},
    {"black", 0.2f, 0.2f, 0.22f},
    {"green", 0.2f, 0.66f, 0.36f},
    {"jade", 0.0f, 0.62f, 0.5f},
    {"white", 0.93f, 0.93f, 0.9f},
    {"yellow", 0.98f, 0.8f, 0.2f},
    {"beam", 0.7f, 0.67f, 0.6f},
    {"boba", 0.72f, 0.55f, 0.42f},
}};

} // namespace

QColor StyleKit::accent() { return QColor::fromRgbF(1.0f, 0.478f, 0.161f); }
QColor StyleKit::accentDeep() { return QColor::fromRgbF(0.93f, 0.33f, 0.06f); }
QColor StyleKit::ink() { return QColor::fromRgbF(0.075f, 0.072f, 0.082f); }

QColor StyleKit::stemColor(const QString &packID)
{
    const QStringList pieces = packID.split(u':', Qt::SkipEmptyParts);
    const QString key = pieces.isEmpty() ? packID : pieces.last();
    for (const auto &row : stemTable) {
        if (key.contains(QLatin1String(row.keyword), Qt::CaseSensitive))
            return QColor::fromRgbF(row.r, row.g, row.b);
    }
    return accent();
}

QColor StyleKit::fade(const QColor &color, qreal alpha)
{
    QColor faded = color;
    faded.setAlphaF(float(color.alphaF() * alpha));
    return faded;
}

qreal StyleKit::spring(qreal seconds, qreal response, qreal damping)
{
    if (seconds <= 0)
        return 0;
    const qreal omega = 2 * std::numbers::pi / response;
    const qreal decay = damping * omega;
    const qreal omegaDamped = omega * std::sqrt(1 - damping * damping);
    return 1 - std::exp(-decay * seconds)
                   * (std::cos(omegaDamped * seconds) + decay / omegaDamped * std::sin(omegaDamped * seconds));
}

int StyleKit::springDuration(qreal response, qreal damping)
{
    const qreal decay = damping * 2 * std::numbers::pi / response;
    return int(std::ceil(std::log(1000.0) / decay * 1000));
}

} // namespace plinkum
