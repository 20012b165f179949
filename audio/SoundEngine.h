#pragma once

#include "audio/AudioOutput.h"
#include "keys/InputEvent.h"
#include "packs/LoadedPack.h"
#include "audio/Mixer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <utility>
#include <vector>

namespace plinkum {

// Turns input events into sample playbacks on a fixed pool of mixer voices.
//
// play runs on the keyboard thread (and for previews on the main thread) under `lock`, which
// also guards the configuration, the pack and the voice rotation; it only queues a start for
// the audio thread and never waits for it or for the sound server. Everything else is main
// thread only.
class SoundEngine {
public:
    struct Config {
        bool enabled = true;
        float volume = 0.6f;
        bool playKeyUp = true;
        bool stereo = true;
        bool pitchVariation = true;
        // Pointer buttons: at their own volume, from the mouse pack, or from the keyboard's pack
        // (its mouse section; lendKeySound: else its standard key sound, when the user chose so).
        float mouseVolume = 0.8f;
        bool mouseFromKeyboardPack = false;
        bool lendKeySound = false;
    };

    static constexpr float keyUpGain = 0.7f;
    static constexpr float panWidth = 0.6f;

    // output may be null: the owner then pulls mixer() itself (offline rendering). Without a
    // seed the random source is seeded from the system's entropy.
    SoundEngine(std::size_t voiceCount, std::unique_ptr<AudioOutput> output,
                std::optional<std::uint64_t> seed = std::nullopt);
    ~SoundEngine();

    SoundEngine(const SoundEngine &) = delete;
    SoundEngine &operator=(const SoundEngine &) = delete;

    Config config() const;
    void setConfig(const Config &config);

    LoadedPackPtr pack() const;
    void setPack(LoadedPackPtr pack);
    // The pack pointer buttons play from unless config().mouseFromKeyboardPack; null: silent.
    LoadedPackPtr mousePack() const;
    void setMousePack(LoadedPackPtr pack);

    bool prefersBuiltInSpeakers() const { return m_prefersBuiltInSpeakers; }
    // Runs start when the value changes.
    void setPrefersBuiltInSpeakers(bool prefers);

    // Starts the output, or re-routes it when it runs; returns at once. Logs and returns false
    // when the output cannot start at all; a server that is missing or slow is the output's to
    // wait for and retry.
    bool start();

    // A key or button press (down) or release; releases play at keyUpGain.
    void play(InputEvent event);

    std::size_t nextVoice() const;
    Mixer &mixer() { return m_mixer; }
    AudioOutput *output() const { return m_output.get(); }

    // Called on the output's thread when output devices change; the owner should run start on
    // its main thread in response.
    void setDevicesChangedHandler(std::function<void()> handler);

    // Frees packs the audio thread can no longer reach; true when some are still reachable.
    // Runs by itself on pack changes and starts, never in play: freeing a pack takes long, and
    // play runs on the keyboard thread. The owner calls it again while packs wait.
    bool releaseRetiredPacks();

private:
    float drawJitter();
    void retire(LoadedPackPtr &slot, LoadedPackPtr replacement);
    const SampleList &buttonSamples(InputEvent event) const;

    Mixer m_mixer;
    std::unique_ptr<AudioOutput> m_output;

    mutable std::mutex m_lock;
    std::size_t m_nextVoice = 0;
    Config m_config;
    LoadedPackPtr m_pack;
    LoadedPackPtr m_mousePack;
    std::uint64_t m_generation = 1;
    std::vector<std::pair<std::uint64_t, LoadedPackPtr>> m_retired; // oldest first
    std::mt19937_64 m_random;

    bool m_prefersBuiltInSpeakers = true;
};

} // namespace plinkum
