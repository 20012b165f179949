#include "PulseOutput.h"

#include "Log.h"
#include "Mixer.h"
#include "PulseSink.h"

#include <pulse/pulseaudio.h>

#include <cstring>

namespace plinkum {

namespace {

constexpr int serverTimeoutMs = 3000;
constexpr pa_usec_t retryInterval = 1000 * PA_USEC_PER_MSEC;
constexpr std::size_t frameBytes = sizeof(float) * Mixer::channelCount;
constexpr std::uint32_t requestBytes = 256 * frameBytes;

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
    if (pa_threaded_mainloop_start(m_loop) < 0) {
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
    }
}

PulseOutput::~PulseOutput()
{
    if (!m_loop)
        return;
    {
        LoopLock lock(m_loop);
        m_wanted = false;
        cancelRetry();
        dropConnection();
    }
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

template <typename Done>
bool PulseOutput::waitFor(Done done, int milliseconds)
{
    if (done())
        return true;
    struct Deadline {
        pa_threaded_mainloop *loop;
        bool passed = false;
    } deadline{m_loop};
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
    const timeval when = after(static_cast<pa_usec_t>(milliseconds) * PA_USEC_PER_MSEC);
    pa_time_event *timer = api->time_new(
        api, &when,
        [](pa_mainloop_api *, pa_time_event *, const timeval *, void *userdata) {
            auto *d = static_cast<Deadline *>(userdata);
            d->passed = true;
            pa_threaded_mainloop_signal(d->loop, 0);
        },
        &deadline);
    while (!done() && !deadline.passed)
        pa_threaded_mainloop_wait(m_loop);
    api->time_free(timer);
    return done();
}

std::optional<std::string> PulseOutput::start(Mixer &mixer, bool preferBuiltIn)
{
    if (!m_loop)
        return "could not create the PulseAudio main loop";
    LoopLock lock(m_loop);
    m_mixer = &mixer;
    m_preferBuiltIn = preferBuiltIn;
    m_wanted = true;
    cancelRetry();

    if (!m_context || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))) {
        dropConnection();
        if (auto error = connectContext(PA_CONTEXT_NOFLAGS)) {
            scheduleRetry();
            return error;
        }
    }
    const bool settled = waitFor([this] { return !m_context || contextReady() || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)); },
                                 serverTimeoutMs);
    if (!contextReady()) {
        std::string reason = !settled || !m_context ? "the sound server did not answer"
                                                    : pa_strerror(pa_context_errno(m_context));
        dropConnection();
        scheduleRetry();
        return reason;
    }

    const std::uint64_t ticket = requestRoute();
    waitFor([&] { return m_routesDone >= ticket || !contextReady(); }, serverTimeoutMs);
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY) {
        const int error = m_context ? pa_context_errno(m_context) : PA_ERR_CONNECTIONTERMINATED;
        scheduleRetry();
        return std::string("the playback stream did not open: ") + pa_strerror(error);
    }
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
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return std::nullopt;
    pa_usec_t latency = 0;
    int negative = 0;
    const pa_buffer_attr *attr = pa_stream_get_buffer_attr(m_stream);
    if (pa_stream_get_latency(m_stream, &latency, &negative) < 0 || !attr)
        return std::nullopt;
    return Timing{negative ? 0.0 : static_cast<double>(latency) / 1000.0,
                  static_cast<std::uint32_t>(attr->minreq / frameBytes),
                  static_cast<std::uint32_t>(attr->tlength / frameBytes)};
}

bool PulseOutput::contextReady() const
{
    return m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

std::optional<std::string> PulseOutput::connectContext(int flags)
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
    if (pa_context_connect(m_context, nullptr, static_cast<pa_context_flags_t>(flags), nullptr) < 0) {
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
    // Without a stream no render can run: silence what was playing, so that a new stream does
    // not resume stale sounds, and let the engine free the packs those sounds came from.
    if (m_mixer)
        m_mixer->reset();
}

void PulseOutput::dropConnection()
{
    dropStream();
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    m_routing = false;
    m_routesDone = m_routeRequests;
    pa_threaded_mainloop_signal(m_loop, 0);
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
        // Quietly, and without spawning a server of our own: the start that failed has logged.
        if (connectContext(PA_CONTEXT_NOAUTOSPAWN))
            scheduleRetry();
        return;
    }
    if (!m_stream || !PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream))) {
        dropStream();
        requestRoute();
    }
}

