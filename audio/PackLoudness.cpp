#include "audio/PackLoudness.h"

#include "audio/Mixer.h"
#include "audio/TypingPhrase.h"
#include "common/Log.h"
#include "packs/PackLoader.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>

namespace plinkum {

double PackLoudness::loudness(const std::vector<float> &frames, int channels, int sampleRate)
{
    if (frames.empty() || channels <= 0 || sampleRate <= 0)
        return -HUGE_VAL;
    ebur128_state *state = ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(sampleRate), EBUR128_MODE_I);
    if (!state)
        return -HUGE_VAL;
    double loudness = -HUGE_VAL;
    if (ebur128_add_frames_float(state, frames.data(), frames.size() / channels) == EBUR128_SUCCESS)
        ebur128_loudness_global(state, &loudness);
    ebur128_destroy(&state);
    return loudness;
}

double PackLoudness::target(const PackInfo &info)
{
    return info.keyboard ? targetLufs : mouseTargetLufs;
}

double PackLoudness::phraseLoudness(const LoadedPackPtr &pack)
{
    return loudness(TypingPhrase::render(pack), Mixer::channelCount, Mixer::sampleRate);
}

std::optional<double> PackLoudness::phraseLoudness(const QString &folder, bool builtIn, const std::atomic<bool> *cancelled)
{
    std::optional<PackInfo> info = PackLoader::readInfo(folder, builtIn);
    if (!info)
        return std::nullopt;
    info->loudnessGainDb.reset();
    info->trimDb = 0.0;
    const PackLoader::LoadResult result = PackLoader::load(*info, nullptr, cancelled);
    if (!result.ok())
        return std::nullopt;
    return phraseLoudness(result.pack());
}

std::optional<PackLevel> PackLoudness::measure(const QString &folder, const std::atomic<bool> *cancelled)
{
    const std::optional<PackInfo> info = PackLoader::readInfo(folder, false);
    const std::optional<double> played = info ? phraseLoudness(folder, false, cancelled) : std::nullopt;
    if (!played)
        return std::nullopt;
    PackLevel level = PackLevel::read(folder);
    // A pack silent on the phrase (sounds for other keys only) is left as it is.
    level.gainDb = std::isfinite(*played) ? std::clamp(target(*info) - *played, -PackLevel::maxGainDb, PackLevel::maxGainDb) : 0.0;
    level.trimDb = level.trimDb.value_or(info->trimDb);
    if (!level.write(folder))
        log("could not store the level of a sound pack in " + folder.toStdString());
    return level;
}

} // namespace plinkum
