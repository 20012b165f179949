// Key-to-sound latency of whatever plays on a PulseAudio sink: presses keys (or a pointer button:
// button1, button3, ...) on an X server through XTEST while recording the sink's monitor source,
// then reports, per press, the time from the injection to the first recorded sample above a
// threshold.
// Usage: latency_probe DISPLAY MONITOR_SOURCE PRESSES INTERVAL_MS [KEY|alphabet|buttonN] [THRESHOLD]
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <pulse/error.h>
#include <pulse/simple.h>

#include <time.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int sampleRate = 48000;
// Small reads keep the timestamp of each block close to the samples it carries.
constexpr int blockFrames = 64;

double monotonicSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void sleepUntil(double seconds)
{
    timespec t{};
    t.tv_sec = static_cast<time_t>(seconds);
    t.tv_nsec = static_cast<long>((seconds - static_cast<double>(t.tv_sec)) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) != 0) {
    }
}

// Mono samples of the monitor source, each block stamped with the monotonic time its last sample
// went through the sink: the read time less what is still queued between the sink and us.
struct Recording {
    std::vector<float> samples;
    std::vector<double> blockEnds;

    double timeOf(std::size_t sample) const
    {
        const std::size_t block = sample / blockFrames;
        const std::size_t fromEnd = blockFrames - 1 - sample % blockFrames;
        return blockEnds[block] - static_cast<double>(fromEnd) / sampleRate;
    }

    // A block's read time carries the recorder's scheduling jitter, the sink's sample clock does
    // not: each stamp becomes the median of what its neighbours say sample zero's time was, which
    // still follows slow drift and the odd skip of the sink.
    void smoothStamps()
    {
        constexpr std::size_t reach = 32;
        std::vector<double> origins(blockEnds.size());
        for (std::size_t b = 0; b < blockEnds.size(); ++b)
            origins[b] = blockEnds[b] - static_cast<double>((b + 1) * blockFrames) / sampleRate;
        std::vector<double> window;
        for (std::size_t b = 0; b < blockEnds.size(); ++b) {
            const std::size_t first = b - std::min(b, reach);
            const std::size_t last = std::min(b + reach + 1, origins.size());
            window.assign(origins.begin() + static_cast<std::ptrdiff_t>(first),
                          origins.begin() + static_cast<std::ptrdiff_t>(last));
            const auto middle = window.begin() + static_cast<std::ptrdiff_t>(window.size() / 2);
            std::nth_element(window.begin(), middle, window.end());
            blockEnds[b] = *middle + static_cast<double>((b + 1) * blockFrames) / sampleRate;
        }
    }

    // The first sample at or after `from` and before `until` whose magnitude exceeds `threshold`.
    bool findOnset(double from, double until, float threshold, double *onset) const
    {
        const auto firstBlock = std::lower_bound(blockEnds.begin(), blockEnds.end(), from);
        for (std::size_t i = static_cast<std::size_t>(firstBlock - blockEnds.begin()) * blockFrames;
             i < samples.size(); ++i) {
            const double t = timeOf(i);
            if (t >= until)
                return false;
            if (t >= from && std::fabs(samples[i]) > threshold) {
                *onset = t;
                return true;
            }
        }
        return false;
    }
};

void record(pa_simple *stream, const std::atomic<bool> &stop, Recording *out, bool *failed)
{
    std::array<float, blockFrames> block{};
    int error = 0;
    while (!stop.load(std::memory_order_relaxed)) {
        if (pa_simple_read(stream, block.data(), sizeof block, &error) < 0) {
            std::fprintf(stderr, "latency_probe: recording failed: %s\n", pa_strerror(error));
            *failed = true;
            return;
        }
        const double readAt = monotonicSeconds();
        const pa_usec_t queued = pa_simple_get_latency(stream, &error);
        out->samples.insert(out->samples.end(), block.begin(), block.end());
        out->blockEnds.push_back(readAt - static_cast<double>(queued) / 1e6);
    }
}

