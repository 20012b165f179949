// The least a key-sound player can do, as a latency reference beside plinkum in the same run: it
// listens to raw key presses (XInput2) and plays a short click on a PulseAudio stream that is kept
// running on a small buffer, so a press waits only for what is already queued.
// Usage: reference_player DISPLAY [BUFFER_FRAMES] [PERIOD_FRAMES]
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <pulse/error.h>
#include <pulse/simple.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <thread>
#include <vector>

namespace {

constexpr int sampleRate = 48000;

// A 2 kHz tone starting at its peak and dying away within 50 ms: the onset is its first sample.
std::vector<float> makeClick()
{
    std::vector<float> click(sampleRate / 20);
    for (std::size_t i = 0; i < click.size(); ++i) {
        const double n = static_cast<double>(i);
        click[i] = static_cast<float>(0.5 * std::exp(-n / 300) *
                                      std::cos(2 * std::numbers::pi * 2000 * n / sampleRate));
    }
    return click;
}

// Writes period after period, silence or click, so the stream never stops and a press starts at
// the next period boundary. The blocking write paces the loop at the buffer's length.
void play(pa_simple *stream, std::size_t periodFrames, std::atomic<bool> *pressed)
{
    const std::vector<float> click = makeClick();
    std::vector<float> period(periodFrames * 2);
    std::size_t position = click.size();
    int error = 0;
    for (;;) {
        if (pressed->exchange(false))
            position = 0;
        for (std::size_t i = 0; i < periodFrames; ++i) {
            const float v = position < click.size() ? click[position++] : 0.0f;
            period[2 * i] = period[2 * i + 1] = v;
        }
        if (pa_simple_write(stream, period.data(), period.size() * sizeof(float), &error) < 0) {
            std::fprintf(stderr, "reference_player: playback failed: %s\n", pa_strerror(error));
            std::exit(1);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    const char *displayName = argc > 1 ? argv[1] : nullptr;
    const auto bufferFrames = static_cast<uint32_t>(argc > 2 ? std::atoi(argv[2]) : 512);
    const auto periodFrames = static_cast<uint32_t>(argc > 3 ? std::atoi(argv[3]) : 128);
    if (bufferFrames == 0 || periodFrames == 0 || periodFrames > bufferFrames) {
        std::fputs("usage: reference_player DISPLAY [BUFFER_FRAMES] [PERIOD_FRAMES <= BUFFER_FRAMES]\n",
                   stderr);
        return 2;
    }

    Display *display = XOpenDisplay(displayName);
    int xiOpcode = 0, xiEvent = 0, xiError = 0;
    int xiMajor = 2, xiMinor = 2;
    if (!display || !XQueryExtension(display, "XInputExtension", &xiOpcode, &xiEvent, &xiError) ||
        XIQueryVersion(display, &xiMajor, &xiMinor) != Success) {
        std::fputs("reference_player: no X display with XInput 2\n", stderr);
        return 1;
    }

    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, sampleRate, 2};
    const uint32_t frameBytes = 2 * sizeof(float);
    const auto unset = static_cast<uint32_t>(-1);
    const pa_buffer_attr buffer{unset, bufferFrames * frameBytes, unset, periodFrames * frameBytes, unset};
    int error = 0;
    pa_simple *stream = pa_simple_new(nullptr, "reference_player", PA_STREAM_PLAYBACK, nullptr, "clicks",
                                      &format, nullptr, &buffer, &error);
    if (!stream) {
        std::fprintf(stderr, "reference_player: cannot play: %s\n", pa_strerror(error));
        return 1;
    }

    std::atomic<bool> pressed = false;
    std::thread(play, stream, std::size_t{periodFrames}, &pressed).detach();

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
            pressed = true;
        XFreeEventData(display, &cookie);
    }
}
