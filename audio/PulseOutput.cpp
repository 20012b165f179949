#include "audio/PulseOutput.h"

#include "common/Log.h"
#include "audio/Mixer.h"
#include "audio/PulseSink.h"

#include <pulse/ext-stream-restore.h>
#include <pulse/pulseaudio.h>

#include <algorithm>

namespace plinkum {

namespace {

constexpr pa_usec_t retryInterval = 1000 * PA_USEC_PER_MSEC;
constexpr std::size_t frameBytes = sizeof(float) * Mixer::channelCount;
constexpr std::uint32_t requestBytes = Mixer::periodFrames * frameBytes;
// The stream's own stream-restore entry, so that the preferred sink kept there is ours alone.
constexpr const char *restoreId = "plinkum-key-sounds";

PulseOutput *self(void *userdata)
{
    return static_cast<PulseOutput *>(userdata);
}

class LoopLock {
public:
    explicit LoopLock(pa_threaded_mainloop *loop) : m_loop(loop) { pa_threaded_mainloop_lock(m_loop); }
    ~LoopLock() { pa_threaded_mainloop_unlock(m_loop); }
    LoopLock(const LoopLock &) = delete;
    LoopLock &operator=(const LoopLock &) = delete;

private:
    pa_threaded_mainloop *m_loop;
};

timeval after(pa_usec_t delay)
{
    timeval tv;
    pa_gettimeofday(&tv);
    pa_timeval_add(&tv, delay);
    return tv;
}

} // namespace

PulseOutput::PulseOutput() : m_loop(pa_threaded_mainloop_new())
{
    if (!m_loop)
        return;
    pa_threaded_mainloop_set_name(m_loop, "Plinkum.Audio");
    if (m_sleep.fd() >= 0) {
        pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
        m_sleepEvent = api->io_new(
            api, m_sleep.fd(), PA_IO_EVENT_INPUT,
            [](pa_mainloop_api *, pa_io_event *, int, pa_io_event_flags_t, void *userdata) { self(userdata)->sleepChanged(); },
            this);
    }
    if (!m_sleepEvent || pa_threaded_mainloop_start(m_loop) < 0) {
        if (m_sleepEvent)
            pa_threaded_mainloop_get_api(m_loop)->io_free(m_sleepEvent);
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
    }
}

PulseOutput::~PulseOutput()
{
    if (m_loop) {
        {
            LoopLock lock(m_loop);
            m_wanted = false;
            cancelRetry();
            dropConnection();
            pa_threaded_mainloop_get_api(m_loop)->io_free(m_sleepEvent);
        }
        pa_threaded_mainloop_stop(m_loop);
        pa_threaded_mainloop_free(m_loop);
    }
}

std::optional<std::string> PulseOutput::start(Mixer &mixer, bool preferBuiltIn)
{
    if (!m_loop)
        return "could not create the PulseAudio main loop";
    LoopLock lock(m_loop);
    m_mixer = &mixer;
    m_preferBuiltIn = preferBuiltIn;
    m_wanted = true;

    if (!m_context || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))) {
        cancelRetry();
        dropConnection();
        if (auto error = connectContext()) {
            m_failureLogged = true;
            scheduleRetry();
            return error;
        }
        // Routing starts when the context is ready.
        return std::nullopt;
    }
    requestRoute();
    return std::nullopt;
}

void PulseOutput::setDevicesChangedHandler(std::function<void()> handler)
{
    if (!m_loop)
        return;
    LoopLock lock(m_loop);
    m_devicesChanged = std::move(handler);
}

std::string PulseOutput::currentDevice() const
{
    if (!m_loop)
        return {};
    LoopLock lock(m_loop);
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return {};
    const char *name = pa_stream_get_device_name(m_stream);
    return name ? name : "";
}

std::optional<PulseOutput::Timing> PulseOutput::timing() const
{
    if (!m_loop)
        return std::nullopt;
    LoopLock lock(m_loop);
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY || m_timing.targetFrames == 0)
        return std::nullopt;
    return m_timing;
}

std::optional<AudioOutput::Latency> PulseOutput::latency() const
{
    const std::optional<Timing> granted = timing();
    // The server's latency answer follows the stream's opening; until then there is none to show.
    if (!granted || granted->latencyMs <= 0.0)
        return std::nullopt;
    return Latency{granted->latencyMs, "requests of " + std::to_string(granted->requestFrames) + " frames, target "
                                           + std::to_string(granted->targetFrames) + " frames"};
}

