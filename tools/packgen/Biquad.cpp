#include "tools/packgen/Biquad.h"

#include <cmath>
#include <numbers>

namespace plinkum {

Biquad Biquad::highPass(double frequency, double sampleRate)
{
    const double w = 2 * std::numbers::pi * frequency / sampleRate;
    const double alpha = std::sin(w) / std::numbers::sqrt2, c = std::cos(w), a0 = 1 + alpha;
    return {(1 + c) / 2 / a0, -(1 + c) / a0, (1 + c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0};
}

Biquad Biquad::notch(double frequency, double q, double sampleRate)
{
    const double w = 2 * std::numbers::pi * frequency / sampleRate;
    const double alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
    return {1 / a0, -2 * c / a0, 1 / a0, -2 * c / a0, (1 - alpha) / a0};
}

Biquad Biquad::lowPass(double frequency, double sampleRate)
{
    const double w = 2 * std::numbers::pi * frequency / sampleRate;
    const double alpha = std::sin(w) / std::numbers::sqrt2, c = std::cos(w), a0 = 1 + alpha;
    return {(1 - c) / 2 / a0, (1 - c) / a0, (1 - c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0};
}

Biquad Biquad::peak(double frequency, double q, double gain, double sampleRate)
{
    const double a = std::pow(10, gain / 40), w = 2 * std::numbers::pi * frequency / sampleRate;
    const double alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha / a;
    return {(1 + alpha * a) / a0, -2 * c / a0, (1 - alpha * a) / a0, -2 * c / a0, (1 - alpha / a) / a0};
}

Biquad Biquad::lowShelf(double frequency, double gain, double sampleRate)
{
    const double a = std::pow(10, gain / 40), w = 2 * std::numbers::pi * frequency / sampleRate;
    const double c = std::cos(w), beta = std::numbers::sqrt2 * std::sqrt(a) * std::sin(w); // slope 1
    const double a0 = (a + 1) + (a - 1) * c + beta;
    return {a * ((a + 1) - (a - 1) * c + beta) / a0, 2 * a * ((a - 1) - (a + 1) * c) / a0,
            a * ((a + 1) - (a - 1) * c - beta) / a0, -2 * ((a - 1) + (a + 1) * c) / a0,
            ((a + 1) + (a - 1) * c - beta) / a0};
}

Biquad Biquad::highShelf(double frequency, double gain, double sampleRate)
{
    const double a = std::pow(10, gain / 40), w = 2 * std::numbers::pi * frequency / sampleRate;
    const double c = std::cos(w), beta = std::numbers::sqrt2 * std::sqrt(a) * std::sin(w); // slope 1
    const double a0 = (a + 1) - (a - 1) * c + beta;
    return {a * ((a + 1) + (a - 1) * c + beta) / a0, -2 * a * ((a - 1) + (a + 1) * c) / a0,
            a * ((a + 1) + (a - 1) * c - beta) / a0, 2 * ((a - 1) - (a + 1) * c) / a0,
            ((a + 1) - (a - 1) * c - beta) / a0};
}

void Biquad::apply(std::vector<float> &frames) const
{
    Biquad state = *this;
    for (float &sample : frames)
        sample = static_cast<float>(state(sample));
}

} // namespace plinkum
