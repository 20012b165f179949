#include "audio/OfflineRenderer.h"
#include "audio/OutputRouting.h"
#include "audio/PipeWireSink.h"
#include "audio/SoundEngine.h"
#include "audio/SoundServer.h"
#include "tests/support/TestPacks.h"
#include "audio/WavFileOutput.h"

#include <QtTest>

#include <spa/utils/dict.h>

#include <cmath>
#include <numbers>
#include <random>
#include <thread>

using namespace plinkum;
using Sink = OutputRouting::Sink;
using Port = OutputRouting::Port;
using PortType = OutputRouting::PortType;

Q_DECLARE_METATYPE(std::vector<OutputRouting::Sink>)
Q_DECLARE_METATYPE(plinkum::InputEvent)

namespace {

Sink sink(std::string name, std::string formFactor, std::string bus, std::string busPath = {}, std::vector<Port> ports = {},
          std::string activePort = {})
{
    return {std::move(name), std::move(formFactor), std::move(bus), std::move(busPath), {}, std::move(ports), std::move(activePort)};
}

constexpr KeyCode keyA = 0;
constexpr KeyCode keyS = 1;
constexpr KeyCode escape = 53;
constexpr KeyCode rightArrow = 124;

const float centreGain = std::cos(std::numbers::pi_v<float> / 4.0f);

OfflineRenderer::Options options(std::uint64_t seed, bool stereo = false)
{
    OfflineRenderer::Options o;
    o.seed = seed;
    o.stereo = stereo;
    o.volume = 1.0f;
    return o;
}

LoadedPackPtr pack(LoadedPack::CategoryMap down, LoadedPack::CategoryMap up = {}, LoadedPack::KeyMap keys = {})
{
    return std::make_shared<LoadedPack>(PackInfo{}, std::move(down), std::move(up), std::move(keys), LoadedPack::KeyMap{});
}

} // namespace