bool PulseOutput::contextReady() const
{
    return m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

std::optional<std::string> PulseOutput::connectContext()
{
    pa_proplist *properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Plinkum");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "plinkum");
    m_context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(m_loop), "Plinkum", properties);
    pa_proplist_free(properties);
    if (!m_context)
        return "could not create a PulseAudio context";

    pa_context_set_state_callback(
        m_context, [](pa_context *, void *userdata) { self(userdata)->contextStateChanged(); }, this);
    pa_context_set_subscribe_callback(
        m_context,
        [](pa_context *, pa_subscription_event_type_t type, std::uint32_t, void *userdata) {
            self(userdata)->subscriptionEvent(type);
        },
        this);
    // No autospawn: spawning a daemon waits for it on the calling thread.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        std::string reason = pa_strerror(pa_context_errno(m_context));
        dropConnection();
        return reason;
    }
    return std::nullopt;
}

void PulseOutput::dropStream()
{
    if (m_stream) {
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_set_write_callback(m_stream, nullptr, nullptr);
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }
    m_streamOpening = false;
    m_running = false;
    m_corked = false;
    m_timing = {};
}

void PulseOutput::dropConnection()
{
    dropStream();
    // Without a stream no render can run: silence what was playing, so that a new stream does
    // not resume stale sounds, and let the engine free the packs those sounds came from.
    if (m_mixer)
        m_mixer->reset();
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    m_routing = false;
    m_routeAgain = false;
}

void PulseOutput::scheduleRetry()
{
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
    const timeval when = after(retryInterval);
    if (m_retry) {
        api->time_restart(m_retry, &when);
        return;
    }
    m_retry = api->time_new(
        api, &when, [](pa_mainloop_api *, pa_time_event *, const timeval *, void *userdata) { self(userdata)->retry(); },
        this);
}

void PulseOutput::cancelRetry()
{
    if (!m_retry)
        return;
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
    api->time_free(m_retry);
    m_retry = nullptr;
}

void PulseOutput::retry()
{
    cancelRetry();
    if (!m_wanted)
        return;
    if (!m_context || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))) {
        dropConnection();
        if (connectContext())
            scheduleRetry();
        return;
    }
    if (!m_stream || !PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)))
        requestRoute();
}

void PulseOutput::contextStateChanged()
{
    switch (pa_context_get_state(m_context)) {
    case PA_CONTEXT_READY:
        m_failureLogged = false;
        if (pa_operation *op = pa_context_subscribe(
                m_context, static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
                nullptr, nullptr))
            pa_operation_unref(op);
        requestRoute();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        if (!m_failureLogged)
            log(std::string("sound server not reachable (") + pa_strerror(pa_context_errno(m_context))
                + "); trying again every second");
        m_failureLogged = true;
        m_running = false;
        m_routing = false;
        m_routeAgain = false;
        if (m_wanted)
            scheduleRetry();
        break;
    default:
        break;
    }
}

void PulseOutput::subscriptionEvent(unsigned type)
{
    const unsigned facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const unsigned kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    const bool defaultChanged = facility == PA_SUBSCRIPTION_EVENT_SERVER && kind == PA_SUBSCRIPTION_EVENT_CHANGE;
    const bool sinksChanged = facility == PA_SUBSCRIPTION_EVENT_SINK
        && (kind == PA_SUBSCRIPTION_EVENT_NEW || kind == PA_SUBSCRIPTION_EVENT_REMOVE);
    if ((defaultChanged || sinksChanged) && m_devicesChanged)
        m_devicesChanged();
}

void PulseOutput::requestRoute()
{
    if (m_routing) {
        m_routeAgain = true;
        return;
    }
    beginRoutePass();
}

void PulseOutput::beginRoutePass()
{
    if (!contextReady())
        return;
    m_routing = true;
    m_routeAgain = false;
    m_defaultSink.clear();
    m_sinks.clear();
    pa_operation *op = pa_context_get_server_info(
        m_context,
        [](pa_context *, const pa_server_info *info, void *userdata) { self(userdata)->serverInfoReceived(info); },
        this);
    if (!op) {
        finishRoutePass();
        return;
    }
    pa_operation_unref(op);
}

void PulseOutput::finishRoutePass()
{
    m_routing = false;
    if (m_routeAgain)
        beginRoutePass();
}

