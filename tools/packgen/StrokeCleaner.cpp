#include "tools/packgen/StrokeCleaner.h"

#include "tools/packgen/AudioFile.h"
#include "tools/packgen/Biquad.h"
#include "tools/packgen/SoundMeasure.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plinkum {

namespace {

double decibels(double linear) { return 20 * std::log10(std::max(linear, 1e-9)); }

double percentileOf(std::vector<double> values, double share)
{
    if (values.empty())
        return -HUGE_VAL;
    const auto at = static_cast<std::ptrdiff_t>(share * (values.size() - 1));
    std::nth_element(values.begin(), values.begin() + at, values.end());
    return values[static_cast<std::size_t>(at)];
}

} // namespace

// Removes the DC offset and rumble below 30 Hz. An offset is subtracted first so that the filter
// does not turn it into a step at the start of a short file.
void StrokeCleaner::removeRumble(std::vector<float> &frames, double rate)
{
    double mean = 0;
    for (float x : frames)
        mean += x;
    mean /= std::max<std::size_t>(frames.size(), 1);
    for (float &x : frames)
        x -= static_cast<float>(mean);
    Biquad::highPass(30, rate).apply(frames);
}

// Per-millisecond peak levels in dB.
std::vector<double> StrokeCleaner::levels(const std::vector<float> &frames, std::size_t from, std::size_t to, std::size_t block)
{
    std::vector<double> out;
    for (std::size_t at = from; at + block <= to; at += block) {
        float peak = 0;
        for (std::size_t i = at; i < at + block; ++i)
            peak = std::max(peak, std::abs(frames[i]));
        out.push_back(decibels(peak));
    }
    return out;
}

// The recordings' quiet level: the tenth percentile of short stretches, which lie between keys.
StrokeCleaner::Floor StrokeCleaner::noiseFloor(const std::vector<const std::vector<float> *> &recordings, double rate)
{
    std::vector<double> rms, peaks;
    const auto stretch = static_cast<std::size_t>(0.01 * rate), block = static_cast<std::size_t>(0.001 * rate);
    for (const auto *frames : recordings) {
        for (std::size_t at = 0; at + stretch <= frames->size(); at += stretch) {
            double energy = 0;
            for (std::size_t i = at; i < at + stretch; ++i)
                energy += double((*frames)[i]) * (*frames)[i];
            rms.push_back(energy / stretch);
        }
        const auto l = levels(*frames, 0, frames->size(), block);
        peaks.insert(peaks.end(), l.begin(), l.end());
    }
    return {std::sqrt(percentileOf(rms, 0.1)), percentileOf(peaks, 0.1)};
}

std::optional<StrokeCleaner::Source> StrokeCleaner::read(const QString &path)
{
    auto audio = AudioFile::read(path);
    if (!audio || audio->frames.empty())
        return std::nullopt;
    Source source{{}, audio->sampleRate, {}};
    std::vector<float> &x = audio->frames;
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (std::abs(x[i]) >= 0.999f && std::abs(x[i - 1]) >= 0.999f)
            source.clipped.push_back(i);
    }
    // Such keys are left out where they have a key of their own; for a sound the pack has only
    // once (its space bar, say) each flat top is redrawn as a cubic through the slopes either side.
    for (std::size_t i = 2; i + 2 < x.size(); ++i) {
        std::size_t end = i;
        while (end + 2 < x.size() && std::abs(x[end]) >= 0.999f)
            ++end;
        if (end - i >= 2) {
            const double y0 = x[i - 1], y1 = x[end], m0 = x[i - 1] - x[i - 2], m1 = x[end + 1] - x[end];
            const double span = end - i + 1.0;
            for (std::size_t k = i; k < end; ++k) {
                const double t = (k - i + 1.0) / span, t2 = t * t, t3 = t2 * t;
                x[k] = static_cast<float>((2 * t3 - 3 * t2 + 1) * y0 + (t3 - 2 * t2 + t) * span * m0
                                          + (-2 * t3 + 3 * t2) * y1 + (t3 - t2) * span * m1);
            }
        }
        i = end;
    }
    removeRumble(audio->frames, audio->sampleRate);
    source.frames = std::move(audio->frames);
    return source;
}

// Cuts one sound: it starts 0.5 ms before its first sample at 10 % of its peak with a fade-in over
// those 0.5 ms, a downward expander (ratio 3, threshold about 15 dB above the floor) pulls the
// tail after the peak into silence, and a 10 ms fade closes the cut, which for a press is often
// where its release starts rather than where it has died away.
std::vector<float> StrokeCleaner::cut(const std::vector<float> &frames, Span span, double rate, const Floor &floor)
{
    span.end = std::min(span.end, frames.size());
    if (span.end <= span.begin + 16)
        return {};
    const float top = SoundMeasure::peak(std::vector<float>(frames.begin() + static_cast<std::ptrdiff_t>(span.begin),
                                                            frames.begin() + static_cast<std::ptrdiff_t>(span.end)));
    std::size_t onset = span.begin;
    while (onset < span.end && std::abs(frames[onset]) < 0.1f * top)
        ++onset;
    // The pre-roll may reach back before the span when the sound rises right at its start.
    const auto preRoll = static_cast<std::size_t>(0.0005 * rate);
    const std::size_t start = onset > preRoll ? onset - preRoll : 0;
    std::vector<float> out(frames.begin() + static_cast<std::ptrdiff_t>(start),
                           frames.begin() + static_cast<std::ptrdiff_t>(span.end));
    onset -= start;
    // A file cut right at its transient still gets four samples of fade-in against a click.
    const std::size_t fadeIn = std::max<std::size_t>(onset, 4);
    for (std::size_t i = 0; i < std::min(fadeIn, out.size()); ++i)
        out[i] *= static_cast<float>(i) / fadeIn;

    const std::size_t peakAt = static_cast<std::size_t>(
        std::max_element(out.begin(), out.end(), [](float a, float b) { return std::abs(a) < std::abs(b); }) - out.begin());
    const double threshold = 6 * floor.rms;
    const double envelopeFall = std::exp(-1 / (0.005 * rate));
    const double gainRise = 1 - std::exp(-1 / (0.0005 * rate)), gainFall = 1 - std::exp(-1 / (0.01 * rate));
    double envelope = 0, gain = 1;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double x = std::abs(out[i]);
        envelope = std::max(x, envelope * envelopeFall);
        if (i <= peakAt)
            continue;
        const double target = envelope >= threshold ? 1.0 : std::pow(envelope / threshold, 2);
        gain += (target - gain) * (target > gain ? gainRise : gainFall);
        out[i] = static_cast<float>(out[i] * gain);
    }
    std::size_t end = out.size();
    while (end > peakAt + 1 && std::abs(out[end - 1]) < floor.rms * 0.5)
        --end;
    out.resize(std::min(out.size(), end + static_cast<std::size_t>(0.002 * rate)));
    const auto fade = std::min(out.size() - peakAt - 1, static_cast<std::size_t>(0.01 * rate));
    for (std::size_t i = 0; i < fade; ++i)
        out[out.size() - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * i / fade));
    return out;
}

} // namespace plinkum
