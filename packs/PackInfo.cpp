#include "packs/PackInfo.h"

#include <QHashFunctions>

namespace plinkum {

QString PackInfo::idFor(const QString &folderName, bool isBuiltIn)
{
    return (isBuiltIn ? QStringLiteral("bundle:") : QStringLiteral("folder:")) + folderName;
}

size_t qHash(const PackInfo &info, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, info.id);
    seed = combine(seed, info.name);
    seed = combine(seed, info.type.has_value());
    if (info.type)
        seed = combine(seed, *info.type);
    seed = combine(seed, info.order);
    seed = combine(seed, info.url);
    seed = combine(seed, info.isBuiltIn);
    for (const std::optional<QString> &text : {info.source, info.credit}) {
        seed = combine(seed, text.has_value());
        if (text)
            seed = combine(seed, *text);
    }
    seed = combine(seed, info.format);
    seed = combine(seed, info.keyboard);
    seed = combine(seed, info.mouse);
    seed = combine(seed, info.ownGain.value_or(-1.0));
    seed = combine(seed, info.loudnessGainDb.value_or(1000.0));
    seed = combine(seed, info.trimDb);
    return seed;
}

} // namespace plinkum
