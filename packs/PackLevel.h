#pragma once

#include "packs/LoadedPack.h"

#include <QString>

#include <optional>

namespace plinkum {

// The level of an imported pack, kept in a small file of its folder: the gain that brings its
// typing phrase to the built-in packs' loudness (measured once, at import) and the user's trim.
// The loader scales the decoded sounds by both, so the engine plays every pack alike.
struct PackLevel {
    std::optional<double> gainDb;
    std::optional<double> trimDb;

    // Hidden and named after Plinkum, so no pack brings a file of that name and imports never copy it.
    static const QString fileName; // ".plinkum-level.json"
    static constexpr double maxGainDb = 24.0;
    static constexpr double maxTrimDb = 12.0;
    static constexpr double trimStepDb = 0.5;

    // Nothing set when the file is missing or unreadable; values out of range are clamped.
    static PackLevel read(const QString &folder);
    // Replaces the file in one step; false when it cannot be written.
    bool write(const QString &folder) const;

    // Within ±maxTrimDb, on a trimStepDb step.
    static double clampTrim(double db);
    // The trim a pack starts with: its own document's gain (linear) in dB, else none.
    static double startingTrim(std::optional<double> ownGain);

    // The pack with every sound scaled by `db`; the pack itself when that is 0.
    static LoadedPackPtr applied(const LoadedPackPtr &pack, double db);
};

} // namespace plinkum
