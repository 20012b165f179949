#pragma once

#include "audio/AudioOutput.h"
#include "audio/OutputRouting.h"
#include "audio/StreamSleep.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

struct pw_thread_loop;
struct pw_context;
struct pw_core;
struct pw_registry;
struct pw_stream;
struct pw_proxy;
struct spa_source;
struct spa_dict;
struct pw_loop;

namespace plinkum {

// A native PipeWire playback stream (the mixer's rate, float stereo) whose process callback
// renders the mixer on PipeWire's real-time data thread. It asks for a 128-frame quantum (2.7 ms): smaller
// quanta measured no faster key-to-sound, and each halving doubles the wake-ups of the whole
// graph while we play.
//
// Routing follows the same rule as on PulseAudio, on the nodes' device properties: a stream
// meant for the built-in speakers names them as its target, which the session manager keeps
// across default changes; otherwise it names none and the session manager carries it with the
// default. The registry (sinks, their devices, links, the default metadata) is watched to
// report device changes and the sink the stream plays on.
//
// After a few seconds of silence the stream is made inactive (see StreamSleep): no process
// callbacks, and the sink may suspend. When the server goes away the output reconnects every
// second.
//
// Only the main thread calls in, and only to take the loop's lock briefly.
class PipeWireOutput : public AudioOutput {
public:
    static constexpr std::uint32_t quantumFrames = 128;

    PipeWireOutput();
    ~PipeWireOutput() override;

    PipeWireOutput(const PipeWireOutput &) = delete;
    PipeWireOutput &operator=(const PipeWireOutput &) = delete;

    std::optional<std::string> start(Mixer &mixer, bool preferBuiltIn) override;
    bool isRunning() const override { return m_running.load(); }
    bool isAsleep() const override { return m_sleep.isAsleep(); }
    void wake() noexcept override { m_sleep.wake(); }
    void setDevicesChangedHandler(std::function<void()> handler) override;
    std::string currentDevice() const override;
    std::optional<Latency> latency() const override;

    // Frames of the last process cycle; 0 before the first.
    std::uint32_t grantedQuantum() const { return m_quantum.load(std::memory_order_relaxed); }

    struct Listeners;
    struct Object;

private:
    bool connect();
    void disconnect();
    void scheduleRetry(std::uint64_t delayMs);
    void retry();
    void route();
    void openStream(const std::optional<std::string> &target);
    void closeStream();
    void devicesChanged();
    std::string linkedSink() const;

    // Loop thread, lock held.
    void coreError(std::uint32_t id, int result, const char *message);
    void coreDone(std::uint32_t id, int seq);
    void globalAdded(std::uint32_t id, const char *type, const spa_dict *props);
    void globalRemoved(std::uint32_t id);
    void nodeInfo(std::uint32_t id, const spa_dict *props);
    void deviceInfo(std::uint32_t id, const spa_dict *props);
    void defaultChanged(const char *value);
    void streamStateChanged(int state);
    void sleepChanged();

    // Data thread.
    void process() noexcept;

    pw_thread_loop *m_loop = nullptr;
    pw_loop *m_mainLoop = nullptr;
    pw_context *m_context = nullptr;
    pw_core *m_core = nullptr;
    pw_registry *m_registry = nullptr;
    pw_stream *m_stream = nullptr;
    spa_source *m_retryTimer = nullptr;
    spa_source *m_sleepSource = nullptr;
    std::unique_ptr<Listeners> m_listeners;

    Mixer *m_mixer = nullptr;
    bool m_preferBuiltIn = true;
    bool m_wanted = false;
    bool m_failureLogged = false;
    std::function<void()> m_devicesChanged;

    // Registry view, loop thread.
    std::map<std::uint32_t, std::unique_ptr<Object>> m_objects;
    std::string m_defaultSink;
    std::optional<std::string> m_streamTarget;
    int m_syncSeq = -1;
    int m_syncPhase = 0; // 2: the registry's objects and their details have arrived

    StreamSleep m_sleep;
    std::atomic<std::uint32_t> m_quantum{0};
    std::atomic<bool> m_running{false};
};

} // namespace plinkum
