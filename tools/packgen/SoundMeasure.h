#pragma once

#include <vector>

namespace plinkum {

// The measurements the generator normalises by and the tests and the bench check against, so
// all three agree on what "as loud" and "sounds different" mean.
class SoundMeasure {
public:
    // EBU R128 integrated loudness (LUFS) of a typing run: the presses and releases placed
    // alternately, a press every 200 ms and its release 90 ms later, cycling through the lists.
    static double typingLoudness(const std::vector<std::vector<float>> &presses,
                                 const std::vector<std::vector<float>> &releases, int sampleRate);

    static float peak(const std::vector<float> &frames);

    // Seconds from the buffer start to the first sample at 10 % of the peak.
    static double onsetSeconds(const std::vector<float> &frames, int sampleRate);

    // Third-octave band energies from 100 Hz to 16 kHz in dB, shifted to a mean of 0 so that only
    // the spectral shape counts, summed over the given sounds.
    static std::vector<double> bandLevels(const std::vector<std::vector<float>> &sounds, int sampleRate);

    // RMS difference of two band-level lists in dB.
    static double spectralDistance(const std::vector<double> &a, const std::vector<double> &b);
};

} // namespace plinkum
