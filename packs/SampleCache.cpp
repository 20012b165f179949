#include "packs/SampleCache.h"

#include "packs/SampleDecoding.h"

namespace plinkum::PackLoader {

QString SampleCache::budgetMessage() const
{
    return QStringLiteral("its sounds would take the pack past %1 MiB").arg(m_byteBudget >> 20);
}

SamplePtr SampleCache::variants(const QString &key, const Loader &loader, QString *why)
{
    if (const auto it = m_cache.constFind(key); it != m_cache.constEnd()) {
        if (why)
            *why = it->why;
        return it->sample;
    }

    const auto remember = [&](SamplePtr sample, const QString &reason) {
        m_cache.insert(key, {sample, reason});
        if (why)
            *why = reason;
        return sample;
    };
    QString reason;
    std::optional<std::vector<float>> samples = loader(maxFramesFor(m_byteBudget - m_bytesHeld), reason);
    if (!samples)
        return remember(nullptr, reason);
    if (samples->empty())
        return remember(nullptr, QStringLiteral("no samples"));
    if (variantBytes(samples->size()) > m_byteBudget - m_bytesHeld)
        return remember(nullptr, budgetMessage());

    auto sample = std::make_shared<Sample>();
    sample->variants = makeVariants(std::move(*samples));
    if (sample->variants.empty())
        return remember(nullptr, QStringLiteral("no variant could be made"));
    for (const AudioBuffer &variant : sample->variants)
        m_bytesHeld += variant.frameCount() * sizeof(float);
    return remember(sample, {});
}

} // namespace plinkum::PackLoader
