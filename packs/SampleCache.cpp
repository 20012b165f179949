#include "SampleCache.h"

#include "Log.h"
#include "SampleDecoding.h"

namespace plinkum::PackLoader {

SamplePtr SampleCache::variants(const QString &key, const Loader &loader, QString *why)
{
    if (const auto it = m_cache.constFind(key); it != m_cache.constEnd())
        return *it;

    QString reason;
    std::optional<std::vector<float>> samples = loader(reason);
    if (!samples || samples->empty()) {
        if (why)
            *why = samples ? QStringLiteral("no samples") : reason;
        return nullptr;
    }
    const std::size_t bytes = variantBytes(samples->size());
    if (bytes > m_byteBudget - m_bytesHeld) {
        const QString message = QStringLiteral("its sounds would take the pack past %1 MiB").arg(m_byteBudget >> 20);
        log(QStringLiteral("skipped %1: %2").arg(key, message).toStdString());
        if (why)
            *why = message;
        return nullptr;
    }

    auto sample = std::make_shared<Sample>();
    sample->variants = makeVariants(std::move(*samples));
    if (sample->variants.empty()) {
        if (why)
            *why = QStringLiteral("no variant could be made");
        return nullptr;
    }
    for (const AudioBuffer &variant : sample->variants)
        m_bytesHeld += variant.frameCount() * sizeof(float);
    m_cache.insert(key, sample);
    return sample;
}

} // namespace plinkum::PackLoader
