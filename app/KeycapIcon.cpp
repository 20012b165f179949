#include "app/KeycapIcon.h"

namespace plinkum {

QString KeycapIcon::name(State state)
{
    switch (state) {
    case State::Paused:
        return QStringLiteral("io.github.plinkum.Plinkum-paused-symbolic");
    case State::Attention:
        return QStringLiteral("io.github.plinkum.Plinkum-attention-symbolic");
    case State::On:
        break;
    }
    return QStringLiteral("io.github.plinkum.Plinkum-symbolic");
}

QIcon KeycapIcon::icon(State state)
{
    const QString iconName = name(state);
    if (QIcon::hasThemeIcon(iconName))
        return QIcon::fromTheme(iconName);
    return QIcon(QStringLiteral(":/plinkum/icons/%1.svg").arg(iconName));
}

} // namespace plinkum
