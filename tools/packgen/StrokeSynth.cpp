#include "StrokeSynth.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>

namespace plinkum {

namespace {

constexpr double fs = StrokeSynth::sampleRate;
using M = SwitchProfile::Mechanism;

// mt19937 is specified bit for bit; the standard distributions are not, so map it ourselves.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : m_engine(seed) {}
    double uniform() { return (m_engine() >> 8) * (1.0 / 16777216.0); }
    double bipolar() { return 2.0 * uniform() - 1.0; }
    double jitter(double spread) { return 1.0 + spread * bipolar(); }

private:
    std::mt19937 m_engine;
};

// RBJ cookbook biquad, direct form I.
class Biquad {
public:
    enum class Kind { LowPass, HighPass, BandPass };
    Biquad(Kind kind, double frequency, double q)
    {
        const double w = 2 * std::numbers::pi * std::min(frequency, fs * 0.45) / fs;
        const double alpha = std::sin(w) / (2 * q);
        const double c = std::cos(w);
        double b0 = 0, b1 = 0, b2 = 0;
        switch (kind) {
        case Kind::LowPass: b0 = (1 - c) / 2; b1 = 1 - c; b2 = b0; break;
        case Kind::HighPass: b0 = (1 + c) / 2; b1 = -(1 + c); b2 = b0; break;
        case Kind::BandPass: b0 = alpha; b1 = 0; b2 = -alpha; break;
        }
        const double a0 = 1 + alpha;
        m_b0 = b0 / a0; m_b1 = b1 / a0; m_b2 = b2 / a0;
        m_a1 = -2 * c / a0; m_a2 = (1 - alpha) / a0;
    }
    double operator()(double x)
    {
        const double y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
        m_x2 = m_x1; m_x1 = x; m_y2 = m_y1; m_y1 = y;
        return y;
    }

private:
    double m_b0, m_b1, m_b2, m_a1, m_a2;
    double m_x1 = 0, m_x2 = 0, m_y1 = 0, m_y2 = 0;
};

// A struck resonance: a damped sine, rotated as a complex phasor to spare the sin() per sample.
void addMode(std::vector<float> &out, double start, double frequency, double decay, double amp)
{
    if (frequency >= fs * 0.45 || amp <= 0)
        return;
    const auto first = static_cast<std::size_t>(start * fs);
    const auto length = std::min(out.size() - std::min(out.size(), first), static_cast<std::size_t>(decay * 7 * fs));
    const std::complex<double> step = std::polar(std::exp(-1.0 / (decay * fs)), 2 * std::numbers::pi * frequency / fs);
    std::complex<double> z(amp, 0);
    for (std::size_t i = 0; i < length; ++i) {
        out[first + i] += static_cast<float>(z.imag());
        z *= step;
    }
}

// A short burst of filtered noise with a 0.15 ms rise: the scrape or tick part of an impact.
void addNoise(std::vector<float> &out, Noise &noise, double start, double decay, double amp, double highPass,
              double lowPass, double bandCentre = 0)
{
    if (amp <= 0)
        return;
    Biquad hp(Biquad::Kind::HighPass, highPass, 0.707);
    Biquad lp(Biquad::Kind::LowPass, lowPass, 0.707);
    Biquad bp(Biquad::Kind::BandPass, bandCentre > 0 ? bandCentre : 1000, 1.2);
    const auto first = static_cast<std::size_t>(start * fs);
    const auto length = std::min(out.size() - std::min(out.size(), first), static_cast<std::size_t>(decay * 8 * fs));
    for (std::size_t i = 0; i < length; ++i) {
        const double t = i / fs;
        const double env = (1 - std::exp(-t / 0.00015)) * std::exp(-t / decay);
        double x = lp(hp(noise.bipolar()));
        if (bandCentre > 0)
            x = 2.5 * bp(x);
        out[first + i] += static_cast<float>(amp * env * x);
    }
}

struct ShapeTraits {
    double capScale;   // cap and housing modes move down on longer caps
    double stabiliser; // 0 for keys without a stabiliser
    double body;       // more plate and case on long keys
    double seconds;    // buffer length of a press
};

ShapeTraits traits(StrokeSynth::KeyShape shape)
{
    using S = StrokeSynth::KeyShape;
    switch (shape) {
    case S::Standard: return {1.0, 0, 1.0, 0.14};
    case S::Modifier: return {0.93, 0, 1.05, 0.14};
    case S::Wide: return {0.86, 0, 1.1, 0.16};
    case S::Shift: return {0.8, 1.0, 1.2, 0.2};
    case S::Return: return {0.79, 1.0, 1.25, 0.2};
    case S::Backspace: return {0.82, 0.9, 1.2, 0.2};
    case S::Space: return {0.56, 1.4, 1.6, 0.26};
    }
    return {1.0, 0, 1.0, 0.14};
}

// A cloud of inharmonic modes around a centre: real caps and housings ring at many close,
// irregular frequencies, which is what keeps a struck part from sounding like a beep.
// The layout (where the modes sit) belongs to the switch, scaled by the cap length; each stroke moves
// them only a little, as the same key struck again does.
void addModeCloud(std::vector<float> &out, Noise &layout, Noise &noise, double start, double centre, double low,
                  double high, int count, double decay, double amp)
{
    for (int i = 0; i < count; ++i) {
        const double f = centre * std::exp(low + (high - low) * layout.uniform()) * noise.jitter(0.015);
        const double d = decay * (0.5 + 0.7 * layout.uniform());
        const double a = amp * (0.4 + 0.6 * layout.uniform()) * noise.jitter(0.15) / std::sqrt(count);
        addMode(out, start, f, d, a);
    }
}

// Everything the switch, the cap and the board do when the stem hits bottom or top.
void addImpact(std::vector<float> &out, Noise layout, Noise &noise, const SwitchProfile &p, const ShapeTraits &shape,
               double start, double strength, double brightness, double body)
{
    const double ls = p.lengthScale;
    const double cap = p.capFrequency * shape.capScale * brightness * noise.jitter(0.03);
    addNoise(out, noise, start, 0.0005 * ls, 0.8 * strength * p.bottomOutNoise, 300, p.brightness * brightness);
    addNoise(out, noise, start, 0.0025 * ls, 0.5 * strength * p.bottomOutNoise, 200, p.brightness * brightness, cap);
    addModeCloud(out, layout, noise, start, cap, -0.4, 1.1, 10, p.capDecay * ls, 1.0 * strength);
    const double housing = p.housingFrequency * brightness * (0.5 + 0.5 * shape.capScale);
    addModeCloud(out, layout, noise, start, housing, -0.25, 0.35, 6, p.housingDecay * ls, 0.6 * strength);
    addModeCloud(out, layout, noise, start, p.plateFrequency, -0.15, 0.15, 3, 0.012 * ls, p.plateLevel * strength * body * shape.body);
    addMode(out, start, p.caseFrequency * shape.capScale * noise.jitter(0.02), p.caseDecay * ls,
            p.caseLevel * strength * body * shape.body);
    addMode(out, start, p.caseFrequency * 2.3 * noise.jitter(0.04), p.caseDecay * ls * 0.5,
            0.5 * p.caseLevel * strength * body * shape.body);
}

void addSpring(std::vector<float> &out, Noise &noise, const SwitchProfile &p, double start, double level)
{
    const double f = p.springFrequency * noise.jitter(0.01);
    addMode(out, start, f, p.springDecay * p.lengthScale, level * noise.jitter(0.1));
    addMode(out, start, f * 2.02, p.springDecay * p.lengthScale * 0.3, 0.3 * level);
}

// Wire stabilisers tick a few times after the cap lands; more on longer bars.
void addRattle(std::vector<float> &out, Noise &noise, const SwitchProfile &p, const ShapeTraits &shape, double start,
               double spacing)
{
    if (shape.stabiliser <= 0)
        return;
    static constexpr double delays[] = {2.5e-3, 6e-3, 11e-3};
    static constexpr double amps[] = {0.6, 0.35, 0.2};
    const double level = p.stabiliserRattle * shape.stabiliser;
    for (int i = 0; i < 3; ++i) {
        const double t = start + delays[i] * spacing * noise.jitter(0.15);
        addNoise(out, noise, t, 0.0004, amps[i] * level, 2000, 12000);
        addMode(out, t, 2900 * noise.jitter(0.03), 0.01, 0.5 * amps[i] * level);
        addMode(out, t, 4700 * noise.jitter(0.03), 0.006, 0.3 * amps[i] * level);
    }
}

// The mechanism's own event that leads a press (bump, click, dome collapse, spring buckling).
void addEvent(std::vector<float> &out, const Noise &layout, Noise &noise, const SwitchProfile &p,
              const ShapeTraits &shape, double start, double level)
{
    if (level <= 0)
        return;
    // Spring-driven hammers and beams move the cap itself, so a longer cap lowers their snap.
    const bool drivesCap = p.mechanism == M::BeamSpring || p.mechanism == M::BucklingSpring;
    const double f = p.eventFrequency * (drivesCap ? std::sqrt(shape.capScale) : 1.0) * noise.jitter(0.02);
    const double d = p.eventDecay * p.lengthScale;
    switch (p.mechanism) {
    case M::Linear:
        return;
    case M::Tactile:
        addNoise(out, noise, start, d, 3.0 * level, 600, p.brightness, f);
        addImpact(out, layout, noise, p, shape, start, 0.35 * level, 0.8, 0.3);
        return;
    case M::ClickJacket:
        addNoise(out, noise, start, 0.0006, level, 1500, 14000, f);
        addMode(out, start, f, d, 0.6 * level);
        addMode(out, start, f * 1.52, d * 0.7, 0.3 * level);
        addNoise(out, noise, start + 0.0012, 0.0005, 0.5 * level, 1200, 10000, f * 0.8);
        return;
    case M::ClickBar:
        addNoise(out, noise, start, 0.0005, 0.8 * level, 1000, 16000);
        addMode(out, start, f, d, 0.5 * level);
        addMode(out, start, f * 2.2, d * 0.6, 0.3 * level);
        addMode(out, start, f * 3.1, d * 0.4, 0.15 * level);
        return;
    case M::AlpsClick:
        addNoise(out, noise, start, 0.0004, level, 2500, 18000);
        addNoise(out, noise, start + 0.0007 * noise.jitter(0.2), 0.0004, 0.7 * level, 2500, 18000);
        addMode(out, start, f, d, 0.4 * level);
        addMode(out, start, f * 1.8, d * 0.5, 0.2 * level);
        return;
    case M::TopreDome:
        addNoise(out, noise, start, 0.004, 2.4 * level, 80, 1500);
        addMode(out, start, f, d, 1.5 * level);
        return;
    case M::BeamSpring:
    case M::BucklingSpring:
        addNoise(out, noise, start, 0.0008, 0.7 * level, 400, p.brightness);
        addMode(out, start, f, d, 0.5 * level);
        addMode(out, start, p.springFrequency * noise.jitter(0.01), p.springDecay * p.lengthScale, 0.3 * level);
        addMode(out, start, p.springFrequency * 1.93, p.springDecay * p.lengthScale * 0.7, 0.15 * level);
        addMode(out, start, p.springFrequency * 2.71, p.springDecay * p.lengthScale * 0.5, 0.08 * level);
        return;
    }
}

// Cuts the tail below -60 dB of the peak and fades the last 5 ms, so files stay short.
void finish(std::vector<float> &out)
{
    float peak = 0;
    for (float x : out)
        peak = std::max(peak, std::abs(x));
    std::size_t end = out.size();
    while (end > 0 && std::abs(out[end - 1]) < peak * 0.001f)
        --end;
    const std::size_t fade = static_cast<std::size_t>(0.005 * fs);
    end = std::min(out.size(), end + fade);
    out.resize(end);
    for (std::size_t i = 0; i < std::min(fade, end); ++i)
        out[end - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * i / fade));
}

} // namespace

