#include "tools/packgen/StrokeEdit.h"

#include "tools/packgen/SoundMeasure.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plinkum {

std::vector<float> StrokeEdit::varispeed(const std::vector<float> &frames, double speed)
{
    constexpr int half = 16; // taps on each side
    const double cutoff = std::min(1.0, 1.0 / speed);
    const auto length = static_cast<std::size_t>(static_cast<double>(frames.size()) / speed);
    std::vector<float> out(length);
    for (std::size_t i = 0; i < length; ++i) {
        const double at = static_cast<double>(i) * speed;
        const auto centre = static_cast<long>(std::floor(at));
        double sum = 0;
        for (long k = centre - half + 1; k <= centre + half; ++k) {
            if (k < 0 || k >= static_cast<long>(frames.size()))
                continue;
            const double t = at - static_cast<double>(k);
            const double x = std::numbers::pi * t * cutoff;
            const double sinc = std::abs(x) < 1e-9 ? 1.0 : std::sin(x) / x;
            const double window = 0.5 + 0.5 * std::cos(std::numbers::pi * t / half);
            sum += frames[static_cast<std::size_t>(k)] * cutoff * sinc * window;
        }
        out[i] = static_cast<float>(sum);
    }
    return out;
}

std::vector<float> StrokeEdit::filtered(std::vector<float> frames, std::initializer_list<Biquad> filters)
{
    for (const Biquad &filter : filters)
        filter.apply(frames);
    return frames;
}

std::vector<float> StrokeEdit::layer(const std::vector<float> &base, const std::vector<float> &event, double offset,
                                     double belowPeak, int rate)
{
    const long shift = std::lround(offset * rate);
    const std::size_t baseAt = shift < 0 ? static_cast<std::size_t>(-shift) : 0;
    const std::size_t eventAt = shift > 0 ? static_cast<std::size_t>(shift) : 0;
    std::vector<float> out(std::max(baseAt + base.size(), eventAt + event.size()), 0.0f);
    const auto gain = static_cast<float>(SoundMeasure::peak(base) / std::max(SoundMeasure::peak(event), 1e-9f)
                                         * std::pow(10, -belowPeak / 20));
    for (std::size_t i = 0; i < base.size(); ++i)
        out[baseAt + i] += base[i];
    for (std::size_t i = 0; i < event.size(); ++i)
        out[eventAt + i] += gain * event[i];
    return out;
}

std::vector<float> StrokeEdit::excerpt(const std::vector<float> &frames, double from, double to, int rate)
{
    const auto first = std::min(frames.size(), static_cast<std::size_t>(std::max(0.0, from) * rate));
    const auto last = std::min(frames.size(), static_cast<std::size_t>(std::max(from, to) * rate));
    std::vector<float> out(frames.begin() + static_cast<std::ptrdiff_t>(first),
                           frames.begin() + static_cast<std::ptrdiff_t>(last));
    const std::size_t fade = std::min(out.size() / 2, static_cast<std::size_t>(0.001 * rate));
    for (std::size_t i = 0; i < fade; ++i) {
        const auto g = static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(i) / fade));
        out[i] *= g;
        out[out.size() - 1 - i] *= g;
    }
    return out;
}

std::vector<float> StrokeEdit::duck(std::vector<float> frames, double from, double to, double gainDb, int rate)
{
    const double floorGain = std::pow(10, gainDb / 20), ramp = 0.001 * rate;
    const double a = from * rate, b = to * rate;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const double t = static_cast<double>(i);
        // 1 outside, floorGain inside, raised-cosine ramps of 1 ms at both edges.
        const double depth = std::clamp(std::min(t - (a - ramp), (b + ramp) - t) / ramp, 0.0, 1.0);
        const double shaped = 0.5 - 0.5 * std::cos(std::numbers::pi * depth);
        frames[i] = static_cast<float>(frames[i] * (1 + (floorGain - 1) * shaped));
    }
    return frames;
}

std::vector<float> StrokeEdit::fromOnset(const std::vector<float> &frames, int rate)
{
    const auto preRoll = static_cast<std::size_t>(0.0005 * rate);
    const auto onset = static_cast<std::size_t>(std::lround(SoundMeasure::onsetSeconds(frames, rate) * rate));
    const std::size_t start = onset > preRoll ? onset - preRoll : 0;
    std::vector<float> out(frames.begin() + static_cast<std::ptrdiff_t>(std::min(start, frames.size())), frames.end());
    for (std::size_t i = 0; i < std::min(onset - start, out.size()); ++i)
        out[i] *= static_cast<float>(i) / static_cast<float>(onset - start);
    return out;
}

} // namespace plinkum
