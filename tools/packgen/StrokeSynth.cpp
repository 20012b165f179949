#include "StrokeSynth.h"

#include "Biquad.h"

#include <algorithm>
#include <array>
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

// A struck part rings at hundreds of close modes, which sounds like noise with a spectral
// envelope that fades, higher frequencies first. The bank holds that as half-octave bands of
// noise, each with its own amplitude envelope that the parts of a keystroke add into.
class Bank {
public:
    static constexpr int bands = 16;
    static double centre(int band) { return 110.0 * std::exp2(0.5 * band); } // 110 Hz to 20 kHz

    // tilt in dB per octave around 1 kHz: how bright the switch, cap and board are as a whole.
    Bank(std::size_t length, double tilt) : m_tilt(tilt) { m_env.fill(std::vector<float>(length, 0.0f)); }

    // A burst whose spectrum is a bell in log frequency around `peak` (width in octaves, the
    // standard deviation), rising in 0.1 ms and decaying with `decay` at the peak; bands above
    // it die faster, bands below slower, as in struck plates.
    void burst(Noise &noise, double start, double peak, double width, double decay, double amp)
    {
        if (amp <= 0 || start < 0)
            return;
        const auto first = static_cast<std::size_t>(start * fs);
        for (int b = 0; b < bands; ++b) {
            const double octaves = std::log2(centre(b) / peak) / width;
            const double gain = amp * std::exp(-0.5 * octaves * octaves) * std::pow(centre(b) / 1000, m_tilt / 6.02)
                * noise.jitter(0.25);
            if (gain < 1e-4 * amp)
                continue;
            const double tau = decay * std::pow(peak / centre(b), 0.4);
            auto &env = m_env[b];
            const auto length = std::min(env.size() - std::min(env.size(), first), static_cast<std::size_t>(tau * 7 * fs) + 8);
            for (std::size_t i = 0; i < length; ++i) {
                const double t = i / fs;
                env[first + i] += static_cast<float>(gain * (1 - std::exp(-t / 0.0001)) * std::exp(-t / tau));
            }
        }
    }

    // Filters fresh noise through every band and applies its envelope.
    void renderInto(std::vector<float> &out, Noise &noise) const
    {
        for (int b = 0; b < bands; ++b) {
            const auto &env = m_env[b];
            if (std::all_of(env.begin(), env.end(), [](float e) { return e == 0.0f; }))
                continue;
            // Half-octave bands of white noise: wider bands carry more, so the sum stays white.
            // Two sections per band keep a low band's skirt out of the treble, where it would
            // hang on as a hiss as long as the band rings.
            Biquad first = Biquad::bandPass(std::min(centre(b), fs * 0.45), 1.9, fs);
            Biquad second = first;
            const double norm = 3.0;
            for (std::size_t i = 0; i < out.size(); ++i) {
                const double x = second(first(noise.bipolar()));
                out[i] += static_cast<float>(env[i] * norm * x);
            }
        }
    }

private:
    double m_tilt;
    std::array<std::vector<float>, bands> m_env;
};

// A short damped resonance (a stiff part that rings a few milliseconds), rotated as a complex
// phasor to spare the sin() per sample.
void addMode(std::vector<float> &out, double start, double frequency, double decay, double amp)
{
    if (frequency >= fs * 0.45 || amp <= 0)
        return;
    const auto first = static_cast<std::size_t>(start * fs);
    const auto length = std::min(out.size() - std::min(out.size(), first), static_cast<std::size_t>(decay * 7 * fs));
    const std::complex<double> step = std::polar(std::exp(-1.0 / (decay * fs)), 2 * std::numbers::pi * frequency / fs);
    std::complex<double> z(0, amp);
    for (std::size_t i = 0; i < length; ++i) {
        out[first + i] += static_cast<float>(z.imag() * (1 - std::exp(-(i / fs) / 0.0002)));
        z *= step;
    }
}

struct ShapeTraits {
    double capScale;   // cap and case resonances move down on longer caps
    double stabiliser; // 0 for keys without a stabiliser
    double body;       // more plate and case on long keys
    double seconds;    // buffer length of a press
};

ShapeTraits traits(StrokeSynth::KeyShape shape)
{
    using S = StrokeSynth::KeyShape;
    switch (shape) {
    case S::Standard: return {1.0, 0, 1.0, 0.16};
    case S::Modifier: return {0.93, 0, 1.05, 0.16};
    case S::Wide: return {0.84, 0, 1.1, 0.18};
    case S::Shift: return {0.8, 1.0, 1.2, 0.22};
    case S::Return: return {0.78, 1.0, 1.25, 0.22};
    case S::Backspace: return {0.82, 0.9, 1.2, 0.22};
    case S::Space: return {0.58, 1.4, 1.6, 0.28};
    }
    return {1.0, 0, 1.0, 0.16};
}

