#include "SoundMeasure.h"
#include "StrokeSynth.h"
#include "SwitchProfile.h"

#include <QtTest>

#include <cmath>
#include <complex>
#include <numbers>

using namespace plinkum;
using Shape = StrokeSynth::KeyShape;

namespace {

constexpr int rate = StrokeSynth::sampleRate;

const SwitchProfile &profile(const QString &folder)
{
    for (const auto &p : switchProfiles())
        if (p.folder == folder)
            return p;
    qFatal("no profile %s", qPrintable(folder));
}

// The slope of a sound's spectral shape over the bands: higher for brighter sounds.
double brightness(const std::vector<float> &frames)
{
    const auto shape = SoundMeasure::spectralShape(frames, 1, rate);
    double slope = 0;
    for (std::size_t i = 0; i < shape.size(); ++i)
        slope += (i - (shape.size() - 1) / 2.0) * shape[i];
    return slope;
}

std::vector<float> joined(const StrokeSynth &synth, Shape shape)
{
    std::vector<float> out;
    for (int i = 0; i < 8; ++i) {
        const auto press = synth.press(shape, i);
        out.insert(out.end(), press.begin(), press.end());
    }
    return out;
}

// How far the strongest spectral line of the first 100 ms stands above the mean of the half
// octave around it, in dB: a broadband impact stays near 10 dB, a ringing tone goes far above.
double tonality(const std::vector<float> &frames)
{
    const std::size_t n = std::min<std::size_t>(frames.size(), rate / 10);
    const double binHz = 10;
    std::vector<double> power;
    for (double f = 300; f < 15000; f += binHz) {
        std::complex<double> sum = 0;
        const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi * f / rate);
        std::complex<double> w = 1;
        for (std::size_t i = 0; i < n; ++i, w *= step)
            sum += double(frames[i]) * w;
        power.push_back(std::norm(sum));
    }
    double worst = 0;
    for (std::size_t i = 0; i < power.size(); ++i) {
        const double f = 300 + i * binHz;
        const auto lo = static_cast<std::size_t>(std::max(0.0, (f / std::pow(2.0, 0.25) - 300) / binHz));
        const auto hi = std::min(power.size(), static_cast<std::size_t>((f * std::pow(2.0, 0.25) - 300) / binHz));
        double mean = 0;
        for (std::size_t k = lo; k < hi; ++k)
            mean += power[k] / (hi - lo);
        worst = std::max(worst, 10 * std::log10(power[i] / mean));
    }
    return worst;
}

// Share of the energy that comes later than `seconds`.
double lateEnergy(const std::vector<float> &frames, double seconds)
{
    double late = 0, total = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        total += double(frames[i]) * frames[i];
        if (i >= seconds * rate)
            late += double(frames[i]) * frames[i];
    }
    return late / total;
}

// RMS in 0.5 ms frames.
std::vector<double> envelope(const std::vector<float> &frames)
{
    const int step = rate / 2000;
    std::vector<double> out;
    for (std::size_t i = 0; i + step <= frames.size(); i += step) {
        double sum = 0;
        for (int k = 0; k < step; ++k)
            sum += double(frames[i + k]) * frames[i + k];
        out.push_back(std::sqrt(sum / step));
    }
    return out;
}

} // namespace

class TestStrokeSynth : public QObject {
    Q_OBJECT

private slots:
    void perSwitch_data()
    {
        QTest::addColumn<QString>("folder");
        for (const auto &p : switchProfiles())
            QTest::newRow(qPrintable(p.folder)) << p.folder;
    }

