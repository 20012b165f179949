#include "PackWriter.h"
#include "SoundMeasure.h"
#include "StrokeSynth.h"
#include "SwitchProfile.h"

#include <QtTest>

#include <cmath>

using namespace plinkum;
using Shape = StrokeSynth::KeyShape;

namespace {

const SwitchProfile &profile(const QString &folder)
{
    for (const auto &p : switchProfiles())
        if (p.folder == folder)
            return p;
    qFatal("no profile %s", qPrintable(folder));
}

// Energy-weighted mean frequency over the third-octave bands, in band steps.
double centroid(const std::vector<std::vector<float>> &sounds)
{
    const auto levels = SoundMeasure::bandLevels(sounds, StrokeSynth::sampleRate);
    double weighted = 0, total = 0;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const double energy = std::pow(10.0, levels[i] / 10);
        weighted += i * energy;
        total += energy;
    }
    return weighted / total;
}

std::vector<std::vector<float>> presses(const SwitchProfile &p, Shape shape)
{
    const StrokeSynth synth(p);
    return {synth.press(shape, 0), synth.press(shape, 1), synth.press(shape, 2)};
}

// RMS in 0.5 ms frames.
std::vector<double> envelope(const std::vector<float> &frames)
{
    const int step = StrokeSynth::sampleRate / 2000;
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
    void sameInputSameSound()
    {
        const StrokeSynth a(profile("mx-red")), b(profile("mx-red"));
        QVERIFY(a.press(Shape::Space, 1) == b.press(Shape::Space, 1));
        QVERIFY(a.press(Shape::Standard, 0) != a.press(Shape::Standard, 1));
        QVERIFY(a.press(Shape::Standard, 0) != a.release(Shape::Standard, 0));
    }

    // PBT caps sound duller and lower than ABS on the same switch.
    void pbtIsDarkerThanAbs()
    {
        QVERIFY(centroid(presses(profile("mx-brown-pbt"), Shape::Standard))
                < centroid(presses(profile("mx-brown-abs"), Shape::Standard)) - 0.5);
    }

    void longKeysRingLower_data()
    {
        QTest::addColumn<QString>("folder");
        for (const auto &p : switchProfiles())
            QTest::newRow(qPrintable(p.folder)) << p.folder;
    }

    // Caps Lock has a longer cap and no stabiliser, so only the cap's length tells it apart.
    void longKeysRingLower()
    {
        QFETCH(QString, folder);
        const SwitchProfile &p = profile(folder);
        QVERIFY(centroid(presses(p, Shape::Wide)) < centroid(presses(p, Shape::Standard)));
    }

    // A bump or click leads the press and the bottom-out follows where the switch puts it: the
    // envelope rises again near the bottom-out time after falling from the first event.
    void bottomOutFollowsTheEvent_data()
    {
        QTest::addColumn<QString>("folder");
        for (const auto &p : switchProfiles())
            if (p.bottomOutDelay >= 0.008)
                QTest::newRow(qPrintable(p.folder)) << p.folder;
    }

    void bottomOutFollowsTheEvent()
    {
        QFETCH(QString, folder);
        const SwitchProfile &p = profile(folder);
        const auto env = envelope(StrokeSynth(p).press(Shape::Standard, 0));
        const auto at = [&](double seconds) { return static_cast<std::size_t>(seconds * 2000); };
        const double valley = *std::min_element(env.begin() + at(0.003), env.begin() + at(p.bottomOutDelay * 0.85));
        const double second = *std::max_element(env.begin() + at(p.bottomOutDelay * 0.9), env.begin() + at(p.bottomOutDelay * 1.1 + 0.002));
        QVERIFY2(second > 1.5 * valley, qPrintable(QStringLiteral("valley %1, bottom-out %2").arg(valley).arg(second)));
    }

    // Stabilised keys keep ticking after the cap lands: more late high-band energy than without.
    void stabilisersRattle()
    {
        SwitchProfile quiet = profile("mx-red");
        quiet.stabiliserRattle = 0;
        const auto late = [](const std::vector<float> &frames) {
            double sum = 0;
            for (std::size_t i = StrokeSynth::sampleRate * 5 / 1000; i < StrokeSynth::sampleRate * 14 / 1000; ++i)
                sum += double(frames[i]) * frames[i];
            return sum;
        };
        const auto rattling = StrokeSynth(profile("mx-red")).press(Shape::Space, 0);
        const auto still = StrokeSynth(quiet).press(Shape::Space, 0);
        QVERIFY(late(rattling) > 1.2 * late(still));
    }

    void matchLoudness_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("quiet input") << 0.01;
        QTest::newRow("unit input") << 1.0;
        QTest::newRow("hot input") << 4.0;
    }

    void matchLoudness()
    {
        QFETCH(double, scale);
        const StrokeSynth synth(profile("holy-panda"));
        PackWriter writer(QStringLiteral("x"), QStringLiteral("Tactile"), 1);
        for (int i = 0; i < 3; ++i) {
            auto down = synth.press(Shape::Standard, i);
            auto up = synth.release(Shape::Standard, i);
            for (float &x : down)
                x *= static_cast<float>(scale);
            for (float &x : up)
                x *= static_cast<float>(scale);
            writer.addDown(QStringLiteral("standard"), writer.addSound(QStringLiteral("d%1").arg(i), down, StrokeSynth::sampleRate));
            writer.addUp(QStringLiteral("standard"), writer.addSound(QStringLiteral("u%1").arg(i), up, StrokeSynth::sampleRate));
        }
        writer.matchLoudness(-32);
        QVERIFY(std::abs(writer.loudness() + 32) < 0.05);
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
