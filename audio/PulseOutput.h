#pragma once

#include "AudioOutput.h"
#include "OutputRouting.h"

#include <atomic>
#include <cstdint>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_time_event;
struct pa_server_info;
struct pa_sink_info;

namespace plinkum {

// One PulseAudio playback stream (48 kHz float stereo) fed by the mixer from libpulse's
// threaded main loop. The stream stays open and plays silence between sounds, because a stream
// that has to be opened, or a sink that has drifted back to its long idle latency, delays the
// first sound by a quarter of a second or more.
//
// Buffer attributes ask for 256-frame requests and the smallest target the server grants
// (PA_STREAM_ADJUST_LATENCY sets the sink's latency from it). Routing moves the open stream
// between sinks. When the server goes away the output reconnects by itself every second and
// routes again, so a restarted or crashed server is survived.
//
// Only the main thread calls in; it takes the main-loop lock and waits at most a few seconds for
// the server. The keyboard thread never comes here.
class PulseOutput : public AudioOutput {
public:
    struct Timing {
        double latencyMs = 0.0;        // what the server reports for the stream now
        std::uint32_t requestFrames = 0; // granted minreq
        std::uint32_t targetFrames = 0;  // granted tlength
    };

    PulseOutput();
    ~PulseOutput() override;

    PulseOutput(const PulseOutput &) = delete;
    PulseOutput &operator=(const PulseOutput &) = delete;

    std::optional<std::string> start(Mixer &mixer, bool preferBuiltIn) override;
    bool isRunning() const override { return m_running.load(); }
    void setDevicesChangedHandler(std::function<void()> handler) override;
    std::string currentDevice() const override;

    std::optional<Timing> timing() const;

private:
    template <typename Done>
    bool waitFor(Done done, int milliseconds);

    std::optional<std::string> connectContext(int flags);
    void dropStream();
    void dropConnection();
    bool contextReady() const;
    void scheduleRetry();
    void cancelRetry();
    void retry();

    std::uint64_t requestRoute();
    void beginRoutePass();
    void finishRoutePass();
    void decideRoute();
    void openStream(const std::optional<std::string> &sink);

    // Main-loop callbacks, lock held.
    void contextStateChanged();
    void subscriptionEvent(unsigned type);
    void serverInfoReceived(const pa_server_info *info);
    void sinkInfoReceived(const pa_sink_info *info, int eol);
    void moveFinished(bool success);
    void streamStateChanged();
    void writeRequested(std::size_t bytes);

    // Everything below is guarded by the main-loop lock.
    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    pa_time_event *m_retry = nullptr;
    Mixer *m_mixer = nullptr;
    bool m_preferBuiltIn = true;
    bool m_wanted = false; // started once: keep reconnecting when the server goes away
    std::function<void()> m_devicesChanged;

    bool m_routing = false;
    bool m_streamOpening = false;
    std::uint64_t m_routeRequests = 0;
    std::uint64_t m_passTicket = 0;
    std::uint64_t m_routesDone = 0;
    std::string m_defaultSink;
    std::vector<OutputRouting::Sink> m_sinks;

    std::atomic<bool> m_running{false};
};

} // namespace plinkum
