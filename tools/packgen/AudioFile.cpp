#include "tools/packgen/AudioFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace plinkum {

std::optional<AudioFile::Audio> AudioFile::read(const QString &path)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    if (!file)
        return std::nullopt;
    std::vector<float> interleaved(static_cast<std::size_t>(info.frames) * info.channels);
    const sf_count_t got = sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    if (got <= 0 || info.channels <= 0)
        return std::nullopt;
    Audio audio;
    audio.sampleRate = info.samplerate;
    audio.frames.resize(static_cast<std::size_t>(got));
    for (std::size_t i = 0; i < audio.frames.size(); ++i) {
        float sum = 0;
        for (int c = 0; c < info.channels; ++c)
            sum += interleaved[i * info.channels + c];
        audio.frames[i] = sum / info.channels;
    }
    return audio;
}

bool AudioFile::writeFlac(const QString &path, const std::vector<float> &frames, int sampleRate)
{
    std::mt19937 engine(static_cast<std::uint32_t>(frames.size()) * 2654435761u);
    const auto lsb = [&] { return (engine() >> 8) * (1.0 / 16777216.0); };
    std::vector<short> pcm(frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const double dithered = frames[i] * 32767.0 + lsb() - lsb();
        pcm[i] = static_cast<short>(std::clamp(std::lround(dithered), -32768L, 32767L));
    }
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const sf_count_t written = sf_writef_short(file, pcm.data(), static_cast<sf_count_t>(pcm.size()));
    return sf_close(file) == 0 && written == static_cast<sf_count_t>(pcm.size());
}

} // namespace plinkum
