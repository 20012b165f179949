#pragma once

#include "packs/Sample.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace plinkum::PackLoader {

// The recordings decoded during one pack load, by a key that names each once (the resolved file,
// the slice), so a file or slice named many times costs one decode and one set of variants, and
// every entry naming it shares the same Sample. Failures are remembered too: within one load a
// file that failed once fails again, and trying it again would only cost time. Lives for one load
// only; it also holds the load to a memory budget.
class SampleCache {
public:
    // A pack's variants may take at most this much: several hundred keys of a second each take
    // a tenth of it, and more would only exhaust the memory of the machine.
    static constexpr std::size_t defaultByteBudget = std::size_t{256} << 20;

    // Yields the samples of one recording, at most `maxFrames` of them (what the budget still
    // takes), or nothing with the reason in `why`.
    using Loader = std::function<std::optional<std::vector<float>>(std::size_t maxFrames, QString &why)>;

    explicit SampleCache(std::size_t byteBudget = defaultByteBudget) : m_byteBudget(byteBudget) {}

    // The sample stored under `key`, else the loader's samples made into variants and stored.
    // Nothing (with `why` set) when the loader yields nothing or no samples, when no variant can
    // be made, or when the variants would exceed the budget.
    SamplePtr variants(const QString &key, const Loader &loader, QString *why = nullptr);

    std::size_t bytesHeld() const { return m_bytesHeld; }
    std::size_t byteBudget() const { return m_byteBudget; }
    // Why a sound that would not fit the budget was refused.
    QString budgetMessage() const;

private:
    struct Entry {
        SamplePtr sample;
        QString why;
    };

    QHash<QString, Entry> m_cache;
    std::size_t m_byteBudget;
    std::size_t m_bytesHeld = 0;
};

} // namespace plinkum::PackLoader