void PulseOutput::serverInfoReceived(const pa_server_info *info)
{
    if (info && info->default_sink_name)
        m_defaultSink = info->default_sink_name;
    pa_operation *op = pa_context_get_sink_info_list(
        m_context,
        [](pa_context *, const pa_sink_info *sink, int eol, void *userdata) { self(userdata)->sinkInfoReceived(sink, eol); },
        this);
    if (!op) {
        finishRoutePass();
        return;
    }
    pa_operation_unref(op);
}

void PulseOutput::sinkInfoReceived(const pa_sink_info *info, int eol)
{
    if (eol) {
        decideRoute();
        return;
    }
    if (!info)
        return;
    m_sinks.push_back(pulseSink(*info));
}

void PulseOutput::decideRoute()
{
    m_target = OutputRouting::target(m_sinks, m_defaultSink, m_preferBuiltIn);
    m_pinWanted = m_preferBuiltIn && OutputRouting::builtInSink(m_sinks).has_value();
    if (m_stream && !PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)))
        dropStream();
    if (!m_stream) {
        openStream();
        return;
    }
    const char *name = pa_stream_get_state(m_stream) == PA_STREAM_READY ? pa_stream_get_device_name(m_stream) : nullptr;
    if (!m_target || !name) {
        finishRoutePass();
        return;
    }
    const std::string current = name;
    const bool onTarget = current == *m_target;
    if (!m_canPin && onTarget) {
        // Without stream-restore a reopen cannot pin either: where the stream is, is all we get.
        finishRoutePass();
        return;
    }
    const bool pinnedHere = !m_pinnedTo.empty() && m_pinnedTo == current;
    const bool pinPresent = std::any_of(m_sinks.begin(), m_sinks.end(), [&](const auto &s) { return s.name == m_pinnedTo; });

    // A move pins the stream to its destination unless that is the default sink, where it
    // clears the pin instead; the other cases need a stream opened through stream-restore.
    const bool moveDoesIt = !onTarget && (!m_canPin || m_pinWanted == (*m_target != m_defaultSink));
    if (onTarget && (m_pinWanted ? pinnedHere : !pinPresent)) {
        finishRoutePass();
        return;
    }
    if (!moveDoesIt) {
        reopenStream();
        return;
    }
    pa_operation *op = pa_context_move_sink_input_by_name(
        m_context, pa_stream_get_index(m_stream), m_target->c_str(),
        [](pa_context *, int success, void *userdata) { self(userdata)->moveFinished(success != 0); }, this);
    if (!op) {
        moveFinished(false);
        return;
    }
    pa_operation_unref(op);
}

void PulseOutput::moveFinished(bool success)
{
    if (success)
        m_pinnedTo = m_pinWanted && m_target ? *m_target : std::string();
    else
        // Negated like libpulse's own return codes, so it reads as a failure status.
        log("could not switch output device: " + std::to_string(-pa_context_errno(m_context)));
    finishRoutePass();
}

void PulseOutput::reopenStream()
{
    // The mixer keeps its voices and queued starts: the new stream carries on with them.
    dropStream();
    openStream();
}

void PulseOutput::openStream()
{
    // Read our entry first so that writing it keeps the volume and mute the user gave it.
    m_restoreFound = false;
    pa_operation *op = pa_ext_stream_restore_read(
        m_context,
        [](pa_context *, const pa_ext_stream_restore_info *info, int eol, void *userdata) {
            self(userdata)->restoreEntryRead(info, eol);
        },
        this);
    if (!op) {
        connectStream(false);
        return;
    }
    pa_operation_unref(op);
}

void PulseOutput::restoreEntryRead(const pa_ext_stream_restore_info *info, int eol)
{
    if (eol == 0) {
        if (info && info->name && std::string_view(info->name) == restoreId) {
            m_restoreMap = info->channel_map;
            m_restoreVolume = info->volume;
            m_restoreMute = info->mute != 0;
            m_restoreFound = true;
        }
        return;
    }
    if (eol < 0) {
        connectStream(false);
        return;
    }
    pa_ext_stream_restore_info entry{};
    entry.name = restoreId;
    if (m_restoreFound) {
        entry.channel_map = m_restoreMap;
        entry.volume = m_restoreVolume;
        entry.mute = m_restoreMute;
    }
    entry.device = m_pinWanted && m_target ? m_target->c_str() : nullptr;
    pa_operation *op = pa_ext_stream_restore_write(
        m_context, PA_UPDATE_REPLACE, &entry, 1, 0,
        [](pa_context *, int success, void *userdata) { self(userdata)->connectStream(success != 0); }, this);
    if (!op) {
        connectStream(false);
        return;
    }
    pa_operation_unref(op);
}

