#pragma once

#include "audio/KeySequence.h"
#include "packs/LoadedPack.h"
#include "audio/SoundEngine.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace plinkum {

// Drives a real SoundEngine and its mixer without an output, frame by frame, into a 48 kHz
// interleaved stereo float buffer: events take effect at exactly the frame they are given.
class OfflineRenderer {
public:
    struct Options {
        bool stereo = true;
        bool pitchVariation = true;
        bool playKeyUp = true;
        float volume = SoundEngine::Config{}.volume;
        std::optional<std::uint64_t> seed;
        std::size_t voiceCount = 24;
        // Clicks sound from this pack; without one, from the keyboard's pack (its standard key
        // sound when it has no click sounds).
        LoadedPackPtr mousePack;
        float mouseVolume = SoundEngine::Config{}.mouseVolume;
    };

    OfflineRenderer(LoadedPackPtr pack, const Options &options);

    // Mixes up to (not including) frame; does nothing when already there.
    void renderUntil(std::size_t frame);
    // An event at the current frame.
    void play(InputEvent event) { m_engine.play(event); }

    std::size_t frame() const { return m_samples.size() / Mixer::channelCount; }
    const std::vector<float> &samples() const { return m_samples; }
    SoundEngine &engine() { return m_engine; }

    // The whole script, ending one second after its last event.
    static std::vector<float> render(LoadedPackPtr pack, const KeySequence &sequence, const Options &options);
    static std::size_t frameAt(std::uint64_t milliseconds) { return milliseconds * (Mixer::sampleRate / 1000); }

    // A 48 kHz stereo 32-bit float WAV file; the reason on failure.
    static std::optional<std::string> writeWav(const std::string &path, const std::vector<float> &samples);

private:
    SoundEngine m_engine;
    std::vector<float> m_samples;
};

} // namespace plinkum