class TestSoundEngine : public QObject {
    Q_OBJECT

private slots:
    void pan_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("stereo");
        QTest::addColumn<float>("expectedPan");
        QTest::newRow("escape left") << int(escape) << true << -0.6f;
        QTest::newRow("right arrow right") << int(rightArrow) << true << 0.6f;
        QTest::newRow("keypad 5 has no position") << 87 << true << 0.0f;
        QTest::newRow("escape, stereo off") << int(escape) << false << 0.0f;
    }
    // Played on the one voice, which has just played Escape hard left: every play sets its pan.
    void pan()
    {
        QFETCH(int, key);
        QFETCH(bool, stereo);
        QFETCH(float, expectedPan);
        auto o = options(7, true);
        o.voiceCount = 1;
        OfflineRenderer renderer(TestPacks::uniform(), o);
        renderer.play(InputEvent::keyDown(escape));
        renderer.renderUntil(100);
        auto config = renderer.engine().config();
        config.stereo = stereo;
        renderer.engine().setConfig(config);
        renderer.play(InputEvent::keyDown(KeyCode(key)));
        renderer.renderUntil(100 + Mixer::fadeFrames + 1); // Escape has faded out
        const float left = renderer.samples()[2 * 100 + 2 * Mixer::fadeFrames];
        const float right = renderer.samples()[2 * 100 + 2 * Mixer::fadeFrames + 1];
        const auto [expectedLeft, expectedRight] = Mixer::panGains(expectedPan);
        QVERIFY(std::abs(left / right - expectedLeft / expectedRight) < 1e-4f);
        // Equal power: only the jitter changes the total.
        const float power = std::sqrt(left * left + right * right);
        QVERIFY(power >= 0.85f - 1e-5f && power <= 1.0f + 1e-5f);
    }

    // 24 voices in rotation: the 25th sound takes the first voice, fading its long sound out.
    void twentyFifthPlayCutsTheFirstVoice()
    {
        const SamplePtr blip = TestPacks::constant({0.25f}, 50);
        OfflineRenderer renderer(pack({{KeyCategory::Standard, {blip}}}, {},
                                      {{keyA, {TestPacks::constant({0.5f}, 48000)}}, {keyS, {TestPacks::constant({0.0f}, 50)}}}), options(11));
        renderer.play(InputEvent::keyDown(keyA));
        for (int i = 0; i < 23; ++i)
            renderer.play(InputEvent::keyDown(KeyCode(2 + i))); // d, f, h, … all standard keys
        QCOMPARE(renderer.engine().nextVoice(), std::size_t(0));
        renderer.renderUntil(1000);
        const float held = renderer.samples()[2 * 999];
        QVERIFY(held > 0.25f); // the long sound still plays, the blips are over

        renderer.play(InputEvent::keyDown(keyS));
        QCOMPARE(renderer.engine().nextVoice(), std::size_t(1));
        renderer.renderUntil(1000 + 2 * Mixer::fadeFrames);
        QCOMPARE(renderer.samples()[2 * (renderer.frame() - 1)], 0.0f);
        float step = 0.0f;
        for (std::size_t i = 2 * 1000; i < renderer.samples().size(); ++i)
            step = std::max(step, std::abs(renderer.samples()[i] - renderer.samples()[i - 2]));
        QVERIFY2(step < held / 16, "the cut-off voice stops with a click");
    }

    void rotation_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("playKeyUp");
        QTest::addColumn<float>("volume");
        QTest::addColumn<InputEvent>("event");
        QTest::addColumn<bool>("advances");
        QTest::addColumn<bool>("audible");
        const InputEvent press = InputEvent::keyDown(keyA), release = InputEvent::keyUp(keyA);
        QTest::newRow("disabled press") << false << true << 1.0f << press << false << false;
        QTest::newRow("release with key-up off") << true << false << 1.0f << release << false << false;
        QTest::newRow("press with key-up off") << true << false << 1.0f << press << true << true;
        QTest::newRow("volume 0") << true << true << 0.0f << press << true << false;
    }
    void rotation()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, playKeyUp);
        QFETCH(float, volume);
        QFETCH(InputEvent, event);
        QFETCH(bool, advances);
        OfflineRenderer renderer(TestPacks::uniform(), options(5));
        renderer.play(InputEvent::keyDown(keyA));
        auto config = renderer.engine().config();
        config.enabled = enabled;
        config.playKeyUp = playKeyUp;
        config.volume = volume;
        renderer.engine().setConfig(config);
        renderer.renderUntil(6000); // the first sound is over

        renderer.play(event);
        renderer.renderUntil(6001);
        QCOMPARE(renderer.engine().nextVoice(), std::size_t(advances ? 2 : 1));
        QTEST(renderer.samples()[2 * 6000] != 0.0f, "audible");
    }

    // Which pack a click sounds from, at the mouse volume (0.5 here; keys at 1). Levels: the
    // keyboard pack's standard key 0.1 (release 0.05), its own left button 0.3; the mouse pack's
    // left button 0.6, release 0.4, no middle button.
    void clicks_data()
    {
        QTest::addColumn<bool>("keyboardHasClicks");
        QTest::addColumn<bool>("mousePack");
        QTest::addColumn<bool>("fromKeyboard");
        QTest::addColumn<bool>("lend");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<InputEvent>("event");
        QTest::addColumn<float>("level");
        const InputEvent left = InputEvent::button(PointerButton::Left, true);
        QTest::newRow("mouse pack") << false << true << false << false << true << left << 0.6f;
        QTest::newRow("mouse pack, release") << false << true << false << false << true << InputEvent::button(PointerButton::Left, false) << 0.4f * SoundEngine::keyUpGain;
        QTest::newRow("a button the pack lacks sounds as left") << false << true << false << false << true << InputEvent::button(PointerButton::Middle, true) << 0.6f;
        QTest::newRow("mouse pack still loading: silent") << true << false << false << true << true << left << 0.0f;
        QTest::newRow("keyboard pack's own clicks") << true << true << true << false << true << left << 0.3f;
        QTest::newRow("keyboard pack lends its key sound") << false << false << true << true << true << left << 0.1f;
        QTest::newRow("lent release") << false << false << true << true << true << InputEvent::button(PointerButton::Right, false) << 0.05f * SoundEngine::keyUpGain;
        QTest::newRow("not lent unless chosen") << false << false << true << false << true << left << 0.0f;
        QTest::newRow("sounds off") << false << true << false << false << false << left << 0.0f;
    }
    void clicks()
    {
        QFETCH(bool, keyboardHasClicks);
        QFETCH(bool, mousePack);
        QFETCH(InputEvent, event);
        QFETCH(float, level);
        LoadedPack::ButtonMap keyboardClicks, mouseDown, mouseUp;
        if (keyboardHasClicks)
            keyboardClicks[0] = {TestPacks::constant({0.3f}, 50)};
        mouseDown[0] = {TestPacks::constant({0.6f}, 50)};
        mouseUp[0] = {TestPacks::constant({0.4f}, 50)};
        auto keyboard = std::make_shared<LoadedPack>(PackInfo{}, LoadedPack::CategoryMap{{KeyCategory::Standard, {TestPacks::constant({0.1f}, 50)}}},
                                                     LoadedPack::CategoryMap{{KeyCategory::Standard, {TestPacks::constant({0.05f}, 50)}}},
                                                     LoadedPack::KeyMap{}, LoadedPack::KeyMap{}, keyboardClicks);
        auto o = options(3);
        o.mouseVolume = 0.5f;
        if (mousePack)
            o.mousePack = std::make_shared<LoadedPack>(PackInfo{}, LoadedPack::CategoryMap{}, LoadedPack::CategoryMap{}, LoadedPack::KeyMap{},
                                                       LoadedPack::KeyMap{}, mouseDown, mouseUp);
        OfflineRenderer renderer(keyboard, o);
        auto config = renderer.engine().config();
        QFETCH(bool, fromKeyboard);
        QFETCH(bool, lend);
        QFETCH(bool, enabled);
        config.mouseFromKeyboardPack = fromKeyboard;
        config.lendKeySound = lend;
        config.enabled = enabled;
        config.playKeyUp = false; // a click's release is the mouse pack's to give
        renderer.engine().setConfig(config);
        renderer.play(event);
        renderer.renderUntil(1);
        const float ratio = renderer.samples()[0] / (level * 0.5f * centreGain);
        QVERIFY2(level == 0.0f ? renderer.samples()[0] == 0.0f : ratio >= 0.85f - 1e-5f && ratio <= 1.0f + 1e-5f,
                 qPrintable(QString::number(renderer.samples()[0])));
    }

    void silentWithoutPack()
    {
        OfflineRenderer noPack(nullptr, options(1));
        noPack.play(InputEvent::keyDown(keyA));
        QCOMPARE(noPack.engine().nextVoice(), std::size_t(0));
    }

    // Every event sounds at its frame; a reference generator with the same seeded draws predicts each sound.
    void drawsFollowTheSeededReference_data()
    {
        QTest::addColumn<bool>("pitchVariation");
        QTest::addColumn<quint64>("seed");
        QTest::newRow("pitch variation, seed 1") << true << quint64(1);
        QTest::newRow("pitch variation, seed 2026") << true << quint64(2026);
        QTest::newRow("unshifted, seed 7") << false << quint64(7);
    }
    void drawsFollowTheSeededReference()
    {
        QFETCH(bool, pitchVariation);
        QFETCH(quint64, seed);
        constexpr std::size_t sampleCount = 3, variantCount = 5;
        const auto level = [](std::size_t sample, std::size_t variant) {
            return float(1 + variantCount * sample + variant) / 16.0f;
        };
        SampleList list;
        for (std::size_t i = 0; i < sampleCount; ++i)
            list.push_back(TestPacks::constant({level(i, 0), level(i, 1), level(i, 2), level(i, 3), level(i, 4)}, 10));
        const auto sequence = KeySequence::parse(
            "a:down@0 a:up@20 s:down@40 space:down@60 s:up@80 space:up@100 return:down@120 return:up@140 "
            "a:down@160 a:up@180 d:down@200 d:up@220");
        QVERIFY(sequence);
        auto o = options(seed);
        o.pitchVariation = pitchVariation;
        const std::vector<float> out = OfflineRenderer::render(pack({{KeyCategory::Standard, list}}, {{KeyCategory::Standard, list}}), *sequence, o);
        QCOMPARE(out.size(), 2 * (OfflineRenderer::frameAt(220) + 48000)); // one second after the last event

        std::mt19937_64 reference(seed);
        for (const KeySequence::Event &event : sequence->events()) {
            const std::size_t sample = std::uniform_int_distribution<std::size_t>(0, sampleCount - 1)(reference);
            const std::size_t variant = pitchVariation ? std::uniform_int_distribution<std::size_t>(0, variantCount - 1)(reference) : 2;
            const std::uint32_t r = std::uniform_int_distribution<std::uint32_t>(0, 1u << 24)(reference);
            const float jitter = r == 1u << 24 ? 1.0f : 0.85f + float(r) * 0x1p-24f * (1.0f - 0.85f);
            const float expected = level(sample, variant) * jitter * (event.input.down ? 1.0f : SoundEngine::keyUpGain) * centreGain;
            const std::size_t frame = OfflineRenderer::frameAt(event.milliseconds);
            const float heard = out[2 * frame];
            QVERIFY(frame == 0 || out[2 * (frame - 1)] == 0.0f); // not a frame early
            QVERIFY2(std::abs(heard - expected) < 1e-6f,
                     qPrintable(QString("event at %1 ms: heard %2, expected %3").arg(event.milliseconds).arg(heard).arg(expected)));
        }
    }

    // A released pack lives while a voice plays it; freed by the owner's call, never by play.
    void retiredPackFreedOnceUnreachable()
    {
        LoadedPackPtr first = TestPacks::uniform(1000);
        const std::weak_ptr<const LoadedPack> watch = first;
        OfflineRenderer renderer(std::move(first), options(4));
        renderer.play(InputEvent::keyDown(keyA));
        renderer.renderUntil(10);
        renderer.engine().setPack(TestPacks::uniform());
        renderer.renderUntil(500);
        QVERIFY(renderer.engine().releaseRetiredPacks() && !watch.expired());
        QVERIFY(renderer.samples()[2 * 499] > 0.0f);

        renderer.renderUntil(1100);
        renderer.play(InputEvent::keyDown(keyA));
        QVERIFY(!watch.expired());
        QVERIFY(!renderer.engine().releaseRetiredPacks());
        QVERIFY(watch.expired());
    }

    // A stream lost during a pack switch: reset must not drop the pack a racing start still needs.
    void startQueuedDuringResetKeepsItsPack()
    {
        constexpr std::size_t voices = 300000;
        const SamplePtr sound = TestPacks::constant({0.5f}, 4800);
        std::vector<float> block(2 * 64);
        int landedMidReset = 0;
        for (int attempt = 0; attempt < 50 && landedMidReset < 3; ++attempt) {
            Mixer mixer(voices);
            mixer.startVoice(0, sound->variants[0], 1.0f, 0.0f, 1);
            mixer.startVoice(voices / 2, sound->variants[0], 1.0f, 0.0f, 1);
            mixer.render(block.data(), 64);
            QVERIFY(mixer.isPlaying(0) && mixer.isPlaying(voices / 2));

            std::thread output([&mixer] { mixer.reset(); });
            while (mixer.isPlaying(0)) { // voice 0 goes quiet once the drain is over
            }
            mixer.startVoice(1, sound->variants[0], 1.0f, 0.0f, 1);
            mixer.setGeneration(2);
            landedMidReset += mixer.isPlaying(voices / 2);
            output.join();
            QCOMPARE(mixer.oldestReachableGeneration(), std::uint64_t(1));
        }
        QVERIFY2(landedMidReset > 0, "no try landed while reset was silencing voices");
    }

    void parseSequence_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // "code/d|u/ms ..." or "event N" for the error's position
        QTest::newRow("names, extra spaces") << " escape:down@1  right:down@2 lshift:up@3 " << "53/d/1 124/d/2 56/u/3";
        QTest::newRow("digits are keys, not codes") << "1:down@0 0:down@5" << "18/d/0 29/d/5";
        QTest::newRow("sorted by time, ties keep order") << "s:up@50 a:down@10 d:down@50" << "0/d/10 1/u/50 2/d/50";
        QTest::newRow("unknown name names its event") << "a:down@0 a:up@5 shift:down@9" << "event 3";
        QTest::newRow("code beyond 16 bits") << "65536:down@0" << "event 1";
        QTest::newRow("later than ten minutes") << "a:down@600001" << "event 1";
        QTest::newRow("mouse buttons") << "mouse-left:down@0 mouse-forward:up@5 a:down@7" << "b0/d/0 b4/u/5 0/d/7";
        QTest::newRow("the wheel is no button") << "mouse-left:down@0 mouse-wheel:down@5" << "event 2";
    }
    void parseSequence()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        std::string error;
        const auto sequence = KeySequence::parse(text.toStdString(), &error);
        if (expected.startsWith("event ")) {
            QVERIFY(!sequence);
            QVERIFY2(QString::fromStdString(error).startsWith(expected + ' '), error.c_str());
            return;
        }
        QVERIFY2(sequence, error.c_str());
        QStringList got;
        for (const auto &e : sequence->events())
            got << QString("%1%2/%3/%4").arg(e.input.isKey() ? "" : "b").arg(e.input.code).arg(e.input.down ? "d" : "u").arg(e.milliseconds);
        QCOMPARE(got.join(' '), expected);
    }

    // The clock thread pulls blocks from the mixer in real time and the file gets what played.
    void wavFileRecordsWhatPlays()
    {
        QVERIFY(!SoundEngine(24, std::make_unique<WavFileOutput>("/nonexistent-dir/out.wav"), 1).start());

        QTemporaryDir dir;
        const QString path = dir.filePath("out.wav");
        {
            SoundEngine engine(24, std::make_unique<WavFileOutput>(path.toStdString()), 1);
            engine.setPack(TestPacks::uniform(2400));
            QVERIFY(engine.start());
            engine.play(InputEvent::keyDown(0));
            QTest::qWait(200);
        }
        SF_INFO info{};
        const std::vector<float> samples = TestPacks::readWav(path, info);
        QCOMPARE(info.samplerate, 48000);
        QCOMPARE(info.channels, 2);
        QVERIFY(info.frames >= 4800); // about 200 ms of blocks, whatever the machine's load
        QVERIFY(std::any_of(samples.begin(), samples.end(), [](float s) { return s > 0.3f; }));
    }

    // PipeWire spells device properties with dashes, and an ALSA node may leave them to its device.
    void pipeWireSinkProperties()
    {
        const spa_dict_item nodeItems[] = {{"node.name", "alsa_output.pci"}, {"device.profile.name", "analog-stereo"}, {"device.bus", "pci"}};
        const spa_dict_item deviceItems[] = {{"device.form-factor", "internal"}, {"device.bus", "usb"},
                                             {"device.bus-path", "pci-0000:00:1f.3"}, {"device.form_factor", "headset"}};
        const spa_dict node = SPA_DICT_INIT_ARRAY(nodeItems);
        const spa_dict device = SPA_DICT_INIT_ARRAY(deviceItems);

        const Sink withDevice = pipeWireSink(node, &device);
        QCOMPARE(withDevice.name, std::string("alsa_output.pci"));
        QCOMPARE(withDevice.formFactor, std::string("internal"));
        QCOMPARE(withDevice.bus, std::string("pci")); // the node's own value wins
        QCOMPARE(withDevice.busPath, std::string("pci-0000:00:1f.3"));
        QCOMPARE(withDevice.profileName, std::string("analog-stereo"));
        QCOMPARE(OutputRouting::builtInSink({withDevice}).value_or(""), std::string("alsa_output.pci"));

        const Sink alone = pipeWireSink(node, nullptr);
        QVERIFY(alone.formFactor.empty() && alone.busPath.empty());
    }

    // Which server the session runs, from its sockets and who serves them.
    void soundServerChosen_data()
    {
        QTest::addColumn<QString>("override");
        QTest::addColumn<QString>("pulseServer");
        QTest::addColumn<QString>("pipeWireOwner"); // empty: nobody listens
        QTest::addColumn<QString>("pulseOwner");
        QTest::addColumn<bool>("pipeWire");
        QTest::newRow("pipewire with its pulse emulation") << "" << "" << "pipewire" << "pipewire-pulse" << true;
        QTest::newRow("pipewire without pulse emulation") << "" << "" << "pipewire" << "" << true;
        QTest::newRow("pulseaudio daemon beside pipewire") << "" << "" << "pipewire" << "pulseaudio" << false;
        QTest::newRow("pulse socket of an unknown owner") << "" << "" << "pipewire" << "?" << false;
        QTest::newRow("no pipewire") << "" << "" << "" << "pulseaudio" << false;
        QTest::newRow("pulse server named") << "" << "unix:/tmp/x" << "pipewire" << "pipewire-pulse" << false;
        QTest::newRow("asked for pulseaudio") << "pulseaudio" << "" << "pipewire" << "pipewire-pulse" << false;
        QTest::newRow("asked for pipewire") << "pipewire" << "unix:/tmp/x" << "" << "pulseaudio" << true;
    }
    void soundServerChosen()
    {
        QFETCH(QString, override);
        QFETCH(QString, pulseServer);
        QFETCH(QString, pipeWireOwner);
        QFETCH(QString, pulseOwner);
        SoundServer::Environment environment;
        environment.override = override.toStdString();
        environment.pulseServer = pulseServer.toStdString();
        environment.runtimeDir = "/run/user/1000";
        const auto owner = [&](const std::string &path) -> std::optional<std::string> {
            const QString who = path == "/run/user/1000/pipewire-0" ? pipeWireOwner
                : path == "/run/user/1000/pulse/native"             ? pulseOwner
                                                                    : QString();
            if (who.isEmpty())
                return std::nullopt;
            return who == "?" ? std::string() : who.toStdString();
        };
        QTEST(SoundServer::choose(environment, owner) == SoundServer::Kind::PipeWire, "pipeWire");
    }

    // Which sink counts as built-in (routing against a real daemon is in tst_serveroutputs).
    void builtInSink_data()
    {
        QTest::addColumn<std::vector<Sink>>("sinks");
        QTest::addColumn<QString>("expected"); // empty: none
        const Sink headset = sink("usb-headset", "headset", "usb");
        const Sink internal = sink("laptop", "internal", "pci");
        const Sink hdmi = sink("hdmi", "internal", "pci", {}, {{"hdmi-output-0", PortType::Hdmi, false}}, "hdmi-output-0");
        const Sink speakers = sink("analog", "internal", "pci", {},
                                   {{"analog-output-speaker", PortType::Speaker, false}, {"analog-output-headphones", PortType::Headphones, true}},
                                   "analog-output-speaker");
        const Sink unplugged = sink("a", "internal", "pci", {}, {{"analog-output-speaker", PortType::Speaker, true}});
        Sink spdifProfile = sink("spdif", "internal", "pci");
        spdifProfile.profileName = "iec958-stereo";
        QTest::newRow("internal form factor after an external") << std::vector{headset, internal} << "laptop";
        QTest::newRow("hdmi of the integrated gpu is not speakers") << std::vector{hdmi, headset} << "";
        QTest::newRow("s/pdif profile is not speakers") << std::vector{spdifProfile} << "";
        QTest::newRow("speaker port preferred over first") << std::vector{internal, speakers} << "analog";
        QTest::newRow("usb with internal form factor") << std::vector{sink("dock", "internal", "usb")} << "";
        QTest::newRow("no form factor, main pci bus") << std::vector{sink("pci", "", "pci", "pci-0000:00:1f.3")} << "pci";
        QTest::newRow("no form factor, platform device without a bus") << std::vector{sink("soc", "", "", "platform-sound")} << "soc";
        QTest::newRow("no form factor, add-in pci card") << std::vector{sink("card", "", "pci", "pci-0000:03:00.1")} << "";
        QTest::newRow("unplugged speaker port is no speaker") << std::vector{unplugged, speakers} << "analog";
    }
    void builtInSink()
    {
        QFETCH(std::vector<Sink>, sinks);
        QTEST(QString::fromStdString(OutputRouting::builtInSink(sinks).value_or("")), "expected");
    }
};

QTEST_GUILESS_MAIN(TestSoundEngine)
#include "tst_soundengine.moc"
