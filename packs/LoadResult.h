#pragma once

#include "packs/LoadedPack.h"
#include "packs/PackLoadFailure.h"

#include <variant>

namespace plinkum::PackLoader {

// A loaded pack or why there is none.
class LoadResult {
public:
    LoadResult(LoadedPackPtr pack) : m_value(std::move(pack)) {}
    LoadResult(PackLoadFailure failure) : m_value(std::move(failure)) {}

    bool ok() const { return std::holds_alternative<LoadedPackPtr>(m_value); }
    // Null on failure.
    LoadedPackPtr pack() const { return ok() ? std::get<LoadedPackPtr>(m_value) : nullptr; }
    // Only on failure.
    const PackLoadFailure &failure() const { return std::get<PackLoadFailure>(m_value); }

private:
    std::variant<LoadedPackPtr, PackLoadFailure> m_value;
};

} // namespace plinkum::PackLoader
