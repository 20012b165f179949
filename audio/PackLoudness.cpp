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

namespace {

// The phrase's loudness as the pack's sounds are recorded: no level of its own applied.
std::optional<double> asRecorded(PackInfo info, const std::atomic<bool> *cancelled)
{
    info.loudnessGainDb.reset();
    info.trimDb = 0.0;
    const PackLoader::LoadResult result = PackLoader::load(info, nullptr, cancelled);
    return result.ok() ? std::optional(PackLoudness::phraseLoudness(result.pack())) : std::nullopt;
}

} // namespace

std::optional<double> PackLoudness::phraseLoudness(const QString &folder, bool builtIn, const std::atomic<bool> *cancelled)
{
    const std::optional<PackInfo> info = PackLoader::readInfo(folder, builtIn);
    return info ? asRecorded(*info, cancelled) : std::nullopt;
}

std::optional<PackLevel> PackLoudness::measure(const QString &folder, const std::atomic<bool> *cancelled)
{
    const std::optional<PackInfo> info = PackLoader::readInfo(folder, false);
    const std::optional<double> played = info ? asRecorded(*info, cancelled) : std::nullopt;
    if (!played)
        return std::nullopt;
    // A pack silent on the phrase (sounds for other keys only) is left as it is; the trim read
    // with the descriptor (the stored one, else the starting one) is kept.
    PackLevel level;
    level.gainDb = std::isfinite(*played) ? std::clamp(target(*info) - *played, -PackLevel::maxGainDb, PackLevel::maxGainDb) : 0.0;
    level.trimDb = info->trimDb;
    if (!level.write(folder))
        log("could not store the level of a sound pack in " + folder.toStdString());
    return level;
}

} // namespace plinkum
