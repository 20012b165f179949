#include "tools/packgen/SoundMeasure.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace plinkum {

namespace {

void fft(std::vector<std::complex<double>> &x)
{
    const std::size_t n = x.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi / static_cast<double>(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w(1, 0);
            for (std::size_t k = 0; k < len / 2; ++k) {
                const auto u = x[i + k];
                const auto v = x[i + k + len / 2] * w;
                x[i + k] = u + v;
                x[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

} // namespace

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

std::vector<double> SoundMeasure::spectralShape(const std::vector<float> &frames, int channels, int sampleRate)
{
    constexpr std::size_t n = 1024;
    constexpr double low = 150, high = 20000;
    const std::size_t count = channels > 0 ? frames.size() / channels : 0;
    std::vector<double> mono(count);
    for (std::size_t i = 0; i < count; ++i) {
        for (int c = 0; c < channels; ++c)
            mono[i] += frames[i * channels + c];
    }
    // Band b covers bins [first[b], last[b]); every band holds at least the bin nearest its centre.
    std::vector<std::size_t> first(shapeBands), last(shapeBands);
    const double binHz = static_cast<double>(sampleRate) / n;
    for (int b = 0; b < shapeBands; ++b) {
        const double lo = low * std::pow(high / low, double(b) / shapeBands);
        const double hi = low * std::pow(high / low, double(b + 1) / shapeBands);
        first[b] = static_cast<std::size_t>(std::ceil(lo / binHz));
        last[b] = std::max(static_cast<std::size_t>(std::ceil(hi / binHz)), first[b]);
        if (first[b] == last[b]) {
            first[b] = static_cast<std::size_t>(std::lround(std::sqrt(lo * hi) / binHz));
            last[b] = first[b] + 1;
        }
    }
    std::vector<double> window(n);
    for (std::size_t i = 0; i < n; ++i)
        window[i] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / n);
    std::vector<double> shape(shapeBands, 0.0);
    std::size_t frameCount = 0;
    std::vector<std::complex<double>> x(n);
    for (std::size_t start = 0; start < count; start += n / 2) {
        for (std::size_t i = 0; i < n; ++i)
            x[i] = start + i < count ? mono[start + i] * window[i] : 0.0;
        fft(x);
        for (int b = 0; b < shapeBands; ++b) {
            double power = 0;
            for (std::size_t k = first[b]; k < last[b]; ++k)
                power += std::norm(x[k]);
            shape[b] += power / static_cast<double>(last[b] - first[b]);
        }
        ++frameCount;
    }
    // The log of the mean, not the mean of the logs: silence between strokes then weighs nothing.
    double mean = 0;
    for (double &v : shape) {
        v = 0.5 * std::log10(v / std::max<std::size_t>(frameCount, 1) + 1e-30);
        mean += v / shapeBands;
    }
    for (double &v : shape)
        v -= mean;
    return shape;
}

double SoundMeasure::attackFlatness(const std::vector<float> &frames, int sampleRate)
{
    constexpr std::size_t n = 4096;
    const auto length = std::min<std::size_t>(n, static_cast<std::size_t>(0.02 * sampleRate));
    const auto onset = static_cast<std::size_t>(onsetSeconds(frames, sampleRate) * sampleRate);
    std::vector<std::complex<double>> x(n);
    for (std::size_t i = 0; i < length && onset + i < frames.size(); ++i)
        x[i] = frames[onset + i] * (i < length / 2 ? 1.0 : 0.5 + 0.5 * std::cos(std::numbers::pi * (2.0 * i / length - 1)));
    fft(x);
    const double binHz = static_cast<double>(sampleRate) / n;
    double logSum = 0, sum = 0;
    std::size_t bins = 0;
    for (auto k = static_cast<std::size_t>(std::ceil(200 / binHz)); k <= static_cast<std::size_t>(16000 / binHz) && k < n / 2; ++k) {
        const double power = std::norm(x[k]) + 1e-30;
        logSum += std::log(power);
        sum += power;
        ++bins;
    }
    return bins && sum > 0 ? std::exp(logSum / bins) / (sum / bins) : 0;
}

double SoundMeasure::spectralDistance(const std::vector<double> &a, const std::vector<double> &b)
{
    const std::size_t n = std::min(a.size(), b.size());
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(sum);
}

} // namespace plinkum
