#pragma once

#include "audio/AudioOutput.h"
#include "audio/OutputRouting.h"
#include "audio/StreamSleep.h"

#include <pulse/channelmap.h>
#include <pulse/volume.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_time_event;
struct pa_io_event;
struct pa_server_info;
struct pa_sink_info;
struct pa_ext_stream_restore_info;

namespace plinkum {

// One PulseAudio playback stream (the mixer's rate, float stereo) fed by the mixer from libpulse's
// threaded main loop. While keys are typed the stream stays open and plays silence between
// sounds, because a stream that has to be opened delays the first sound. After a few seconds
// of silence it is corked (see StreamSleep): no write requests, no timers, and the sink may
// suspend.
//
// Buffer attributes ask for requests of one mixer period and the smallest target the server
// grants (PA_STREAM_ADJUST_LATENCY sets the sink's latency from it). A stream meant for the built-in
// speakers is pinned there through the server's stream-restore entry (a preferred sink, which a
// default change does not override, unlike a sink named at connect); a stream following the
// default is left to the server, which carries it along. Routing moves the open stream when it
// can and reopens it when only a new stream can carry the pin. When the server goes away the
// output reconnects by itself every second and routes again.
//
// Only the main thread calls in, and only to take the loop's lock briefly: nothing here waits
// for the server.
class PulseOutput : public AudioOutput {
public:
    struct Timing {
        double latencyMs = 0.0;        // what the server reported for the stream when it opened
        std::uint32_t requestFrames = 0; // granted minreq
        std::uint32_t targetFrames = 0;  // granted tlength
    };

    PulseOutput();
    ~PulseOutput() override;

    PulseOutput(const PulseOutput &) = delete;
    PulseOutput &operator=(const PulseOutput &) = delete;

    std::optional<std::string> start(Mixer &mixer, bool preferBuiltIn) override;
    bool isRunning() const override { return m_running.load(); }
    bool isAsleep() const override { return m_sleep.isAsleep(); }
    void wake() noexcept override { m_sleep.wake(); }
    void setDevicesChangedHandler(std::function<void()> handler) override;
    std::string currentDevice() const override;
    std::optional<Latency> latency() const override;

    std::optional<Timing> timing() const;

private:
    std::optional<std::string> connectContext();
    void dropStream();
    void dropConnection();
    bool contextReady() const;
    void scheduleRetry();
    void cancelRetry();
    void retry();

    void requestRoute();
    void beginRoutePass();
    void finishRoutePass();
    void decideRoute();
    void reopenStream();
    void openStream();
    void restoreEntryRead(const pa_ext_stream_restore_info *info, int eol);
    void connectStream(bool restored);

    void sleepChanged();

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
    pa_io_event *m_sleepEvent = nullptr;
    Mixer *m_mixer = nullptr;
    bool m_preferBuiltIn = true;
    bool m_wanted = false;        // started once: keep reconnecting when the server goes away
    bool m_failureLogged = false; // one line per outage, not one per retry
    std::function<void()> m_devicesChanged;

    bool m_routing = false;
    bool m_routeAgain = false;
    bool m_streamOpening = false; // the route pass ends when the stream leaves CREATING
    std::string m_defaultSink;
    std::vector<OutputRouting::Sink> m_sinks;

    // What the stream is being opened for, and what the server keeps it on.
    std::optional<std::string> m_target;
    bool m_pinWanted = false;
    std::string m_pinnedTo;
    bool m_canPin = true; // the server took our stream-restore entry
    Timing m_timing;
    // Our stream-restore entry as read before it is rewritten.
    bool m_restoreFound = false;
    pa_channel_map m_restoreMap{};
    pa_cvolume m_restoreVolume{};
    bool m_restoreMute = false;

    bool m_corked = false;

    StreamSleep m_sleep;
    std::atomic<bool> m_running{false};
};

} // namespace plinkum