void PulseOutput::connectStream(bool restored)
{
    if (!contextReady()) {
        finishRoutePass();
        return;
    }
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(Mixer::sampleRate),
                                static_cast<std::uint8_t>(Mixer::channelCount)};
    pa_proplist *properties = pa_proplist_new();
    pa_proplist_sets(properties, "module-stream-restore.id", restoreId);
    m_stream = pa_stream_new_with_proplist(m_context, "Key sounds", &format, nullptr, properties);
    pa_proplist_free(properties);
    if (!m_stream) {
        finishRoutePass();
        return;
    }
    pa_stream_set_state_callback(
        m_stream, [](pa_stream *, void *userdata) { self(userdata)->streamStateChanged(); }, this);
    pa_stream_set_write_callback(
        m_stream, [](pa_stream *, std::size_t bytes, void *userdata) { self(userdata)->writeRequested(bytes); }, this);

    // tlength of two requests is below what any sink grants; with ADJUST_LATENCY the server
    // raises it to the smallest overall latency it can run the sink at.
    pa_buffer_attr attr;
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = 2 * requestBytes;
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = requestBytes;
    attr.fragsize = static_cast<std::uint32_t>(-1);
    // Restored, the server places the stream from our entry and keeps it there; otherwise it is
    // named, which is all a server without stream-restore offers.
    const char *device = !restored && m_target ? m_target->c_str() : nullptr;
    m_canPin = restored;
    m_pinnedTo = restored && m_pinWanted && m_target ? *m_target : std::string();
    m_sleep.reset();
    m_streamOpening = true;
    if (pa_stream_connect_playback(m_stream, device, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0) {
        dropStream();
        finishRoutePass();
    }
}

void PulseOutput::streamStateChanged()
{
    const pa_stream_state_t state = pa_stream_get_state(m_stream);
    if (state == PA_STREAM_READY) {
        m_running = true;
        if (const pa_buffer_attr *attr = pa_stream_get_buffer_attr(m_stream))
            m_timing = Timing{0.0, static_cast<std::uint32_t>(attr->minreq / frameBytes),
                              static_cast<std::uint32_t>(attr->tlength / frameBytes)};
        // One timing query now rather than the periodic ones, which would wake us while asleep.
        if (pa_operation *op = pa_stream_update_timing_info(
                m_stream,
                [](pa_stream *stream, int success, void *userdata) {
                    pa_usec_t latency = 0;
                    int negative = 0;
                    if (success && pa_stream_get_latency(stream, &latency, &negative) == 0 && !negative)
                        self(userdata)->m_timing.latencyMs = static_cast<double>(latency) / 1000.0;
                },
                this))
            pa_operation_unref(op);
    }
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
        m_running = false;
        if (m_wanted)
            scheduleRetry();
    }
    if (m_streamOpening && state != PA_STREAM_CREATING && state != PA_STREAM_UNCONNECTED) {
        m_streamOpening = false;
        finishRoutePass();
    }
}

void PulseOutput::writeRequested(std::size_t bytes)
{
    std::size_t rendered = 0;
    while (bytes >= frameBytes) {
        void *data = nullptr;
        std::size_t size = bytes;
        if (pa_stream_begin_write(m_stream, &data, &size) < 0 || !data)
            break;
        const std::size_t frames = std::min(size, bytes) / frameBytes;
        if (frames == 0) {
            pa_stream_cancel_write(m_stream);
            break;
        }
        m_mixer->render(static_cast<float *>(data), frames);
        pa_stream_write(m_stream, data, frames * frameBytes, nullptr, 0, PA_SEEK_RELATIVE);
        bytes -= frames * frameBytes;
        rendered += frames;
    }
    m_sleep.rendered(*m_mixer, rendered);
}

void PulseOutput::sleepChanged()
{
    const bool asleep = m_sleep.settle();
    if (!m_stream || asleep == m_corked)
        return;
    m_corked = asleep;
    if (pa_operation *op = pa_stream_cork(m_stream, asleep ? 1 : 0, nullptr, nullptr))
        pa_operation_unref(op);
}

} // namespace plinkum
