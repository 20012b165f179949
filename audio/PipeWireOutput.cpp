#include "audio/PipeWireOutput.h"

#include "common/Log.h"
#include "audio/Mixer.h"
#include "audio/PipeWireSink.h"

#include <pipewire/extensions/metadata.h>
#include <pipewire/pipewire.h>
#include <spa/param/audio/format-utils.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

namespace plinkum {

namespace {

constexpr std::size_t frameBytes = sizeof(float) * Mixer::channelCount;
constexpr std::uint64_t retryMs = 1000;

PipeWireOutput *self(void *data)
{
    return static_cast<PipeWireOutput *>(data);
}

class LoopLock {
public:
    explicit LoopLock(pw_thread_loop *loop) : m_loop(loop) { pw_thread_loop_lock(m_loop); }
    ~LoopLock() { pw_thread_loop_unlock(m_loop); }
    LoopLock(const LoopLock &) = delete;
    LoopLock &operator=(const LoopLock &) = delete;

private:
    pw_thread_loop *m_loop;
};

// The node name inside the default metadata's JSON value, {"name":"<node.name>"}.
std::string defaultNodeName(const char *json)
{
    if (!json)
        return {};
    const std::string_view text(json);
    const auto key = text.find("\"name\"");
    if (key == std::string_view::npos)
        return {};
    const auto open = text.find('"', text.find(':', key));
    const auto close = open == std::string_view::npos ? open : text.find('"', open + 1);
    if (close == std::string_view::npos)
        return {};
    return std::string(text.substr(open + 1, close - open - 1));
}

std::uint32_t numberProperty(const spa_dict *props, const char *key)
{
    const char *value = props ? spa_dict_lookup(props, key) : nullptr;
    return value ? static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10)) : SPA_ID_INVALID;
}

} // namespace

// One registry object we follow: a sink node, an audio device, a link, or the default metadata.
struct PipeWireOutput::Object {
    enum class Kind { Sink, Device, Link, Metadata };

    PipeWireOutput *output = nullptr;
    std::uint32_t id = 0;
    Kind kind = Kind::Sink;
    pw_proxy *proxy = nullptr;
    spa_hook listener{};
    pw_properties *props = nullptr; // node or device details, once they arrived
    std::uint32_t device = SPA_ID_INVALID;
    std::uint32_t linkFrom = SPA_ID_INVALID;
    std::uint32_t linkTo = SPA_ID_INVALID;

    ~Object()
    {
        if (proxy) {
            spa_hook_remove(&listener);
            pw_proxy_destroy(proxy);
        }
        if (props)
            pw_properties_free(props);
    }
};

struct PipeWireOutput::Listeners {
    spa_hook core{};
    spa_hook registry{};
    spa_hook stream{};
    pw_core_events coreEvents{};
    pw_registry_events registryEvents{};
    pw_stream_events streamEvents{};
    pw_node_events nodeEvents{};
    pw_device_events deviceEvents{};
    pw_metadata_events metadataEvents{};
};

