#include "ui/VersionInfo.h"

namespace plinkum {

QString VersionInfo::text(const QString &shortVersion, const QString &buildNumber)
{
    const QString version = shortVersion.trimmed().isEmpty() ? QStringLiteral("1.0") : shortVersion.trimmed();
    const QString build = buildNumber.trimmed().isEmpty() ? QStringLiteral("1") : buildNumber.trimmed();
    return version + QStringLiteral(" (") + build + u')';
}

QString VersionInfo::current()
{
    return text(QStringLiteral(PLINKUM_VERSION), QStringLiteral(PLINKUM_BUILD_NUMBER));
}

} // namespace plinkum
