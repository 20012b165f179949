#pragma once

#include "SwitchProfile.h"

#include <cstdint>
#include <vector>

namespace plinkum {

// Builds single keystroke sounds of one switch from the parts of a keystroke: cap and housing
// impact, bump or click, spring ping, plate and case resonance, stabiliser rattle. Every sound is
// a pure function of the profile, the key shape, the direction and the variant number, so the
// generated packs are the same on every build.
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