StrokeSynth::StrokeSynth(const SwitchProfile &profile) : m_profile(profile)
{
    // The seed comes from the sound's parameters, not the name: two switches given the same
    // parameters sound the same, so a copied profile shows up as a duplicate pack.
    const SwitchProfile &p = profile;
    const double fields[] = {p.capFrequency, p.capDecay, p.brightness, p.housingFrequency, p.housingDecay,
                             p.bottomOutDelay, p.bottomOutNoise, p.plateFrequency, p.plateLevel, p.caseFrequency,
                             p.caseLevel, p.caseDecay, p.springLevel, p.springFrequency, p.springDecay, p.eventLevel,
                             p.eventFrequency, p.eventDecay, p.upstrokeLevel, p.upstrokeBrightness,
                             p.releaseEventLevel, p.stabiliserRattle, p.lengthScale,
                             static_cast<double>(p.mechanism), p.pbt ? 1.0 : 0.0};
    std::uint32_t h = 2166136261u; // FNV-1a over the bytes
    for (double field : fields) {
        auto bits = std::bit_cast<std::uint64_t>(field);
        for (int i = 0; i < 8; ++i, bits >>= 8) {
            h ^= static_cast<std::uint32_t>(bits & 0xff);
            h *= 16777619u;
        }
    }
    m_seed = h;
}

