#include "audio/ClockedOutput.h"

#include "audio/Mixer.h"

#include <chrono>

namespace plinkum {

ClockedOutput::~ClockedOutput()
{
    stop();
}

std::optional<std::string> ClockedOutput::start(Mixer &mixer, bool)
{
    if (m_running)
        return std::nullopt;
    if (auto error = open())
        return error;
    m_mixer = &mixer;
    m_stopRequested = false;
    m_running = true;
    m_thread = std::thread([this] { run(); });
    return std::nullopt;
}

void ClockedOutput::stop()
{
    if (!m_running)
        return;
    m_stopRequested = true;
    m_thread.join();
    m_running = false;
    m_mixer->reset();
    close();
}

void ClockedOutput::run()
{
    using namespace std::chrono;
    constexpr auto period = duration_cast<steady_clock::duration>(
        duration<double>(static_cast<double>(Mixer::periodFrames) / Mixer::sampleRate));
    auto next = steady_clock::now();
    while (!m_stopRequested.load(std::memory_order_relaxed)) {
        m_mixer->render(m_block.data(), Mixer::periodFrames);
        deliver(m_block.data(), Mixer::periodFrames);
        next += period;
        std::this_thread::sleep_until(next);
    }
}

} // namespace plinkum
