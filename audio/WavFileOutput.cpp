#include "audio/WavFileOutput.h"

#include "audio/Mixer.h"

#include <sndfile.h>

namespace plinkum {

WavFileOutput::WavFileOutput(std::string path) : m_path(std::move(path)) {}

WavFileOutput::~WavFileOutput()
{
    stop();
}

std::optional<std::string> WavFileOutput::open()
{
    SF_INFO info{};
    info.samplerate = Mixer::sampleRate;
    info.channels = Mixer::channelCount;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    m_file = sf_open(m_path.c_str(), SFM_WRITE, &info);
    if (!m_file)
        return std::string(sf_strerror(nullptr));
    return std::nullopt;
}

void WavFileOutput::deliver(const float *interleaved, std::size_t frames)
{
    sf_writef_float(m_file, interleaved, static_cast<sf_count_t>(frames));
}

void WavFileOutput::close()
{
    sf_close(m_file);
    m_file = nullptr;
}

} // namespace plinkum