PipeWireOutput::PipeWireOutput() : m_listeners(std::make_unique<Listeners>())
{
    pw_init(nullptr, nullptr);

    Listeners &l = *m_listeners;
    l.coreEvents.version = PW_VERSION_CORE_EVENTS;
    l.coreEvents.done = [](void *data, std::uint32_t id, int seq) { self(data)->coreDone(id, seq); };
    l.coreEvents.error = [](void *data, std::uint32_t id, int, int result, const char *message) {
        self(data)->coreError(id, result, message);
    };
    l.registryEvents.version = PW_VERSION_REGISTRY_EVENTS;
    l.registryEvents.global = [](void *data, std::uint32_t id, std::uint32_t, const char *type, std::uint32_t,
                                 const spa_dict *props) { self(data)->globalAdded(id, type, props); };
    l.registryEvents.global_remove = [](void *data, std::uint32_t id) { self(data)->globalRemoved(id); };
    l.streamEvents.version = PW_VERSION_STREAM_EVENTS;
    l.streamEvents.state_changed = [](void *data, pw_stream_state, pw_stream_state state, const char *) {
        self(data)->streamStateChanged(state);
    };
    l.streamEvents.process = [](void *data) { self(data)->process(); };
    l.nodeEvents.version = PW_VERSION_NODE_EVENTS;
    l.nodeEvents.info = [](void *data, const pw_node_info *info) {
        auto *object = static_cast<Object *>(data);
        object->output->nodeInfo(object->id, info->props);
    };
    l.deviceEvents.version = PW_VERSION_DEVICE_EVENTS;
    l.deviceEvents.info = [](void *data, const pw_device_info *info) {
        auto *object = static_cast<Object *>(data);
        object->output->deviceInfo(object->id, info->props);
    };
    l.metadataEvents.version = PW_VERSION_METADATA_EVENTS;
    l.metadataEvents.property = [](void *data, std::uint32_t subject, const char *key, const char *, const char *value) {
        if (subject == PW_ID_CORE && key && std::string_view(key) == "default.audio.sink")
            static_cast<Object *>(data)->output->defaultChanged(value);
        return 0;
    };

    m_loop = pw_thread_loop_new("Plinkum.Audio", nullptr);
    if (!m_loop)
        return;
    m_mainLoop = pw_thread_loop_get_loop(m_loop);
    // client-rt.conf gives the data thread real-time priority where the system allows it.
    m_context = pw_context_new(m_mainLoop, pw_properties_new(PW_KEY_CONFIG_NAME, "client-rt.conf", nullptr), 0);
    m_retryTimer = pw_loop_add_timer(m_mainLoop, [](void *data, std::uint64_t) { self(data)->retry(); }, this);
    if (m_sleep.fd() >= 0)
        m_sleepSource = pw_loop_add_io(
            m_mainLoop, m_sleep.fd(), SPA_IO_IN, false, [](void *data, int, std::uint32_t) { self(data)->sleepChanged(); },
            this);
    if (!m_context || !m_retryTimer || !m_sleepSource || pw_thread_loop_start(m_loop) < 0) {
        if (m_context)
            pw_context_destroy(m_context);
        m_context = nullptr;
        pw_thread_loop_destroy(m_loop);
        m_loop = nullptr;
    }
}

PipeWireOutput::~PipeWireOutput()
{
    if (!m_loop)
        return;
    {
        LoopLock lock(m_loop);
        m_wanted = false;
        disconnect();
        pw_loop_destroy_source(m_mainLoop, m_retryTimer);
        pw_loop_destroy_source(m_mainLoop, m_sleepSource);
    }
    pw_thread_loop_stop(m_loop);
    pw_context_destroy(m_context);
    pw_thread_loop_destroy(m_loop);
}

std::optional<std::string> PipeWireOutput::start(Mixer &mixer, bool preferBuiltIn)
{
    if (!m_loop)
        return "could not create the PipeWire loop";
    LoopLock lock(m_loop);
    m_mixer = &mixer;
    m_preferBuiltIn = preferBuiltIn;
    m_wanted = true;
    if (!m_core) {
        if (!connect()) {
            const std::string reason = std::string("could not connect to PipeWire: ") + std::strerror(errno);
            m_failureLogged = true;
            scheduleRetry(retryMs);
            return reason;
        }
        // Routing runs once the registry has been read.
        return std::nullopt;
    }
    route();
    return std::nullopt;
}

void PipeWireOutput::setDevicesChangedHandler(std::function<void()> handler)
{
    if (!m_loop)
        return;
    LoopLock lock(m_loop);
    m_devicesChanged = std::move(handler);
}

std::string PipeWireOutput::currentDevice() const
{
    if (!m_loop)
        return {};
    LoopLock lock(m_loop);
    return m_running ? linkedSink() : std::string();
}

std::optional<AudioOutput::Latency> PipeWireOutput::latency() const
{
    const std::uint32_t quantum = grantedQuantum();
    if (quantum == 0)
        return std::nullopt;
    return Latency{quantum * 1000.0 / Mixer::sampleRate, "quantum of " + std::to_string(quantum) + " frames"};
}