// The stem landing on the housing (bottom-out) or hitting its top (top-out): a broadband tick,
// the cap's body, the housing's clack, plate and case, and one or two stiff modes of the cap
// that give each switch its own colour. The cap skirt or the stem lands a fraction of a
// millisecond after the first contact, so the tick comes twice.
void addImpact(Bank &bank, std::vector<float> &out, Noise &noise, const Noise &layoutSeed, const SwitchProfile &p,
               const ShapeTraits &shape, double start, double strength, double brightness, double body)
{
    Noise layout = layoutSeed;
    const double ls = p.lengthScale;
    const double cap = p.capFrequency * shape.capScale * brightness * noise.jitter(0.04);
    // A longer cap is heavier and lands darker; its own modes move down with its length.
    const double heavier = std::sqrt(shape.capScale);
    const double tick = std::min(p.brightness * brightness * heavier, 16000.0);
    bank.burst(noise, start, tick, 1.1, 0.0005 * ls, 0.9 * strength * p.bottomOutNoise);
    bank.burst(noise, start + 0.0004 + 0.0012 * noise.uniform(), tick * 0.8, 1.0, 0.0004 * ls,
               0.35 * strength * p.bottomOutNoise);
    bank.burst(noise, start, cap, p.capWidth, p.capDecay * ls, strength);
    bank.burst(noise, start, p.housingFrequency * brightness * heavier * noise.jitter(0.03), 0.6, p.housingDecay * ls,
               0.6 * strength);
    bank.burst(noise, start, p.plateFrequency, 0.5, 0.012 * ls, p.plateLevel * strength * body * shape.body);
    bank.burst(noise, start, p.caseFrequency * shape.capScale, 0.7, p.caseDecay * ls,
               p.caseLevel * strength * body * shape.body);
    for (int i = 0; i < 2; ++i) {
        const double f = cap * (1.3 + 1.4 * layout.uniform() + 0.9 * i);
        addMode(out, start, f * noise.jitter(0.01), 0.002 * ls * (0.6 + 0.6 * layout.uniform()),
                0.12 * strength * (0.5 + 0.5 * layout.uniform()));
    }
}

// The spring buzzes faintly when it is struck; a coil has many close modes, so it is a cluster.
void addSpring(std::vector<float> &out, Noise &noise, const SwitchProfile &p, double start, double level)
{
    if (level <= 0)
        return;
    static constexpr double ratios[] = {1.0, 1.13, 2.07, 2.41, 3.3};
    static constexpr double amps[] = {0.5, 0.3, 0.22, 0.15, 0.1};
    for (int i = 0; i < 5; ++i)
        addMode(out, start, p.springFrequency * ratios[i] * noise.jitter(0.02), p.springDecay * p.lengthScale / (1 + 0.5 * i),
                level * amps[i] * noise.jitter(0.2));
}

// Wire stabilisers tick a few times after the cap lands; more on longer bars.
void addRattle(Bank &bank, Noise &noise, const SwitchProfile &p, const ShapeTraits &shape, double start,
               double spacing)
{
    if (shape.stabiliser <= 0)
        return;
    static constexpr double delays[] = {2.5e-3, 6e-3, 11e-3};
    static constexpr double amps[] = {0.5, 0.3, 0.18};
    const double level = p.stabiliserRattle * shape.stabiliser;
    for (int i = 0; i < 3; ++i)
        bank.burst(noise, start + delays[i] * spacing * noise.jitter(0.15), 3500 * noise.jitter(0.1), 1.0, 0.003,
                   amps[i] * level);
}

