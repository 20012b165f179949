#pragma once

#include "packs/LoadedPack.h"
#include "packs/PackLevel.h"

#include <QString>

#include <atomic>
#include <optional>
#include <vector>

namespace plinkum {

// How loud a pack is heard: the K-weighted loudness (EBU R128, libebur128) of the typing phrase as
// the engine plays it. Built-in packs are generated at the target; an imported pack is measured
// once and given the gain that brings it there. Slow (decodes and renders): never on the main
// or the audio thread.
class PackLoudness {
public:
    // Loudness of the typing phrase every built-in pack is scaled to, LUFS.
    static constexpr double targetLufs = -32.0;
    // Mouse packs' loudness on the same rhythm clicked: a click 1 dB under a keystroke, as real
    // clicks are quieter, which keeps the sharpest recording under the peak limit.
    static constexpr double mouseTargetLufs = -33.0;
    // The level a pack is matched to: a mouse pack's when it sounds for the mouse only.
    static double target(const PackInfo &info);

    // Integrated loudness of interleaved frames, LUFS; -inf for silence.
    static double loudness(const std::vector<float> &frames, int channels, int sampleRate);
    // The phrase's loudness for a loaded pack.
    static double phraseLoudness(const LoadedPackPtr &pack);
    // The phrase's loudness for the pack in `folder` as its files are, without its stored level;
    // nothing when it does not load. Throws DecodeError when cancelled.
    static std::optional<double> phraseLoudness(const QString &folder, bool builtIn,
                                                const std::atomic<bool> *cancelled = nullptr);

    // Measures the user pack in `folder` and stores the gain that brings it to the target beside
    // the trim (kept, or the pack's own gain when it has none yet). The level stored; nothing when
    // the pack does not load. Throws DecodeError when cancelled.
    static std::optional<PackLevel> measure(const QString &folder, const std::atomic<bool> *cancelled = nullptr);
};

} // namespace plinkum
