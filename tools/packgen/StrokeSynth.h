#pragma once

#include "SwitchProfile.h"

#include <cstdint>
#include <vector>

namespace plinkum {

// Builds single keystroke sounds of one switch the way a real stroke is made: broadband impacts
// (a tick, the cap's body, the housing's clack, plate, case and room), each noise shaped by a
// spectral envelope that fades treble first, a few short damped modes, the bump or click a few
// milliseconds before the bottom-out, faint spring pings and stabiliser rattle; the release is
// the stem's top-out. Every sound is a pure function of the profile, the key shape, the
// direction and the variant number, so the generated packs are the same on every build.
class StrokeSynth {
public:
    static constexpr int sampleRate = 48000;

    // Keys that sound different: longer caps ring lower, stabilised ones rattle.
    enum class KeyShape { Standard, Modifier, Wide, Shift, Return, Backspace, Space };

    explicit StrokeSynth(const SwitchProfile &profile);

    std::vector<float> press(KeyShape shape, int variant) const;
    std::vector<float> release(KeyShape shape, int variant) const;

private:
    std::uint32_t seedFor(KeyShape shape, bool down, int variant) const;

    SwitchProfile m_profile;
    std::uint32_t m_seed;
};

} // namespace plinkum
