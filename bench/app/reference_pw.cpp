// The least a key-sound player can do on PipeWire's own protocol, as a latency reference beside
// plinkum in the same run: it listens to raw key presses (XInput2) and starts a short click in a
// pw_stream rendered on PipeWire's real-time thread with a small quantum.
// Usage: reference_pw DISPLAY [QUANTUM_FRAMES]
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <pipewire/pipewire.h>
#include <spa/param/audio/format-utils.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>

namespace {

constexpr int sampleRate = 48000;
constexpr std::size_t clickFrames = sampleRate / 20;

struct Player {
    pw_stream *stream = nullptr;
    std::atomic<bool> pressed = false;
    std::size_t position = clickFrames;
};

// A 2 kHz tone starting at its peak and dying away within 50 ms, as reference_player plays it.
float clickSample(std::size_t i)
{
    const double n = static_cast<double>(i);
    return static_cast<float>(0.5 * std::exp(-n / 300) * std::cos(2 * std::numbers::pi * 2000 * n / sampleRate));
}

void process(void *data)
{
    auto *player = static_cast<Player *>(data);
    pw_buffer *b = pw_stream_dequeue_buffer(player->stream);
    if (!b)
        return;
    spa_data &d = b->buffer->datas[0];
    if (auto *out = static_cast<float *>(d.data)) {
        std::uint32_t frames = d.maxsize / (2 * sizeof(float));
        if (b->requested && b->requested < frames)
            frames = static_cast<std::uint32_t>(b->requested);
        if (player->pressed.exchange(false))
            player->position = 0;
        for (std::uint32_t i = 0; i < frames; ++i) {
            const float v = player->position < clickFrames ? clickSample(player->position++) : 0.0f;
            out[2 * i] = out[2 * i + 1] = v;
        }
        d.chunk->offset = 0;
        d.chunk->stride = 2 * sizeof(float);
        d.chunk->size = frames * 2 * sizeof(float);
    }
    pw_stream_queue_buffer(player->stream, b);
}

} // namespace

int main(int argc, char **argv)
{
    const char *displayName = argc > 1 ? argv[1] : nullptr;
    const int quantum = argc > 2 ? std::atoi(argv[2]) : 128;
    Display *display = XOpenDisplay(displayName);
    int xiOpcode = 0, xiEvent = 0, xiError = 0;
    int xiMajor = 2, xiMinor = 2;
    if (quantum <= 0 || !display || !XQueryExtension(display, "XInputExtension", &xiOpcode, &xiEvent, &xiError) ||
        XIQueryVersion(display, &xiMajor, &xiMinor) != Success) {
        std::fputs("usage: reference_pw DISPLAY [QUANTUM_FRAMES] (an X display with XInput 2)\n", stderr);
        return 1;
    }

    pw_init(&argc, &argv);
    Player player;
    pw_thread_loop *loop = pw_thread_loop_new("reference", nullptr);
    const std::string latency = std::to_string(quantum) + "/" + std::to_string(sampleRate);
    static pw_stream_events events{};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.process = process;
    player.stream = pw_stream_new_simple(
        pw_thread_loop_get_loop(loop), "reference_pw",
        pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback", PW_KEY_NODE_LATENCY,
                          latency.c_str(), nullptr),
        &events, &player);
    spa_audio_info_raw format{};
    format.format = SPA_AUDIO_FORMAT_F32;
    format.rate = sampleRate;
    format.channels = 2;
    std::uint8_t buffer[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
    const spa_pod *params[1] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &format)};
    const auto flags = static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                                    PW_STREAM_FLAG_RT_PROCESS);
    if (!player.stream || pw_stream_connect(player.stream, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params, 1) < 0 ||
        pw_thread_loop_start(loop) < 0) {
        std::fputs("reference_pw: cannot play on PipeWire\n", stderr);
        return 1;
    }

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XFlush(display);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        XGenericEventCookie &cookie = event.xcookie;
        if (cookie.type != GenericEvent || cookie.extension != xiOpcode || !XGetEventData(display, &cookie))
            continue;
        if (cookie.evtype == XI_RawKeyPress)
            player.pressed = true;
        XFreeEventData(display, &cookie);
    }
}
