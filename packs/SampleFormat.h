#pragma once

#include <array>

namespace plinkum {

// The one playback format of the whole application: mono 32-bit float at 48000 Hz. Every
// variant a pack holds is in it and the engine mixes in it. A constant, so concurrent first use
// from a loading thread and the engine is trivially safe.
struct SampleFormat {
    int sampleRate;
    int channelCount;
};

inline constexpr SampleFormat sampleFormat{48000, 1};

// Resampling ratios of the five pitch variants of every sample, in variant order. Above 1 the
// sound is shorter and higher; index 2 is the recording as it is.
inline constexpr std::array<double, 5> pitchRatios{0.96, 0.98, 1.0, 1.02, 1.04};

} // namespace plinkum
