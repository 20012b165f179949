#include "audio/OfflineRenderer.h"

#include <sndfile.h>

namespace plinkum {

OfflineRenderer::OfflineRenderer(LoadedPackPtr pack, const Options &options)
    : m_engine(options.voiceCount, nullptr, options.seed)
{
    SoundEngine::Config config;
    config.volume = options.volume;
    config.playKeyUp = options.playKeyUp;
    config.stereo = options.stereo;
    config.pitchVariation = options.pitchVariation;
    config.mouseVolume = options.mouseVolume;
    config.mouseFromKeyboardPack = !options.mousePack;
    config.lendKeySound = true;
    m_engine.setConfig(config);
    m_engine.setPack(std::move(pack));
    m_engine.setMousePack(options.mousePack);
}

void OfflineRenderer::renderUntil(std::size_t target)
{
    const std::size_t from = frame();
    if (target <= from)
        return;
    m_samples.resize(target * Mixer::channelCount);
    m_engine.mixer().render(m_samples.data() + from * Mixer::channelCount, target - from);
}

std::vector<float> OfflineRenderer::render(LoadedPackPtr pack, const KeySequence &sequence, const Options &options)
{
    OfflineRenderer renderer(std::move(pack), options);
    const auto &events = sequence.events();
    const std::uint64_t last = events.empty() ? 0 : events.back().milliseconds;
    renderer.m_samples.reserve((frameAt(last) + Mixer::sampleRate) * Mixer::channelCount);
    for (const auto &event : events) {
        renderer.renderUntil(frameAt(event.milliseconds));
        renderer.play(event.input);
    }
    renderer.renderUntil(frameAt(last) + Mixer::sampleRate);
    return std::move(renderer.m_samples);
}

std::optional<std::string> OfflineRenderer::writeWav(const std::string &path, const std::vector<float> &samples)
{
    SF_INFO info{};
    info.samplerate = Mixer::sampleRate;
    info.channels = Mixer::channelCount;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE *file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return std::string(sf_strerror(nullptr));
    const auto frames = static_cast<sf_count_t>(samples.size() / Mixer::channelCount);
    const sf_count_t written = sf_writef_float(file, samples.data(), frames);
    std::string error = written == frames ? std::string() : sf_strerror(file);
    if (sf_close(file) != 0 && error.empty())
        error = "could not finish writing the file";
    if (!error.empty())
        return error;
    return std::nullopt;
}

} // namespace plinkum
