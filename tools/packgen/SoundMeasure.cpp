#include "SoundMeasure.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plinkum {

double SoundMeasure::typingLoudness(const std::vector<std::vector<float>> &presses,
                                    const std::vector<std::vector<float>> &releases, int sampleRate)
{
    if (presses.empty() || sampleRate <= 0)
        return -HUGE_VAL;
    constexpr int strokes = 16;
    const auto pitch = static_cast<std::size_t>(0.2 * sampleRate);
    const auto hold = static_cast<std::size_t>(0.09 * sampleRate);
    std::vector<float> run(pitch * (strokes + 2), 0.0f);
    const auto place = [&](const std::vector<float> &sound, std::size_t at) {
        for (std::size_t i = 0; i < sound.size() && at + i < run.size(); ++i)
            run[at + i] += sound[i];
    };
    for (int i = 0; i < strokes; ++i) {
        place(presses[i % presses.size()], i * pitch);
        if (!releases.empty())
            place(releases[i % releases.size()], i * pitch + hold);
    }
    ebur128_state *state = ebur128_init(1, static_cast<unsigned long>(sampleRate), EBUR128_MODE_I);
    if (!state)
        return -HUGE_VAL;
    double loudness = -HUGE_VAL;
    if (ebur128_add_frames_float(state, run.data(), run.size()) == EBUR128_SUCCESS)
        ebur128_loudness_global(state, &loudness);
    ebur128_destroy(&state);
    return loudness;
}

float SoundMeasure::peak(const std::vector<float> &frames)
{
    float peak = 0;
    for (float x : frames)
        peak = std::max(peak, std::abs(x));
    return peak;
}

double SoundMeasure::onsetSeconds(const std::vector<float> &frames, int sampleRate)
{
    const float threshold = 0.1f * peak(frames);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (std::abs(frames[i]) >= threshold && threshold > 0)
            return static_cast<double>(i) / sampleRate;
    }
    return static_cast<double>(frames.size()) / std::max(sampleRate, 1);
}

std::vector<double> SoundMeasure::bandLevels(const std::vector<std::vector<float>> &sounds, int sampleRate)
{
    std::vector<double> levels;
    for (double centre = 100; centre <= 16000 && centre < sampleRate * 0.45; centre *= std::cbrt(2.0)) {
        // RBJ band-pass with a third-octave bandwidth.
        const double w = 2 * std::numbers::pi * centre / sampleRate;
        const double alpha = std::sin(w) * std::sinh(std::log(2.0) / 2 / 3 * w / std::sin(w));
        const double a0 = 1 + alpha;
        const double b0 = alpha / a0, a1 = -2 * std::cos(w) / a0, a2 = (1 - alpha) / a0;
        double energy = 1e-20;
        for (const auto &sound : sounds) {
            double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
            for (float x : sound) {
                const double y = b0 * x - b0 * x2 - a1 * y1 - a2 * y2;
                x2 = x1; x1 = x; y2 = y1; y1 = y;
                energy += y * y;
            }
        }
        levels.push_back(10 * std::log10(energy));
    }
    double mean = 0;
    for (double l : levels)
        mean += l;
    mean /= std::max<std::size_t>(levels.size(), 1);
    for (double &l : levels)
        l -= mean;
    return levels;
}

double SoundMeasure::spectralDistance(const std::vector<double> &a, const std::vector<double> &b)
{
    const std::size_t n = std::min(a.size(), b.size());
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    return n ? std::sqrt(sum / n) : 0;
}

} // namespace plinkum