// The mechanism's own event that leads a press (bump, click, dome collapse, spring buckling).
void addEvent(Bank &bank, std::vector<float> &out, Noise &noise, const SwitchProfile &p, const ShapeTraits &shape,
              double start, double level)
{
    if (level <= 0)
        return;
    // Spring-driven hammers and beams move the cap itself, so a longer cap lowers their snap.
    const bool drivesCap = p.mechanism == M::BeamSpring || p.mechanism == M::BucklingSpring;
    const double f = p.eventFrequency * (drivesCap ? std::sqrt(shape.capScale) : 1.0) * noise.jitter(0.03);
    const double d = p.eventDecay * p.lengthScale;
    switch (p.mechanism) {
    case M::Linear:
        return;
    case M::Tactile:
        // The legs scrape over the bump: a grainy burst of several small ticks.
        for (int i = 0; i < 5; ++i)
            bank.burst(noise, start + d * 0.5 * i * noise.jitter(0.3), f * noise.jitter(0.15), 0.7, 0.0012,
                       level * (1.0 - 0.15 * i));
        bank.burst(noise, start, f * 0.5, 0.8, d, 0.5 * level);
        return;
    case M::ClickJacket:
        // The jacket snaps down onto the housing: a bright tick, its rebound, a short ring.
        bank.burst(noise, start, f, 0.8, 0.0015, level);
        bank.burst(noise, start + 0.0009 * noise.jitter(0.2), f * 1.25, 0.8, 0.001, 0.6 * level);
        addMode(out, start, f * 0.95, d, 0.15 * level);
        addMode(out, start, f * 1.47, d * 0.7, 0.1 * level);
        return;
    case M::ClickBar:
        // The bar is struck metal: a sharp tick that rings for some milliseconds.
        bank.burst(noise, start, f * 1.4, 1.0, 0.001, level);
        bank.burst(noise, start, f, 0.4, d, 0.45 * level);
        addMode(out, start, f, d, 0.2 * level);
        addMode(out, start, f * 2.16, d * 0.6, 0.12 * level);
        addMode(out, start, f * 3.05, d * 0.4, 0.07 * level);
        return;
    case M::AlpsClick:
        // The leaf flicks twice against the slider, high and dry.
        bank.burst(noise, start, f, 0.7, 0.0012, level);
        bank.burst(noise, start + 0.0007 * noise.jitter(0.2), f * 0.85, 0.7, 0.001, 0.7 * level);
        addMode(out, start, f * 0.9, d, 0.08 * level);
        return;
    case M::BeamSpring:
    case M::BucklingSpring:
        // The spring buckles and throws the hammer; the coil rings on.
        bank.burst(noise, start, f, 1.0, 0.0015, level);
        bank.burst(noise, start + 0.0006, f * 1.6, 0.8, 0.0007, 0.6 * level);
        bank.burst(noise, start, f * 0.7, 0.5, d, 0.4 * level);
        addSpring(out, noise, p, start, 0.2 * level);
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
    const double fields[] = {p.capFrequency, p.capWidth, p.capDecay, p.brightness, p.housingFrequency, p.housingDecay,
                             p.bottomOutDelay, p.bottomOutNoise, p.plateFrequency, p.plateLevel, p.caseFrequency,
                             p.caseLevel, p.caseDecay, p.springLevel, p.springFrequency, p.springDecay, p.eventLevel,
                             p.eventFrequency, p.eventDecay, p.upstrokeLevel, p.upstrokeBrightness,
                             p.releaseEventLevel, p.stabiliserRattle, p.lengthScale, p.room, p.tilt,
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
    Bank bank(out.size(), p.tilt);

    addEvent(bank, out, noise, p, s, 0, p.eventLevel * noise.jitter(0.1));
    // How long the finger takes from the bump or click to the bottom varies from stroke to stroke.
    const double bottom = p.mechanism == M::Linear ? 0 : p.bottomOutDelay * noise.jitter(0.15);
    addImpact(bank, out, noise, layout, p, s, bottom, noise.jitter(0.1), 1.0, 1.0);
    addSpring(out, noise, p, bottom, p.springLevel);
    addRattle(bank, noise, p, s, bottom, 1.0);
    bank.burst(noise, bottom, 700, 1.3, 0.03 * p.lengthScale, p.room); // the desk and the room answer
    bank.renderInto(out, noise);
    finish(out);
    return out;
}

std::vector<float> StrokeSynth::release(KeyShape shape, int variant) const
{
    const SwitchProfile &p = m_profile;
    const ShapeTraits s = traits(shape);
    Noise noise(seedFor(shape, false, variant));
    const Noise layout(seedFor(KeyShape::Standard, false, -1));
    std::vector<float> out(static_cast<std::size_t>(s.seconds * 0.8 * p.lengthScale * fs), 0.0f);
    Bank bank(out.size(), p.tilt);

    // A strong snap-back (click jackets, bars) is heard just before the stem tops out; a faint
    // one merges with the top-out. The top-out is a lighter, brighter impact with little case.
    addEvent(bank, out, noise, p, s, 0, p.releaseEventLevel * noise.jitter(0.1));
    const double top = p.releaseEventLevel >= 0.5 * p.upstrokeLevel ? 0.004 * noise.jitter(0.3) : 0;
    addImpact(bank, out, noise, layout, p, s, top, p.upstrokeLevel * noise.jitter(0.1), 1.25 * p.upstrokeBrightness, 0.4);
    addSpring(out, noise, p, top, 0.7 * p.springLevel);
    addRattle(bank, noise, p, s, top, 0.7);
    bank.burst(noise, top, 700, 1.3, 0.02 * p.lengthScale, 0.6 * p.room * p.upstrokeLevel);
    bank.renderInto(out, noise);
    finish(out);
    return out;
}

} // namespace plinkum
