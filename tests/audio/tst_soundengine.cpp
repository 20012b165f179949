#include "OfflineRenderer.h"
#include "TestPacks.h"

#include <QtTest>

#include <cmath>
#include <numbers>

using namespace plinkum;

namespace {

constexpr KeyCode keyA = 0;
constexpr KeyCode keyS = 1;
constexpr KeyCode escape = 53;
constexpr KeyCode rightArrow = 124;
constexpr KeyCode keypadFive = 87; // not on the panning keyboard

const float centreGain = std::cos(std::numbers::pi_v<float> / 4.0f);

OfflineRenderer::Options options(std::uint64_t seed, bool stereo = false, float volume = 1.0f)
{
    OfflineRenderer::Options o;
    o.seed = seed;
    o.stereo = stereo;
    o.volume = volume;
    return o;
}

// Left and right level of the frame just after one event at frame 0.
std::pair<float, float> firstFrame(LoadedPackPtr pack, const OfflineRenderer::Options &o, KeyCode key, bool down)
{
    OfflineRenderer renderer(std::move(pack), o);
    renderer.play(key, down);
    renderer.renderUntil(1);
    return {renderer.samples()[0], renderer.samples()[1]};
}

float maxStep(const std::vector<float> &samples, std::size_t fromFrame, std::size_t toFrame)
{
    float step = 0.0f;
    for (std::size_t f = fromFrame + 1; f < toFrame; ++f)
        for (std::size_t c = 0; c < 2; ++c)
            step = std::max(step, std::abs(samples[2 * f + c] - samples[2 * (f - 1) + c]));
    return step;
}

} // namespace

class TestSoundEngine : public QObject {
    Q_OBJECT

private slots:
    void releaseIsSevenTenthsOfPress()
    {
        for (std::uint64_t seed = 1; seed <= 20; ++seed) {
            const auto press = firstFrame(testpacks::uniform(), options(seed), keyA, true);
            const auto release = firstFrame(testpacks::uniform(), options(seed), keyA, false);
            QVERIFY(std::abs(release.first / press.first - 0.7f) < 1e-5f);
        }
    }

    void jitterStaysWithinRange()
    {
        float lowest = 2.0f;
        float highest = 0.0f;
        for (std::uint64_t seed = 0; seed < 400; ++seed) {
            const float gain = firstFrame(testpacks::uniform(), options(seed), keyA, true).first / centreGain;
            lowest = std::min(lowest, gain);
            highest = std::max(highest, gain);
        }
        QVERIFY2(lowest >= 0.85f - 1e-6f && highest <= 1.0f + 1e-6f, qPrintable(QString("%1..%2").arg(lowest).arg(highest)));
        // The draw really varies and covers the range.
        QVERIFY(lowest < 0.86f);
        QVERIFY(highest > 0.99f);
    }

