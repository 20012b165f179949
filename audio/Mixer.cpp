#include "audio/Mixer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plinkum {

Mixer::Mixer(std::size_t voiceCount)
    : m_voices(voiceCount), m_playing(std::make_unique<std::atomic<bool>[]>(voiceCount))
{
}

bool Mixer::startVoice(std::size_t voice, const AudioBuffer &buffer, float volume, float pan,
                       std::uint64_t generation)
{
    if (voice >= m_voices.size())
        return false;
    const auto [left, right] = panGains(pan);
    return m_commands.push(Command{static_cast<std::uint32_t>(voice), buffer.data(), buffer.frameCount(),
                                   volume * left, volume * right, generation});
}

bool Mixer::isPlaying(std::size_t voice) const
{
    return voice < m_voices.size() && m_playing[voice].load(std::memory_order_relaxed);
}

void Mixer::setGeneration(std::uint64_t generation)
{
    m_generation.store(generation, std::memory_order_release);
}

std::uint64_t Mixer::oldestReachableGeneration() const
{
    return m_oldestReachable.load(std::memory_order_acquire);
}

std::pair<float, float> Mixer::panGains(float pan)
{
    const float theta = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * std::numbers::pi_v<float> / 4.0f;
    return {std::cos(theta), std::sin(theta)};
}

void Mixer::apply(const Command &command) noexcept
{
    Voice &voice = m_voices[command.voice];
    if (voice.current.data && voice.current.position < voice.current.length) {
        voice.fading = voice.current;
        voice.fadeRemaining = fadeFrames;
    }
    voice.current = Sound{command.data, command.length, 0, command.left, command.right, command.generation};
}

void Mixer::render(float *out, std::size_t frames) noexcept
{
    // Read before draining: every start queued before a newer generation was announced is
    // drained below, so nothing older than this stays reachable through the ring.
    std::uint64_t oldest = m_generation.load(std::memory_order_acquire);
    while (const auto command = m_commands.pop())
        apply(*command);

    std::fill(out, out + frames * channelCount, 0.0f);
    bool sounding = false;
    for (std::size_t v = 0; v < m_voices.size(); ++v) {
        Voice &voice = m_voices[v];

        if (Sound &s = voice.fading; s.data) {
            const std::size_t n = std::min({frames, s.length - s.position, voice.fadeRemaining});
            constexpr float step = 1.0f / static_cast<float>(fadeFrames);
            float ramp = static_cast<float>(voice.fadeRemaining) * step;
            const float *in = s.data + s.position;
            for (std::size_t i = 0; i < n; ++i) {
                ramp -= step;
                out[2 * i] += in[i] * s.left * ramp;
                out[2 * i + 1] += in[i] * s.right * ramp;
            }
            s.position += n;
            voice.fadeRemaining -= n;
            if (voice.fadeRemaining == 0 || s.position >= s.length)
                s = Sound{};
        }

        if (Sound &s = voice.current; s.data) {
            const std::size_t n = std::min(frames, s.length - s.position);
            const float *in = s.data + s.position;
            for (std::size_t i = 0; i < n; ++i) {
                out[2 * i] += in[i] * s.left;
                out[2 * i + 1] += in[i] * s.right;
            }
            s.position += n;
            if (s.position >= s.length)
                s = Sound{};
        }

        if (voice.current.data)
            oldest = std::min(oldest, voice.current.generation);
        if (voice.fading.data)
            oldest = std::min(oldest, voice.fading.generation);
        const bool playing = voice.current.data || voice.fading.data;
        sounding = sounding || playing;
        m_playing[v].store(playing, std::memory_order_relaxed);
    }
    m_sounding = sounding;
    m_oldestReachable.store(oldest, std::memory_order_release);
}

void Mixer::reset() noexcept
{
    // Read before draining, as render does: a start queued after the drain was made under this
    // generation or a newer one, so it stays covered by what is published below.
    const std::uint64_t oldest = m_generation.load(std::memory_order_acquire);
    while (m_commands.pop()) {
    }
    for (std::size_t v = 0; v < m_voices.size(); ++v) {
        m_voices[v] = Voice{};
        m_playing[v].store(false, std::memory_order_relaxed);
    }
    m_sounding = false;
    m_oldestReachable.store(oldest, std::memory_order_release);
}

} // namespace plinkum