    // Every press and release is a sound, the same on every run and different per alternative;
    // it is an impact, not a tone: no spectral line stands out and it has died away within
    // 60 ms (longer for the loose vintage mechanisms); the long space bar sounds darker (bump,
    // click and spring, inside the switch, do not move); where a bump or click leads the press,
    // the bottom-out follows where the switch puts it.
    void perSwitch()
    {
        QFETCH(QString, folder);
        const SwitchProfile &p = profile(folder);
        const StrokeSynth synth(p);
        for (const auto &sound : {synth.press(Shape::Standard, 0), synth.release(Shape::Standard, 0)}) {
            QVERIFY(SoundMeasure::peak(sound) > 0.05f);
            QVERIFY(tonality(sound) < 22);
            QVERIFY(lateEnergy(sound, 0.06 * p.lengthScale) < 0.05);
        }
        QVERIFY(StrokeSynth(p).press(Shape::Standard, 0) == synth.press(Shape::Standard, 0));
        QVERIFY(synth.press(Shape::Standard, 0) != synth.press(Shape::Standard, 1));
        QVERIFY(synth.press(Shape::Standard, 0) != synth.release(Shape::Standard, 0));
        SwitchProfile impactOnly = p;
        impactOnly.eventLevel = 0;
        impactOnly.springLevel = 0;
        impactOnly.stabiliserRattle = 0;
        const StrokeSynth impact(impactOnly);
        QVERIFY(brightness(joined(impact, Shape::Space)) < brightness(joined(impact, Shape::Standard)));
        if (p.bottomOutDelay < 0.008)
            return;
        const auto env = envelope(synth.press(Shape::Standard, 0));
        const auto at = [&](double seconds) { return static_cast<std::size_t>(seconds * 2000); };
        const double valley = *std::min_element(env.begin() + at(0.003), env.begin() + at(p.bottomOutDelay * 0.8));
        const double second = *std::max_element(env.begin() + at(p.bottomOutDelay * 0.8), env.begin() + at(p.bottomOutDelay * 1.2 + 0.002));
        QVERIFY2(second > 1.5 * valley, qPrintable(QStringLiteral("valley %1, bottom-out %2").arg(valley).arg(second)));
    }

    // Stabilised keys keep ticking after the cap lands: more late treble (where the wire's ticks
    // are) than without.
    void stabilisersRattle()
    {
        SwitchProfile quiet = profile("alpaca");
        quiet.stabiliserRattle = 0;
        const auto lateTreble = [](const std::vector<float> &frames) {
            double sum = 0;
            for (std::size_t i = rate * 5 / 1000; i < rate * 14 / 1000; ++i) {
                const double d = double(frames[i + 1]) - 2.0 * frames[i] + frames[i - 1];
                sum += d * d;
            }
            return sum;
        };
        QVERIFY(lateTreble(StrokeSynth(profile("alpaca")).press(Shape::Space, 0))
                > 1.5 * lateTreble(StrokeSynth(quiet).press(Shape::Space, 0)));
    }

    // The shape ignores level, and tells a dark sound from a bright one.
    void spectralShape()
    {
        const auto bright = StrokeSynth(profile("alps-blue")).press(Shape::Standard, 0);
        const auto dark = StrokeSynth(profile("black-ink")).press(Shape::Standard, 0);
        std::vector<float> louder = bright;
        for (float &x : louder)
            x *= 4;
        const auto shape = SoundMeasure::spectralShape(bright, 1, rate);
        QCOMPARE(shape.size(), std::size_t(SoundMeasure::shapeBands));
        QVERIFY(SoundMeasure::spectralDistance(shape, SoundMeasure::spectralShape(louder, 1, rate)) < 1e-6);
        QVERIFY(SoundMeasure::spectralDistance(shape, SoundMeasure::spectralShape(dark, 1, rate)) > 1.0);
        QVERIFY(brightness(dark) < brightness(bright));
    }

    void onset_data()
    {
        QTest::addColumn<int>("silentFrames");
        QTest::newRow("at once") << 0;
        QTest::newRow("after 10 ms") << 480;
    }

    void onset()
    {
        QFETCH(int, silentFrames);
        std::vector<float> frames(silentFrames, 0.001f);
        for (int i = 0; i < 480; ++i)
            frames.push_back(static_cast<float>(std::exp(-i / 50.0) * (i % 2 ? 0.8 : -0.8)));
        QCOMPARE(SoundMeasure::onsetSeconds(frames, 48000), silentFrames / 48000.0);
    }
};

QTEST_GUILESS_MAIN(TestStrokeSynth)
#include "tst_strokesynth.moc"