std::string PipeWireOutput::linkedSink() const
{
    if (!m_stream)
        return {};
    const std::uint32_t node = pw_stream_get_node_id(m_stream);
    for (const auto &[id, object] : m_objects) {
        if (object->kind != Object::Kind::Link || object->linkFrom != node)
            continue;
        const auto sink = m_objects.find(object->linkTo);
        if (sink != m_objects.end() && sink->second->props)
            if (const char *name = pw_properties_get(sink->second->props, PW_KEY_NODE_NAME))
                return name;
    }
    return {};
}

bool PipeWireOutput::connect()
{
    m_core = pw_context_connect(m_context, nullptr, 0);
    if (!m_core)
        return false;
    Listeners &l = *m_listeners;
    pw_core_add_listener(m_core, &l.core, &l.coreEvents, this);
    m_registry = pw_core_get_registry(m_core, PW_VERSION_REGISTRY, 0);
    pw_registry_add_listener(m_registry, &l.registry, &l.registryEvents, this);
    m_syncPhase = 0;
    m_syncSeq = pw_core_sync(m_core, PW_ID_CORE, 0);
    return true;
}

void PipeWireOutput::disconnect()
{
    closeStream();
    // Without a stream no render can run: silence what was playing, so that a new stream does
    // not resume stale sounds, and let the engine free the packs those sounds came from.
    if (m_mixer)
        m_mixer->reset();
    m_objects.clear();
    if (m_registry) {
        spa_hook_remove(&m_listeners->registry);
        pw_proxy_destroy(reinterpret_cast<pw_proxy *>(m_registry));
        m_registry = nullptr;
    }
    if (m_core) {
        spa_hook_remove(&m_listeners->core);
        pw_core_disconnect(m_core);
        m_core = nullptr;
    }
    m_defaultSink.clear();
    m_syncPhase = 0;
    m_running = false;
}

void PipeWireOutput::scheduleRetry(std::uint64_t delayMs)
{
    timespec when{static_cast<time_t>(delayMs / 1000), static_cast<long>(delayMs % 1000) * 1000000};
    pw_loop_update_timer(m_mainLoop, m_retryTimer, &when, nullptr, false);
}

void PipeWireOutput::retry()
{
    if (!m_wanted)
        return;
    disconnect();
    if (!connect())
        scheduleRetry(retryMs);
}

void PipeWireOutput::coreError(std::uint32_t id, int result, const char *message)
{
    if (id != PW_ID_CORE || result != -EPIPE)
        return;
    if (!m_failureLogged)
        log(std::string("PipeWire went away (") + (message ? message : "") + "); trying again every second");
    m_failureLogged = true;
    m_running = false;
    scheduleRetry(retryMs);
}

void PipeWireOutput::coreDone(std::uint32_t id, int seq)
{
    if (id != PW_ID_CORE || seq != m_syncSeq || m_syncPhase >= 2)
        return;
    // The first answer means every global has been announced and bound; the second, that the
    // details asked for while binding have arrived.
    if (++m_syncPhase == 1) {
        m_syncSeq = pw_core_sync(m_core, PW_ID_CORE, m_syncSeq);
        return;
    }
    m_failureLogged = false;
    if (m_wanted)
        route();
}

