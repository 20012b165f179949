#include "audio/SoundEngine.h"

#include "keys/KeyTables.h"
#include "common/Log.h"

#include <algorithm>

namespace plinkum {

namespace {
std::uint64_t entropySeed()
{
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}
} // namespace

SoundEngine::SoundEngine(std::size_t voiceCount, std::unique_ptr<AudioOutput> output,
                         std::optional<std::uint64_t> seed)
    : m_mixer(voiceCount), m_output(std::move(output)), m_random(seed ? *seed : entropySeed())
{
    // Build the key table now so that the first key press does not pay for it.
    KeyTables::keyPositions();
    m_retired.reserve(4);
}

SoundEngine::~SoundEngine()
{
    // The output's thread reads the mixer and the packs' buffers: end it before they go.
    m_output.reset();
}

SoundEngine::Config SoundEngine::config() const
{
    std::lock_guard guard(m_lock);
    return m_config;
}

void SoundEngine::setConfig(const Config &config)
{
    std::lock_guard guard(m_lock);
    m_config = config;
}

LoadedPackPtr SoundEngine::pack() const
{
    std::lock_guard guard(m_lock);
    return m_pack;
}

void SoundEngine::setPack(LoadedPackPtr pack)
{
    retire(m_pack, std::move(pack));
}

LoadedPackPtr SoundEngine::mousePack() const
{
    std::lock_guard guard(m_lock);
    return m_mousePack;
}

void SoundEngine::setMousePack(LoadedPackPtr pack)
{
    retire(m_mousePack, std::move(pack));
}

// Both slots share one generation count: a voice started in generation g may play from either
// pack, and a pack retired in g is freed once no voice of g or older can play.
void SoundEngine::retire(LoadedPackPtr &slot, LoadedPackPtr replacement)
{
    {
        std::lock_guard guard(m_lock);
        if (slot)
            m_retired.emplace_back(m_generation, std::move(slot));
        slot = std::move(replacement);
        m_mixer.setGeneration(++m_generation);
    }
    releaseRetiredPacks();
}

void SoundEngine::setPrefersBuiltInSpeakers(bool prefers)
{
    if (prefers == m_prefersBuiltInSpeakers)
        return;
    m_prefersBuiltInSpeakers = prefers;
    start();
}

bool SoundEngine::start()
{
    const auto error = m_output ? m_output->start(m_mixer, m_prefersBuiltInSpeakers) : std::nullopt;
    releaseRetiredPacks();
    if (error) {
        log("audio engine failed to start: " + *error);
        return false;
    }
    return true;
}

void SoundEngine::setDevicesChangedHandler(std::function<void()> handler)
{
    if (m_output)
        m_output->setDevicesChangedHandler(std::move(handler));
}

std::size_t SoundEngine::nextVoice() const
{
    std::lock_guard guard(m_lock);
    return m_nextVoice;
}

bool SoundEngine::releaseRetiredPacks()
{
    std::vector<LoadedPackPtr> doomed;
    bool waiting = false;
    {
        std::lock_guard guard(m_lock);
        const std::uint64_t reachable = m_mixer.oldestReachableGeneration();
        auto it = m_retired.begin();
        for (; it != m_retired.end() && it->first < reachable; ++it)
            doomed.push_back(std::move(it->second));
        m_retired.erase(m_retired.begin(), it);
        waiting = !m_retired.empty();
    }
    // doomed frees the packs here, outside the lock.
    return waiting;
}

float SoundEngine::drawJitter()
{
    // 2^24 + 1 equally likely values spread evenly over [0.85, 1.0], both ends included.
    constexpr std::uint32_t steps = 1u << 24;
    const std::uint32_t r = std::uniform_int_distribution<std::uint32_t>(0, steps)(m_random);
    if (r == steps)
        return 1.0f;
    constexpr float low = 0.85f;
    constexpr float span = 1.0f - low;
    return low + static_cast<float>(r) * 0x1p-24f * span;
}

// A keyboard pack without any button sound lends its standard key sound only when the user
// chose that. Under the lock.
const SampleList &SoundEngine::buttonSamples(InputEvent event) const
{
    static const SampleList none;
    const LoadedPack *pack = m_config.mouseFromKeyboardPack ? m_pack.get() : m_mousePack.get();
    if (!pack)
        return none;
    const SampleList &click = pack->clickSamples(event);
    if (!click.empty() || pack->hasButtonSounds() || !m_config.mouseFromKeyboardPack || !m_config.lendKeySound)
        return click;
    const auto &byCategory = event.down ? pack->down() : pack->up();
    const auto standard = byCategory.find(KeyCategory::Standard);
    return standard == byCategory.end() ? none : standard->second;
}

void SoundEngine::play(InputEvent event)
{
    {
        std::lock_guard guard(m_lock);
        // A click has its release whatever the key-release setting says: the mouse pack decides.
        if (!m_config.enabled || (event.isKey() && (!event.down && !m_config.playKeyUp)) || m_mixer.voiceCount() == 0)
            return;
        if (event.isKey() && !m_pack)
            return;

        const SampleList &samples = event.isKey() ? m_pack->samples(event) : buttonSamples(event);
        if (samples.empty())
            return;

        const Sample &sample = *samples[std::uniform_int_distribution<std::size_t>(0, samples.size() - 1)(m_random)];
        const AudioBuffer &buffer = m_config.pitchVariation
            ? sample.variants[std::uniform_int_distribution<std::size_t>(0, sample.variants.size() - 1)(m_random)]
            : sample.unshifted();

        const std::size_t voice = m_nextVoice;
        m_nextVoice = (m_nextVoice + 1) % m_mixer.voiceCount();

        const float level = event.isKey() ? m_config.volume : m_config.mouseVolume;
        const float volume = level * drawJitter() * (event.down ? 1.0f : keyUpGain);
        float pan = 0.0f;
        // Only keys have a place on the keyboard; buttons sound centred.
        if (m_config.stereo && event.isKey())
            if (const auto position = KeyTables::keyPosition(event.code))
                pan = *position * panWidth;

        // A full ring means the audio thread has stalled; the sound is lost rather than waited for.
        if (m_mixer.startVoice(voice, buffer, volume, pan, m_generation) && m_output)
            m_output->wake();
    }
}

} // namespace plinkum
