#include "Biquad.h"

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

Biquad Biquad::bandPass(double frequency, double q, double sampleRate)
{
    const double w = 2 * std::numbers::pi * frequency / sampleRate;
    const double alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
    return {alpha / a0, 0, -alpha / a0, -2 * c / a0, (1 - alpha) / a0};
}

void Biquad::apply(std::vector<float> &frames) const
{
    Biquad state = *this;
    for (float &sample : frames)
        sample = static_cast<float>(state(sample));
}

} // namespace plinkum