void PipeWireOutput::globalAdded(std::uint32_t id, const char *type, const spa_dict *props)
{
    auto object = std::make_unique<Object>();
    object->output = this;
    object->id = id;
    const std::string_view kind(type ? type : "");
    const char *mediaClass = props ? spa_dict_lookup(props, PW_KEY_MEDIA_CLASS) : nullptr;
    Listeners &l = *m_listeners;
    if (kind == PW_TYPE_INTERFACE_Node && mediaClass && std::string_view(mediaClass) == "Audio/Sink") {
        object->kind = Object::Kind::Sink;
        object->device = numberProperty(props, PW_KEY_DEVICE_ID);
        object->proxy = static_cast<pw_proxy *>(pw_registry_bind(m_registry, id, type, PW_VERSION_NODE, 0));
        if (object->proxy)
            pw_node_add_listener(reinterpret_cast<pw_node *>(object->proxy), &object->listener, &l.nodeEvents, object.get());
    } else if (kind == PW_TYPE_INTERFACE_Device && mediaClass && std::string_view(mediaClass) == "Audio/Device") {
        object->kind = Object::Kind::Device;
        object->proxy = static_cast<pw_proxy *>(pw_registry_bind(m_registry, id, type, PW_VERSION_DEVICE, 0));
        if (object->proxy)
            pw_device_add_listener(reinterpret_cast<pw_device *>(object->proxy), &object->listener, &l.deviceEvents,
                                   object.get());
    } else if (kind == PW_TYPE_INTERFACE_Link) {
        object->kind = Object::Kind::Link;
        object->linkFrom = numberProperty(props, PW_KEY_LINK_OUTPUT_NODE);
        object->linkTo = numberProperty(props, PW_KEY_LINK_INPUT_NODE);
    } else if (kind == PW_TYPE_INTERFACE_Metadata && props && spa_dict_lookup(props, PW_KEY_METADATA_NAME)
               && std::string_view(spa_dict_lookup(props, PW_KEY_METADATA_NAME)) == "default") {
        object->kind = Object::Kind::Metadata;
        object->proxy = static_cast<pw_proxy *>(pw_registry_bind(m_registry, id, type, PW_VERSION_METADATA, 0));
        if (object->proxy)
            pw_metadata_add_listener(reinterpret_cast<pw_metadata *>(object->proxy), &object->listener,
                                     &l.metadataEvents, object.get());
    } else {
        return;
    }
    const bool ourLink = object->kind == Object::Kind::Link && m_stream && m_streamTarget
        && object->linkFrom == pw_stream_get_node_id(m_stream);
    const std::uint32_t linkTo = object->linkTo;
    m_objects[id] = std::move(object);
    // When the default changes, the session manager may carry a stream pinned to the default's
    // old sink along with it; its new link is the only sign, and routing moves it back.
    if (ourLink) {
        const auto sink = m_objects.find(linkTo);
        const char *name = sink != m_objects.end() && sink->second->props
            ? pw_properties_get(sink->second->props, PW_KEY_NODE_NAME)
            : nullptr;
        if (name && *m_streamTarget != name)
            devicesChanged();
    }
}

void PipeWireOutput::globalRemoved(std::uint32_t id)
{
    const auto it = m_objects.find(id);
    if (it == m_objects.end())
        return;
    const bool sink = it->second->kind == Object::Kind::Sink;
    m_objects.erase(it);
    if (sink)
        devicesChanged();
}

void PipeWireOutput::nodeInfo(std::uint32_t id, const spa_dict *props)
{
    const auto it = m_objects.find(id);
    if (it == m_objects.end() || !props)
        return;
    const bool first = !it->second->props;
    if (first)
        it->second->props = pw_properties_new_dict(props);
    else
        pw_properties_update(it->second->props, props);
    if (it->second->device == SPA_ID_INVALID)
        it->second->device = numberProperty(props, PW_KEY_DEVICE_ID);
    if (first)
        devicesChanged();
}

void PipeWireOutput::deviceInfo(std::uint32_t id, const spa_dict *props)
{
    const auto it = m_objects.find(id);
    if (it == m_objects.end() || !props)
        return;
    if (it->second->props)
        pw_properties_update(it->second->props, props);
    else
        it->second->props = pw_properties_new_dict(props);
}

void PipeWireOutput::defaultChanged(const char *value)
{
    const std::string name = defaultNodeName(value);
    if (name == m_defaultSink)
        return;
    m_defaultSink = name;
    devicesChanged();
}

void PipeWireOutput::devicesChanged()
{
    // Before the registry has been read, the first routing pass is still to come.
    if (m_syncPhase >= 2 && m_devicesChanged)
        m_devicesChanged();
}