std::uint32_t StrokeSynth::seedFor(KeyShape shape, bool down, int variant) const
{
    return m_seed ^ (static_cast<std::uint32_t>(shape) * 0x9E3779B9u) ^ (down ? 0x85EBCA6Bu : 0xC2B2AE35u)
        ^ (static_cast<std::uint32_t>(variant + 1) * 0x27D4EB2Fu);
}

std::vector<float> StrokeSynth::press(KeyShape shape, int variant) const
{
    const SwitchProfile &p = m_profile;
    const ShapeTraits s = traits(shape);
    Noise noise(seedFor(shape, true, variant));
    const Noise layout(seedFor(KeyShape::Standard, true, -1)); // one layout per switch; caps scale it
    std::vector<float> out(static_cast<std::size_t>(s.seconds * p.lengthScale * fs), 0.0f);

    addEvent(out, layout, noise, p, s, 0, p.eventLevel * noise.jitter(0.1));
    const double bottom = p.mechanism == M::Linear ? 0 : p.bottomOutDelay * noise.jitter(0.1);
    addImpact(out, layout, noise, p, s, bottom, noise.jitter(0.1), 1.0, 1.0);
    addSpring(out, noise, p, bottom, p.springLevel);
    addRattle(out, noise, p, s, bottom, 1.0);
    finish(out);
    return out;
}

std::vector<float> StrokeSynth::release(KeyShape shape, int variant) const
{
    const SwitchProfile &p = m_profile;
    const ShapeTraits s = traits(shape);
    Noise noise(seedFor(shape, false, variant));
    const Noise layout(seedFor(KeyShape::Standard, true, -1)); // one layout per switch; caps scale it
    std::vector<float> out(static_cast<std::size_t>(s.seconds * 0.8 * p.lengthScale * fs), 0.0f);

    // A strong snap-back (click jackets, click bars) is heard before the stem tops out; a faint
    // one merges with the top-out.
    const bool leads = p.releaseEventLevel >= 0.8 * p.upstrokeLevel;
    addEvent(out, layout, noise, p, s, 0, p.releaseEventLevel * noise.jitter(0.1));
    const double top = leads ? 0.005 * noise.jitter(0.15) : 0;
    addImpact(out, layout, noise, p, s, top, p.upstrokeLevel * noise.jitter(0.1), 1.1 * p.upstrokeBrightness, 0.5);
    addSpring(out, noise, p, top, 0.7 * p.springLevel);
    addRattle(out, noise, p, s, top, 0.7);
    finish(out);
    return out;
}

} // namespace plinkum
