#pragma once

#include "Sample.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace plinkum::PackLoader {

// The recordings decoded during one pack load, by the text that named them, so a file or slice
// named several times costs one decode and one set of variants, and every entry naming it shares
// the same Sample. Lives for one load only; it also holds the load to a memory budget.
class SampleCache {
public:
    // A pack's variants may take at most this much; more is no keyboard sound and would exhaust
    // the memory of the machine.
    static constexpr std::size_t defaultByteBudget = std::size_t{1} << 30;

    // Yields the samples of one recording, or nothing with the reason in `why`.
    using Loader = std::function<std::optional<std::vector<float>>(QString &why)>;

    explicit SampleCache(std::size_t byteBudget = defaultByteBudget) : m_byteBudget(byteBudget) {}

    // The sample stored under `key`, else the loader's samples made into variants and stored.
    // Nothing (with `why` set) when the loader yields nothing or no samples, when no variant can
    // be made, or when the variants would exceed the budget; nothing is stored then, so a later
    // request runs the loader again.
    SamplePtr variants(const QString &key, const Loader &loader, QString *why = nullptr);

    std::size_t bytesHeld() const { return m_bytesHeld; }

private:
    QHash<QString, SamplePtr> m_cache;
    std::size_t m_byteBudget;
    std::size_t m_bytesHeld = 0;
};

} // namespace plinkum::PackLoader