    void pan_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("stereo");
        QTest::addColumn<float>("expectedPan");
        QTest::newRow("escape left") << int(escape) << true << -0.6f;
        QTest::newRow("right arrow right") << int(rightArrow) << true << 0.6f;
        QTest::newRow("space centre") << 49 << true << 0.0f;
        QTest::newRow("key without position centre") << int(keypadFive) << true << 0.0f;
        QTest::newRow("escape, stereo off") << int(escape) << false << 0.0f;
        QTest::newRow("right arrow, stereo off") << int(rightArrow) << false << 0.0f;
    }
    void pan()
    {
        QFETCH(int, key);
        QFETCH(bool, stereo);
        QFETCH(float, expectedPan);
        const auto [left, right] = firstFrame(testpacks::uniform(), options(7, stereo), KeyCode(key), true);
        const auto [expectedLeft, expectedRight] = Mixer::panGains(expectedPan);
        QVERIFY(std::abs(left / right - expectedLeft / expectedRight) < 1e-4f);
        // Equal power: the jitter is the only thing that changes the total.
        const float power = std::sqrt(left * left + right * right);
        QVERIFY(power >= 0.85f - 1e-5f && power <= 1.0f + 1e-5f);
    }

    void stereoOffCentresAVoiceThatWasPanned()
    {
        auto o = options(3, true);
        o.voiceCount = 1;
        OfflineRenderer renderer(testpacks::uniform(), o);
        renderer.play(escape, true);
        renderer.renderUntil(100);
        QVERIFY(renderer.samples()[2 * 99] > 2 * renderer.samples()[2 * 99 + 1]);

        auto config = renderer.engine().config();
        config.stereo = false;
        renderer.engine().setConfig(config);
        renderer.play(escape, true);
        renderer.renderUntil(100 + Mixer::fadeFrames + 1);
        const std::size_t last = renderer.frame() - 1;
        QCOMPARE(renderer.samples()[2 * last], renderer.samples()[2 * last + 1]);
    }

    // 24 voices in strict rotation: the 25th sound takes the first voice and cuts off its long
    // sound, with a short fade instead of a click.
    void twentyFifthPlayCutsTheFirstVoice()
    {
        const SamplePtr longSound = testpacks::constant({0.5f}, 48000);
        const SamplePtr blip = testpacks::constant({0.25f}, 50);
        const SamplePtr silence = testpacks::constant({0.0f}, 50);
        auto pack = std::make_shared<LoadedPack>(
            PackInfo{}, LoadedPack::CategoryMap{{KeyCategory::Standard, {blip}}}, LoadedPack::CategoryMap{},
            LoadedPack::KeyMap{{keyA, {longSound}}, {keyS, {silence}}}, LoadedPack::KeyMap{});
        OfflineRenderer renderer(pack, options(11));

        renderer.play(keyA, true);
        for (int i = 0; i < 23; ++i)
            renderer.play(keyCodeOfStandardKey(i), true);
        QCOMPARE(renderer.engine().nextVoice(), std::size_t(0));
        renderer.renderUntil(1000);
        const float held = renderer.samples()[2 * 999];
        QVERIFY(held > 0.25f); // the long sound still plays, the blips are over
        QVERIFY(renderer.engine().mixer().isPlaying(0));

        renderer.play(keyS, true);
        QCOMPARE(renderer.engine().nextVoice(), std::size_t(1));
        renderer.renderUntil(1000 + 2 * Mixer::fadeFrames);
        QCOMPARE(renderer.samples()[2 * (renderer.frame() - 1)], 0.0f);
        QVERIFY2(maxStep(renderer.samples(), 999, renderer.frame()) < held / 16,
                 "the cut-off voice stops with a click");
    }

    void playsThatDoNothingLeaveTheRotation_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("playKeyUp");
        QTest::addColumn<bool>("down");
        QTest::addColumn<bool>("sounds");
        QTest::newRow("disabled press") << false << true << true << false;
        QTest::newRow("disabled release") << false << true << false << false;
        QTest::newRow("release with key-up off") << true << false << false << false;
        QTest::newRow("press with key-up off") << true << false << true << true;
    }
    void playsThatDoNothingLeaveTheRotation()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, playKeyUp);
        QFETCH(bool, down);
        QFETCH(bool, sounds);
        OfflineRenderer renderer(testpacks::uniform(), options(5));
        renderer.play(keyA, true);
        auto config = renderer.engine().config();
        config.enabled = enabled;
        config.playKeyUp = playKeyUp;
        renderer.engine().setConfig(config);
        renderer.renderUntil(6000); // the first sound is over

        renderer.play(keyA, down);
        renderer.renderUntil(6001);
        QCOMPARE(renderer.engine().nextVoice(), std::size_t(sounds ? 2 : 1));
        QCOMPARE(renderer.samples()[2 * 6000] != 0.0f, sounds);
    }

    void silentPlaysWithoutPackOrSamples()
    {
        OfflineRenderer noPack(nullptr, options(1));
        noPack.play(keyA, true);
        QCOMPARE(noPack.engine().nextVoice(), std::size_t(0));

        // Only press sounds: a release finds an empty list.
        const SamplePtr sample = testpacks::constant({1.0f}, 10);
        OfflineRenderer pressOnly(std::make_shared<LoadedPack>(PackInfo{},
                                                               LoadedPack::CategoryMap{{KeyCategory::Standard, {sample}}},
                                                               LoadedPack::CategoryMap{}, LoadedPack::KeyMap{},
                                                               LoadedPack::KeyMap{}),
                                  options(1));
        pressOnly.play(keyA, false);
        QCOMPARE(pressOnly.engine().nextVoice(), std::size_t(0));

        auto o = options(1);
        o.voiceCount = 0;
        OfflineRenderer noVoices(testpacks::uniform(), o);
        noVoices.play(keyA, true);
        noVoices.renderUntil(10);
        QCOMPARE(noVoices.samples()[18], 0.0f);
    }

    void volumeZeroStillAdvances()
    {
        OfflineRenderer renderer(testpacks::uniform(), options(2, true, 0.0f));
        renderer.play(keyA, true);
        renderer.play(keyA, false);
        renderer.renderUntil(100);
        QCOMPARE(renderer.engine().nextVoice(), std::size_t(2));
        QVERIFY(std::all_of(renderer.samples().begin(), renderer.samples().end(), [](float s) { return s == 0.0f; }));
    }

    void unshiftedVariant_data()
    {
        QTest::addColumn<int>("variants");
        QTest::addColumn<float>("expectedLevel");
        QTest::newRow("five") << 5 << 3.0f;
        QTest::newRow("two") << 2 << 2.0f;
        QTest::newRow("one") << 1 << 1.0f;
    }
    void unshiftedVariant()
    {
        QFETCH(int, variants);
        QFETCH(float, expectedLevel);
        const std::vector<float> levels{1, 2, 3, 4, 5};
        auto sample = std::make_shared<Sample>();
        for (int i = 0; i < variants; ++i)
            sample->variants.emplace_back(std::vector<float>(10, levels[i]));
        auto pack = std::make_shared<LoadedPack>(PackInfo{}, LoadedPack::CategoryMap{{KeyCategory::Standard, {sample}}},
                                                 LoadedPack::CategoryMap{}, LoadedPack::KeyMap{}, LoadedPack::KeyMap{});
        QSet<int> seen;
        for (std::uint64_t seed = 0; seed < 30; ++seed) {
            auto o = options(seed);
            o.pitchVariation = false;
            const float gain = firstFrame(pack, o, keyA, true).first / centreGain;
            QVERIFY(gain >= 0.85f * expectedLevel - 1e-4f && gain <= expectedLevel + 1e-4f);
            o.pitchVariation = true;
            seen.insert(int(std::ceil(firstFrame(pack, o, keyA, true).first / centreGain - 1e-4f)));
        }
        QCOMPARE(seen.size(), variants); // with variation on, every variant turns up
    }

    // A pack the engine lets go of stays alive while a voice still plays its buffer and is freed
    // once the mixer can no longer reach it.
    void retiredPackFreedOnceUnreachable()
    {
        LoadedPackPtr first = testpacks::uniform(1000);
        const std::weak_ptr<const LoadedPack> watch = first;
        OfflineRenderer renderer(std::move(first), options(4));
        renderer.play(keyA, true);
        renderer.renderUntil(10);
        renderer.engine().setPack(testpacks::uniform());
        renderer.renderUntil(500);
        renderer.engine().releaseRetiredPacks();
        QVERIFY(!watch.expired());
        QVERIFY(renderer.samples()[2 * 499] > 0.0f);

        renderer.renderUntil(1100);
        renderer.engine().releaseRetiredPacks();
        QVERIFY(watch.expired());
    }

    void sequenceEventsLandOnTheirFrame()
    {
        const auto sequence = KeySequence::parse("a:down@10 a:up@30");
        QVERIFY(sequence);
        auto o = options(9);
        const std::vector<float> out = OfflineRenderer::render(testpacks::uniform(100), *sequence, o);
        QCOMPARE(out.size(), std::size_t(2 * (30 * 48 + 48000)));
        const auto firstSound = std::find_if(out.begin(), out.end(), [](float s) { return s != 0.0f; }) - out.begin();
        QCOMPARE(firstSound / 2, 480);
        QCOMPARE(out[2 * 1439], 0.0f);
        QVERIFY(out[2 * 1440] != 0.0f);
    }

private:
    static KeyCode keyCodeOfStandardKey(int i) { return KeyCode(2 + i); } // d, f, h, … all standard keys
};

QTEST_GUILESS_MAIN(TestSoundEngine)
#include "tst_soundengine.moc"
