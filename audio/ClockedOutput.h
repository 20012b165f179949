#pragma once

#include "audio/AudioOutput.h"
#include "audio/Mixer.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <thread>

namespace plinkum {

// An output without a sound server: its own thread renders one period of the mixer at a time,
// paced by the monotonic clock, and hands it to deliver(). Subclasses decide where blocks go.
class ClockedOutput : public AudioOutput {
public:
    ~ClockedOutput() override;

    std::optional<std::string> start(Mixer &mixer, bool preferBuiltIn) override;
    bool isRunning() const override { return m_running.load(); }
    void setDevicesChangedHandler(std::function<void()>) override {}
    std::string currentDevice() const override { return {}; }

    // Ends the thread and silences the mixer. Subclasses call it first in their destructor so
    // that deliver() never runs on a half-destroyed object.
    void stop();

protected:
    virtual std::optional<std::string> open() { return std::nullopt; }
    virtual void deliver(const float *interleaved, std::size_t frames) = 0;
    virtual void close() {}

private:
    void run();

    Mixer *m_mixer = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stopRequested{false};
    std::array<float, Mixer::periodFrames * Mixer::channelCount> m_block{};
};

} // namespace plinkum
