#pragma once

#include "packs/LoadedPack.h"

#include <cstdint>
#include <vector>

namespace plinkum {

// The typing run packs are matched and compared on: a pack is heard as a mix of many keys,
// presses and releases, never as one file.
class TypingPhrase {
public:
    struct Event {
        std::uint16_t keyCode;
        bool down;
        int milliseconds;
    };

    // A sentence typed at a steady pace: letters with their releases, spaces, a capital under a
    // held Shift, a typo fixed with Backspace, and Return.
    static const std::vector<Event> &events();
    // Where the phrase's sound ends: one second after its last event.
    static int milliseconds();

    // The phrase through the real engine, as a user at volume 1 with stereo and pitch variation
    // on would hear it (one fixed seed, so runs repeat): interleaved 48 kHz stereo. A mouse-only
    // pack plays the same rhythm clicked: each keystroke a left click held as long, the space
    // bar's a right click, Shift left out.
    static std::vector<float> render(const LoadedPackPtr &pack);
};

} // namespace plinkum