void PipeWireOutput::route()
{
    if (!m_core || m_syncPhase < 2)
        return;
    std::vector<OutputRouting::Sink> sinks;
    for (const auto &[id, object] : m_objects) {
        if (object->kind != Object::Kind::Sink || !object->props)
            continue;
        const auto device = m_objects.find(object->device);
        const bool hasDevice = device != m_objects.end() && device->second->props;
        sinks.push_back(pipeWireSink(object->props->dict, hasDevice ? &device->second->props->dict : nullptr));
    }
    // Pinned to the built-in speakers, or no target: the session manager follows the default.
    const std::optional<std::string> target = m_preferBuiltIn ? OutputRouting::builtInSink(sinks) : std::nullopt;
    if (!m_stream) {
        openStream(target);
        return;
    }
    if (target == m_streamTarget) {
        // Where a stream's target came and went, the session manager may have left it elsewhere.
        if (!target)
            return;
        const std::string current = linkedSink();
        if (current.empty() || current == *target)
            return;
    }
    // The mixer keeps its voices and queued starts: the new stream carries on with them.
    closeStream();
    openStream(target);
}

void PipeWireOutput::openStream(const std::optional<std::string> &target)
{
    char latency[32];
    std::snprintf(latency, sizeof latency, "%u/%d", quantumFrames, Mixer::sampleRate);
    pw_properties *props = pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback",
                                             PW_KEY_APP_NAME, "Plinkum", PW_KEY_NODE_NAME, "plinkum",
                                             PW_KEY_NODE_DESCRIPTION, "Key sounds", PW_KEY_NODE_LATENCY, latency,
                                             nullptr);
    if (target)
        pw_properties_set(props, PW_KEY_TARGET_OBJECT, target->c_str());
    m_stream = pw_stream_new(m_core, "Key sounds", props);
    if (!m_stream)
        return;
    m_streamTarget = target;
    pw_stream_add_listener(m_stream, &m_listeners->stream, &m_listeners->streamEvents, this);

    spa_audio_info_raw format{};
    format.format = SPA_AUDIO_FORMAT_F32;
    format.rate = Mixer::sampleRate;
    format.channels = Mixer::channelCount;
    format.position[0] = SPA_AUDIO_CHANNEL_FL;
    format.position[1] = SPA_AUDIO_CHANNEL_FR;
    std::uint8_t buffer[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
    const spa_pod *params[1] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &format)};
    m_sleep.reset();
    const auto flags = static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS
                                                    | PW_STREAM_FLAG_RT_PROCESS);
    if (pw_stream_connect(m_stream, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params, 1) < 0)
        closeStream();
}

void PipeWireOutput::closeStream()
{
    if (!m_stream)
        return;
    spa_hook_remove(&m_listeners->stream);
    pw_stream_destroy(m_stream);
    m_stream = nullptr;
    m_streamTarget.reset();
    m_running = false;
}

void PipeWireOutput::streamStateChanged(int state)
{
    m_running = state == PW_STREAM_STATE_PAUSED || state == PW_STREAM_STATE_STREAMING;
    if (state == PW_STREAM_STATE_ERROR && m_wanted)
        scheduleRetry(retryMs);
}

void PipeWireOutput::sleepChanged()
{
    const bool asleep = m_sleep.settle();
    if (m_stream)
        pw_stream_set_active(m_stream, !asleep);
}

void PipeWireOutput::process() noexcept
{
    pw_buffer *b = pw_stream_dequeue_buffer(m_stream);
    if (!b)
        return;
    spa_data &data = b->buffer->datas[0];
    if (!data.data) {
        pw_stream_queue_buffer(m_stream, b);
        return;
    }
    std::uint32_t frames = data.maxsize / frameBytes;
    if (b->requested && b->requested < frames)
        frames = static_cast<std::uint32_t>(b->requested);
    m_mixer->render(static_cast<float *>(data.data), frames);
    data.chunk->offset = 0;
    data.chunk->stride = frameBytes;
    data.chunk->size = frames * frameBytes;
    pw_stream_queue_buffer(m_stream, b);
    m_quantum.store(frames, std::memory_order_relaxed);
    m_sleep.rendered(*m_mixer, frames);
}

} // namespace plinkum
