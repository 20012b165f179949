#include "ui/TitleParts.h"

#include <QStringList>

#include <array>

namespace plinkum {

namespace {

constexpr std::array brandPrefixes{"Cherry ", "Gateron ", "Kailh ", "NovelKeys "};
constexpr auto separator = u" \u00B7 ";

} // namespace

TitleParts TitleParts::fromName(const QString &name)
{
    const QStringList pieces = name.split(QString::fromUtf16(separator));
    TitleParts parts{pieces.first(), std::nullopt};
    if (pieces.size() >= 2)
        parts.subtitle = pieces.at(1);

    for (const char *prefix : brandPrefixes) {
        const QLatin1String brandPrefix(prefix);
        if (!parts.title.startsWith(brandPrefix))
            continue;
        parts.title.remove(0, brandPrefix.size());
        const QString brand = QString(brandPrefix).trimmed();
        parts.subtitle = parts.subtitle ? brand + QString::fromUtf16(separator) + *parts.subtitle : brand;
    }
    return parts;
}

} // namespace plinkum
