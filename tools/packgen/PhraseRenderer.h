#pragma once

#include "packs/LoadedPack.h"

#include <QString>

#include <optional>
#include <vector>

namespace plinkum {

// Plays a measuring phrase through the real engine, as a user at volume 1 with stereo and pitch
// variation on would hear it (one fixed seed, so runs repeat): the figure packs are matched and
// compared on, including everything the loader and the engine do to a pack's files.
class PhraseRenderer {
public:
    // The typing phrase for keyboard packs, its clicked twin for mouse packs.
    enum class Phrase { Typing, Clicks };

    // Interleaved 48 kHz stereo.
    static std::vector<float> render(const LoadedPackPtr &pack, Phrase phrase = Phrase::Typing);
    // The phrase's loudness in LUFS for the pack in that folder, or nothing when it does not load.
    static std::optional<double> loudness(const QString &folder, bool builtIn, Phrase phrase = Phrase::Typing);
};

} // namespace plinkum
