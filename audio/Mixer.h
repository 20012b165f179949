#pragma once

#include "packs/Sample.h"
#include "packs/SampleFormat.h"
#include "audio/SpscRing.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace plinkum {

// A fixed pool of mono voices summed into interleaved stereo float at the packs' sample rate.
//
// Two sides, two threads: the control side (startVoice, setGeneration) is used by one producer
// at a time — the sound engine calls it under its own lock — and the audio side (render) runs
// on the output's thread. They meet only through a lock-free command ring and a few atomics, so
// render takes no lock, allocates nothing, frees nothing and makes no system call.
//
// Voices read AudioBuffers they do not own. Each start carries the generation of the pack the
// buffer belongs to; render publishes the oldest generation it can still reach, and the owner
// frees a pack only once its generation is older than that.
class Mixer {
public:
    static constexpr std::size_t channelCount = 2;
    // The packs' rate: buffers play as they are, never resampled here.
    static constexpr int sampleRate = sampleFormat.sampleRate;
    // The block outputs ask their server for and render in (5.3 ms): small enough that a key is
    // heard at once, large enough that the server keeps up.
    static constexpr std::size_t periodFrames = 256;
    // A voice that is cut off fades out over this many frames (1.3 ms) instead of stopping dead,
    // which would click.
    static constexpr std::size_t fadeFrames = 64;

    explicit Mixer(std::size_t voiceCount);

    std::size_t voiceCount() const { return m_voices.size(); }

    // Plays buffer on voice from its first frame in place of whatever the voice is playing.
    // volume is linear; pan runs from -1 (left) to +1 (right). False when the command ring is
    // full, in which case the start is dropped rather than waited for.
    bool startVoice(std::size_t voice, const AudioBuffer &buffer, float volume, float pan,
                    std::uint64_t generation);

    // Whether the voice was sounding at the end of the last render.
    bool isPlaying(std::size_t voice) const;

    // The generation later starts will carry; never decreases.
    void setGeneration(std::uint64_t generation);
    // Every buffer render may still read belongs to this generation or a newer one.
    std::uint64_t oldestReachableGeneration() const;

    // Audio side: mixes frames stereo frames into out (interleaved left, right).
    void render(float *out, std::size_t frames) noexcept;

    // Audio side: whether the last render ended with every voice quiet, and whether starts wait
    // for the next render. An output may sleep only when both say there is nothing to play.
    bool isSilent() const noexcept { return !m_sounding; }
    bool hasPendingStarts() const noexcept { return !m_commands.empty(); }

    // Silences every voice and drops pending starts. Only while no render can run, e.g. after an
    // output has stopped its thread or lost its stream.
    void reset() noexcept;

    // Equal-power pan law (sine/cosine): left = cos θ, right = sin θ with θ = (pan + 1)·π/4, so
    // left² + right² = 1 and loudness stays even across the keyboard; centre is −3 dB per side.
    static std::pair<float, float> panGains(float pan);

private:
    struct Command {
        std::uint32_t voice = 0;
        const float *data = nullptr;
        std::size_t length = 0;
        float left = 0.0f;
        float right = 0.0f;
        std::uint64_t generation = 0;
    };
    struct Sound {
        const float *data = nullptr;
        std::size_t length = 0;
        std::size_t position = 0;
        float left = 0.0f;
        float right = 0.0f;
        std::uint64_t generation = 0;
    };
    struct Voice {
        Sound current;
        Sound fading;                   // the sound just cut off, while it fades out
        std::size_t fadeRemaining = 0;  // frames left of its fade
    };

    void apply(const Command &command) noexcept;

    std::vector<Voice> m_voices;                           // audio thread only
    bool m_sounding = false;                               // audio thread only
    std::unique_ptr<std::atomic<bool>[]> m_playing;       // written by the audio thread
    SpscRing<Command, 256> m_commands;
    std::atomic<std::uint64_t> m_generation{1};
    std::atomic<std::uint64_t> m_oldestReachable{1};
};

} // namespace plinkum