void PulseOutput::contextStateChanged()
{
    switch (pa_context_get_state(m_context)) {
    case PA_CONTEXT_READY:
        if (pa_operation *op = pa_context_subscribe(
                m_context, static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
                nullptr, nullptr))
            pa_operation_unref(op);
        requestRoute();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        m_running = false;
        m_routing = false;
        m_routesDone = m_routeRequests;
        if (m_wanted)
            scheduleRetry();
        break;
    default:
        break;
    }
    pa_threaded_mainloop_signal(m_loop, 0);
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

std::uint64_t PulseOutput::requestRoute()
{
    const std::uint64_t ticket = ++m_routeRequests;
    if (!m_routing)
        beginRoutePass();
    return ticket;
}

void PulseOutput::beginRoutePass()
{
    if (!contextReady()) {
        m_routesDone = m_routeRequests;
        pa_threaded_mainloop_signal(m_loop, 0);
        return;
    }
    m_routing = true;
    m_passTicket = m_routeRequests;
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
    m_routesDone = m_passTicket;
    pa_threaded_mainloop_signal(m_loop, 0);
    if (m_routeRequests > m_routesDone)
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
    const std::optional<std::string> target = OutputRouting::target(m_sinks, m_defaultSink, m_preferBuiltIn);
    if (m_stream && !PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)))
        dropStream();
    if (!m_stream) {
        openStream(target);
        return;
    }
    const char *current = pa_stream_get_state(m_stream) == PA_STREAM_READY ? pa_stream_get_device_name(m_stream) : nullptr;
    if (!target || !current || *target == current) {
        finishRoutePass();
        return;
    }
    pa_operation *op = pa_context_move_sink_input_by_name(
        m_context, pa_stream_get_index(m_stream), target->c_str(),
        [](pa_context *, int success, void *userdata) { self(userdata)->moveFinished(success != 0); }, this);
    if (!op) {
        moveFinished(false);
        return;
    }
    pa_operation_unref(op);
}

void PulseOutput::moveFinished(bool success)
{
    // Negated like libpulse's own return codes, so it reads as a failure status.
    if (!success)
        log("could not switch output device: " + std::to_string(-pa_context_errno(m_context)));
    finishRoutePass();
}

void PulseOutput::openStream(const std::optional<std::string> &sink)
{
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(Mixer::sampleRate),
                                static_cast<std::uint8_t>(Mixer::channelCount)};
    m_stream = pa_stream_new(m_context, "Key sounds", &format, nullptr);
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
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE);
    m_streamOpening = true;
    if (pa_stream_connect_playback(m_stream, sink ? sink->c_str() : nullptr, &attr, flags, nullptr, nullptr) < 0) {
        dropStream();
        finishRoutePass();
    }
}

void PulseOutput::streamStateChanged()
{
    const pa_stream_state_t state = pa_stream_get_state(m_stream);
    if (state == PA_STREAM_READY)
        m_running = true;
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
        m_running = false;
        if (m_wanted)
            scheduleRetry();
    }
    if (m_streamOpening && state != PA_STREAM_CREATING && state != PA_STREAM_UNCONNECTED) {
        m_streamOpening = false;
        finishRoutePass();
    }
    pa_threaded_mainloop_signal(m_loop, 0);
}

void PulseOutput::writeRequested(std::size_t bytes)
{
    while (bytes >= frameBytes) {
        void *data = nullptr;
        std::size_t size = bytes;
        if (pa_stream_begin_write(m_stream, &data, &size) < 0 || !data)
            return;
        const std::size_t frames = std::min(size, bytes) / frameBytes;
        if (frames == 0) {
            pa_stream_cancel_write(m_stream);
            return;
        }
        m_mixer->render(static_cast<float *>(data), frames);
        pa_stream_write(m_stream, data, frames * frameBytes, nullptr, 0, PA_SEEK_RELATIVE);
        bytes -= frames * frameBytes;
    }
}

} // namespace plinkum