double percentile(const std::vector<double> &sorted, double p)
{
    const auto rank = static_cast<std::size_t>(std::ceil(p * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fputs("usage: latency_probe DISPLAY MONITOR_SOURCE PRESSES INTERVAL_MS [KEY|alphabet|buttonN] "
                   "[THRESHOLD]\n",
                   stderr);
        return 2;
    }
    const int presses = std::atoi(argv[3]);
    const double interval = std::atof(argv[4]) / 1000;
    const std::string key = argc > 5 ? argv[5] : "a";
    const float threshold = argc > 6 ? std::strtof(argv[6], nullptr) : 0.02f;
    if (presses <= 0 || interval <= 0) {
        std::fputs("latency_probe: PRESSES and INTERVAL_MS must be positive\n", stderr);
        return 2;
    }

    Display *display = XOpenDisplay(argv[1]);
    int xtestEvent = 0, xtestError = 0, major = 0, minor = 0;
    if (!display || !XTestQueryExtension(display, &xtestEvent, &xtestError, &major, &minor)) {
        std::fprintf(stderr, "latency_probe: no X display with XTEST at %s\n", argv[1]);
        return 1;
    }
    std::vector<KeyCode> keys;
    const unsigned button = key.starts_with("button") ? static_cast<unsigned>(std::atoi(key.c_str() + 6)) : 0;
    if (button > 0) {
        keys.push_back(1); // a stand-in: the button is pressed instead
    } else if (key == "alphabet") {
        for (char letter = 'a'; letter <= 'z'; ++letter)
            keys.push_back(XKeysymToKeycode(display, XStringToKeysym(std::string(1, letter).c_str())));
    } else {
        keys.push_back(XKeysymToKeycode(display, XStringToKeysym(key.c_str())));
    }
    if (std::count(keys.begin(), keys.end(), 0) > 0) {
        std::fprintf(stderr, "latency_probe: the X server has no key for %s\n", key.c_str());
        return 2;
    }

    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, sampleRate, 1};
    const auto unset = static_cast<uint32_t>(-1);
    const pa_buffer_attr buffer{unset, unset, unset, unset, blockFrames * sizeof(float)};
    int error = 0;
    pa_simple *stream = pa_simple_new(nullptr, "latency_probe", PA_STREAM_RECORD, argv[2], "probe",
                                      &format, nullptr, &buffer, &error);
    if (!stream) {
        std::fprintf(stderr, "latency_probe: cannot record %s: %s\n", argv[2], pa_strerror(error));
        return 1;
    }

    const double hold = std::min(0.04, interval / 3);
    const double tail = std::max(0.5, interval);
    const double lead = 1.5;
    Recording recording;
    const double expected = (lead + presses * interval + tail + 2) * sampleRate;
    recording.samples.reserve(static_cast<std::size_t>(expected));
    recording.blockEnds.reserve(static_cast<std::size_t>(expected) / blockFrames);
    std::atomic<bool> stop = false;
    bool failed = false;
    std::thread recorder(record, stream, std::cref(stop), &recording, &failed);

    // Let the stream settle before the first press: the sink adjusts to the new recorder first.
    double next = monotonicSeconds() + lead;
    std::vector<double> injected(static_cast<std::size_t>(presses));
    for (int i = 0; i < presses; ++i) {
        sleepUntil(next);
        const KeyCode code = keys[static_cast<std::size_t>(i) % keys.size()];
        injected[static_cast<std::size_t>(i)] = monotonicSeconds();
        if (button > 0)
            XTestFakeButtonEvent(display, button, True, CurrentTime);
        else
            XTestFakeKeyEvent(display, code, True, CurrentTime);
        XFlush(display);
        sleepUntil(injected[static_cast<std::size_t>(i)] + hold);
        if (button > 0)
            XTestFakeButtonEvent(display, button, False, CurrentTime);
        else
            XTestFakeKeyEvent(display, code, False, CurrentTime);
        XFlush(display);
        next += interval;
    }
    sleepUntil(next + tail);
    stop = true;
    recorder.join();
    pa_simple_free(stream);
    XCloseDisplay(display);
    if (failed)
        return 1;
    recording.smoothStamps();

    // A press owns the recording up to shortly before the next one, so a late sound is a miss
    // rather than the next press's onset.
    std::vector<double> latencies;
    for (const double at : injected) {
        double onset = 0;
        if (recording.findOnset(at, at + interval * 0.9, threshold, &onset))
            latencies.push_back((onset - at) * 1000);
    }
    const int missed = presses - static_cast<int>(latencies.size());
    if (latencies.empty()) {
        std::printf("presses %d detected 0 missed %d\n", presses, missed);
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("presses %d detected %zu missed %d  latency ms: min %.1f median %.1f p90 %.1f "
                "p99 %.1f max %.1f\n",
                presses, latencies.size(), missed, latencies.front(), percentile(latencies, 0.5),
                percentile(latencies, 0.9), percentile(latencies, 0.99), latencies.back());
    return 0;
}
