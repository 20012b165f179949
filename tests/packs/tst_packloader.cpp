#include "packs/DecodeError.h"
#include "keys/KeyTables.h"
#include "keys/LinuxKeyCodes.h"
#include "packs/PackArchive.h"
#include "packs/PackLoader.h"
#include "packs/SampleCache.h"
#include "packs/SampleDecoding.h"
#include "packs/StagingFolder.h"
#include "tests/support/TestPacks.h"

#include <QTemporaryDir>
#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <linux/input-event-codes.h>
#include <sys/stat.h>

using namespace plinkum;
using namespace plinkum::PackLoader;

using Lengths = QList<qsizetype>;
using Samples = std::vector<float>;

namespace {

Samples ramp(std::size_t count)
{
    Samples samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<float>(i + 1);
    return samples;
}

SampleCache::Loader rampLoader(std::size_t count, int *runs = nullptr)
{
    return [count, runs](std::size_t, QString &) -> std::optional<Samples> {
        if (runs)
            ++*runs;
        return ramp(count);
    };
}

// A pack folder in a temporary directory, with loud 48 kHz WAVs that no trim shortens.
class PackFolder {
public:
    PackFolder() : m_path(m_root.filePath("pack")) { QDir().mkpath(m_path); }

    QString path() const { return m_path; }
    QString root() const { return m_root.path(); }
    QString file(const QString &name) const { return m_path + '/' + name; }

    void tone(const QString &name, std::size_t count = 480) { QVERIFY(TestPacks::writeTone(file(name), count)); }
    void manifest(const QByteArray &json) { QVERIFY(TestPacks::writeText(file("pack.json"), json)); }
    void config(const QByteArray &json) { QVERIFY(TestPacks::writeText(file("config.json"), json)); }

    PackInfo info() const { return PackInfo{"folder:pack", "Pack", std::nullopt, 0, QUrl::fromLocalFile(m_path), false}; }
    LoadResult load() const { return PackLoader::load(info()); }

private:
    QTemporaryDir m_root;
    QString m_path;
};

std::size_t unshiftedFrames(const SampleList &list, std::size_t index = 0)
{
    return list.size() > index ? list[index]->unshifted().frameCount() : 0;
}

} // namespace

// Reading packs: from the documents, through decoding and slicing the audio, to the loaded pack.
class TestPackLoader : public QObject {
    Q_OBJECT

    static QString describe(const LoadedPack::CategoryMap &map)
    {
        QStringList parts;
        for (KeyCategory category : allKeyCategories)
            if (const auto it = map.find(category); it != map.end())
                parts.append(QStringLiteral("%1:%2").arg(QString::fromLatin1(rawValue(category).data())).arg(it->second.size()));
        return parts.join(' ');
    }

private slots:
    // Audio files to samples and their pitch variants, and the cache that shares them.
    void resample_data()
    {
        QTest::addColumn<Samples>("input");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<Samples>("expected");
        QTest::newRow("slower interpolates, holds the last") << Samples{0, 1, 2, 3} << 0.5 << Samples{0, 0.5f, 1, 1.5f, 2, 2.5f, 3, 3};
        QTest::newRow("faster skips") << Samples{0, 1, 2, 3, 4} << 2.0 << Samples{0, 2};
        QTest::newRow("one sample stays") << Samples{7} << 1.04 << Samples{7};
        QTest::newRow("empty stays") << Samples{} << 0.96 << Samples{};
        QTest::newRow("too short for the ratio") << Samples{1, 2} << 4.0 << Samples{};
        QTest::newRow("does not fit a frame count") << Samples{1, 2, 3, 4} << 1e-12 << Samples{};
    }
    void resample()
    {
        QFETCH(Samples, input);
        QFETCH(double, ratio);
        QTEST(PackLoader::resample(input, ratio), "expected");
    }

    void trim_data()
    {
        QTest::addColumn<int>("onset");
        QTest::addColumn<int>("expectedStart"); // index of the original the result starts at
        QTest::newRow("onset at 48 kept whole") << 48 << 0;
        QTest::newRow("onset at 49 keeps 48 before") << 49 << 1;
        QTest::newRow("quiet throughout stays whole") << -1 << 0;
    }
    void trim()
    {
        QFETCH(int, onset);
        QFETCH(int, expectedStart);
        Samples samples(400);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = (i % 2 ? 0.01f : -0.01f); // at the threshold is not louder than it
        if (onset >= 0)
            samples[static_cast<std::size_t>(onset)] = -0.02f; // louder in absolute value
        const Samples trimmed = trimLeadingSilence(samples, 0.01f);
        QCOMPARE(trimmed.size(), samples.size() - static_cast<std::size_t>(expectedStart));
        QVERIFY(std::equal(trimmed.begin(), trimmed.end(), samples.begin() + expectedStart));
    }

    void slice_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("duration");
        QTest::addColumn<int>("first"); // -1: no result at all
        QTest::addColumn<int>("length");
        // The recording is 1000 loud frames (about 20.8 ms).
        QTest::newRow("10 ms for 2.5 ms") << 10.0 << 2.5 << 480 << 120;
        QTest::newRow("negative start clamps") << -5.0 << 1.0 << 0 << 48;
        QTest::newRow("runs past the end") << 20.0 << 100.0 << 960 << 40;
        QTest::newRow("start past the end") << 50.0 << 10.0 << 1000 << 0;
        QTest::newRow("negative duration") << 10.0 << -3.0 << 480 << 0;
        QTest::newRow("start not finite") << std::numeric_limits<double>::quiet_NaN() << 1.0 << -1 << 0;
        QTest::newRow("start beyond 64 bits") << 1e300 << 1.0 << -1 << 0;
        QTest::newRow("duration beyond 64 bits") << 0.0 << 1e300 << -1 << 0;
    }
    void slice()
    {
        QFETCH(double, start);
        QFETCH(double, duration);
        QFETCH(int, first);
        QFETCH(int, length);
        const Samples sound = ramp(1000);
        const std::optional<Samples> window = sliceMilliseconds(&sound, start, 48000, duration);
        QCOMPARE(window.has_value(), first >= 0);
        if (window && length > 0)
            QCOMPARE(window->front(), float(first + 1));
        QCOMPARE(int(window.value_or(Samples()).size()), length);
    }

    void sliceTrimsItsOwnLeadIn()
    {
        Samples sound(1000, 0.0f);
        std::fill(sound.begin() + 600, sound.end(), 0.5f);
        const auto window = sliceMilliseconds(&sound, 10.0, 48000, 5.0); // frames 480..720
        QVERIFY(window);
        QCOMPARE(window->size(), std::size_t(720 - 552));
        QVERIFY(!sliceMilliseconds(nullptr, 0.0, 48000, 10.0));
    }

    void variants_data()
    {
        QTest::addColumn<qsizetype>("count");
        QTest::addColumn<Lengths>("expected");
        QTest::newRow("100 ms") << qsizetype(4800) << Lengths{5000, 4897, 4800, 4705, 4615};
        QTest::newRow("one sample") << qsizetype(1) << Lengths{1, 1, 1, 1, 1};
        QTest::newRow("two samples") << qsizetype(2) << Lengths{2, 2, 2, 1, 1};
        QTest::newRow("none") << qsizetype(0) << Lengths{};
    }
    void variants()
    {
        QFETCH(qsizetype, count);
        QFETCH(Lengths, expected);
        const Samples samples = ramp(static_cast<std::size_t>(count));
        const std::vector<AudioBuffer> made = makeVariants(samples);
        Lengths lengths;
        for (const AudioBuffer &variant : made)
            lengths.append(qsizetype(variant.frameCount()));
        QCOMPARE(lengths, expected);
        QCOMPARE(variantBytes(samples.size()), std::size_t(std::accumulate(expected.begin(), expected.end(), qsizetype(0))) * sizeof(float));
        if (made.size() == 5)
            QCOMPARE(made[2].frames(), samples);
    }

    void decode_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("subtype");
        QTest::addColumn<int>("expected");
        QTest::newRow("stereo 44.1 kHz second") << 2 << 44100 << 44100 << int(SF_FORMAT_PCM_16) << 48000;
        QTest::newRow("96 kHz float") << 1 << 96000 << 9600 << int(SF_FORMAT_FLOAT) << 4800;
        QTest::newRow("six channels 8 kHz") << 6 << 8000 << 800 << int(SF_FORMAT_PCM_24) << 4800;
        QTest::newRow("zero-length file") << 1 << 44100 << 0 << int(SF_FORMAT_PCM_16) << 0;
    }
    void decode()
    {
        QFETCH(int, channels);
        QFETCH(int, rate);
        QFETCH(int, frames);
        QFETCH(int, subtype);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.wav");
        QVERIFY(TestPacks::writeWav(path, Samples(std::size_t(frames * channels), 0.25f), channels, rate, subtype));
        QTEST(int(decodeFile(path).size()), "expected");
    }

    // Chunked rate conversion must equal resampling the whole; non-finite samples become silence.
    void decodeMatchesWholeResampling()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.wav");
        Samples stereo(2 * 50000);
        Samples mono(50000);
        for (std::size_t i = 0; i < mono.size(); ++i) {
            stereo[2 * i] = std::sin(float(i) * 0.01f);
            stereo[2 * i + 1] = 0.5f * std::cos(float(i) * 0.003f);
            mono[i] = stereo[2 * i] / 2.0f + stereo[2 * i + 1] / 2.0f;
        }
        QVERIFY(TestPacks::writeWav(path, stereo, 2, 44100, SF_FORMAT_FLOAT));
        QCOMPARE(decodeFile(path), PackLoader::resample(mono, 44100.0 / 48000.0));

        const float inf = std::numeric_limits<float>::infinity();
        QVERIFY(TestPacks::writeWav(path, {0.5f, std::numeric_limits<float>::quiet_NaN(), -inf, 0.25f}, 1, 48000, SF_FORMAT_FLOAT));
        QCOMPARE(decodeFile(path), (Samples{0.5f, 0.0f, 0.0f, 0.25f}));
    }

    void decodeFailures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qulonglong>("maxFrames"); // what the caller can still take
        QTest::addColumn<int>("kind");
        const qulonglong any = std::numeric_limits<qulonglong>::max();
        QTest::newRow("missing") << "missing.wav" << any << int(DecodeError::Kind::Missing);
        QTest::newRow("text") << "text.wav" << any << int(DecodeError::Kind::NotAudio);
        QTest::newRow("directory") << "folder.wav" << any << int(DecodeError::Kind::Unreadable);
        QTest::newRow("fifo") << "fifo.wav" << any << int(DecodeError::Kind::Unreadable);
        QTest::newRow("over ten minutes") << "long.wav" << any << int(DecodeError::Kind::TooLong);
        QTest::newRow("a link") << "link.wav" << any << int(DecodeError::Kind::Unreadable);
        // 1.2 kB claiming ten minutes at 1 Hz: 29 million frames at 48 kHz, 574 MB of variants.
        QTest::newRow("1 Hz") << "1hz.wav" << any << int(DecodeError::Kind::NotAudio);
        QTest::newRow("more than the caller takes") << "real.wav" << qulonglong(479) << int(DecodeError::Kind::TooLarge);
    }
    void decodeFailures()
    {
        QFETCH(QString, name);
        QFETCH(qulonglong, maxFrames);
        QFETCH(int, kind);
        QTemporaryDir dir;
        QVERIFY(TestPacks::writeText(dir.filePath("text.wav"), "RIFF? no, just words\n"));
        QVERIFY(QDir(dir.path()).mkdir("folder.wav"));
        QCOMPARE(mkfifo(QFile::encodeName(dir.filePath("fifo.wav")).constData(), 0600), 0);
        // 601 s at the lowest rate taken keeps the file small.
        QVERIFY(TestPacks::writeWav(dir.filePath("long.wav"), Samples(601 * 8000, 0.5f), 1, 8000, SF_FORMAT_PCM_U8));
        // The last part of a path is never followed: names are resolved before they get here.
        QVERIFY(TestPacks::writeTone(dir.filePath("real.wav"), 480));
        QVERIFY(QFile::link(dir.filePath("real.wav"), dir.filePath("link.wav")));
        QVERIFY(TestPacks::writeWav(dir.filePath("1hz.wav"), Samples(598, 0.5f), 1, 1));
        try {
            decodeFile(dir.filePath(name), DecodeLimits{maxFrames});
            QFAIL("decoded");
        } catch (const DecodeError &error) {
            QCOMPARE(int(error.kind()), kind);
            QVERIFY(!error.message().isEmpty());
        }
    }

    // A key runs its loader once, failures included: within one load a failed file stays failed.
    void cacheSharesAndRemembersFailures()
    {
        SampleCache cache;
        int runs = 0;
        const SamplePtr first = cache.variants("click.wav", rampLoader(100, &runs));
        QVERIFY(first);
        QCOMPARE(cache.variants("click.wav", rampLoader(100, &runs)), first);
        QCOMPARE(runs, 1);

        QString why;
        const SampleCache::Loader gone = [&runs](std::size_t, QString &reason) -> std::optional<Samples> {
            ++runs;
            reason = "gone";
            return std::nullopt;
        };
        QVERIFY(!cache.variants("x", gone, &why));
        QCOMPARE(why, QString("gone"));
        QVERIFY(!cache.variants("x", rampLoader(10, &runs), &why));
        QCOMPARE(why, QString("gone"));
        QCOMPARE(runs, 2);
        QVERIFY(!cache.variants("y", rampLoader(0), &why));
        QCOMPARE(why, QString("no samples"));
    }

    // The loader is told what still fits, so it can refuse before it decodes.
    void cacheKeepsToItsBudget()
    {
        SampleCache cache(variantBytes(1000) + variantBytes(10));
        std::size_t offered = 0;
        QVERIFY(cache.variants("a", [&offered](std::size_t maxFrames, QString &) -> std::optional<Samples> {
            offered = maxFrames;
            return ramp(1000);
        }));
        QVERIFY(offered >= 1000 && variantBytes(offered) <= variantBytes(1000) + variantBytes(10));
        QString why;
        QVERIFY(!cache.variants("b", rampLoader(11), &why) && why.contains("MiB"));
        QVERIFY(cache.variants("c", rampLoader(10)));
        QCOMPARE(cache.bytesHeld(), variantBytes(1000) + variantBytes(10));
    }

    // Which samples a key plays: its own, else its category's, else the standard ones.
    void lookup_data()
    {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<bool>("down");
        QTest::addColumn<bool>("standard"); // false: the standard list is empty
        QTest::addColumn<float>("expected"); // marker of the first sample, -1 for silence

        // down: standard 1, space 2, enter empty; keyDown: A → 10, S empty; keyUp: A → 20
        QTest::newRow("per-key wins") << 0 << true << true << 10.0f;
        QTest::newRow("empty per-key falls back to category") << 1 << true << true << 1.0f;
        QTest::newRow("category") << 49 << true << true << 2.0f;
        QTest::newRow("empty category falls back to standard") << 36 << true << true << 1.0f;
        QTest::newRow("missing category falls back to standard") << 56 << true << true << 1.0f;
        QTest::newRow("empty standard is silence") << 56 << true << false << -1.0f;
        QTest::newRow("per-key release") << 0 << false << true << 20.0f;
        QTest::newRow("release never uses press sounds") << 49 << false << true << -1.0f;
    }
    void lookup()
    {
        QFETCH(int, keyCode);
        QFETCH(bool, down);
        QFETCH(bool, standard);
        LoadedPack pack({}, {{KeyCategory::Standard, standard ? SampleList{TestPacks::constant({1}, 1)} : SampleList{}},
                             {KeyCategory::Space, {TestPacks::constant({2}, 1)}}, {KeyCategory::Enter, {}}},
                        {}, {{0, {TestPacks::constant({10}, 1)}}, {1, {}}}, {{0, {TestPacks::constant({20}, 1)}}});
        const SampleList &list = pack.samples(InputEvent::key(static_cast<KeyCode>(keyCode), down));
        QTEST(list.empty() ? -1.0f : list.front()->variants.front().frames().front(), "expected");
    }

    // Both readers take decimal digits with one optional sign; pack.json wants a key code.
    void keyTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("keyCode"); // null: ignored
        QTest::addColumn<QVariant>("mechvibesCode");
        const QVariant none;
        QTest::newRow("plain") << "36" << QVariant(36) << QVariant(36LL);
        QTest::newRow("plus") << "+36" << QVariant(36) << QVariant(36LL);
        QTest::newRow("highest key code") << "65535" << QVariant(65535) << QVariant(65535LL);
        QTest::newRow("beyond a key code") << "65536" << none << QVariant(65536LL);
        QTest::newRow("negative") << "-36" << none << QVariant(-36LL);
        QTest::newRow("lowest") << "-9223372036854775808" << none << QVariant(std::numeric_limits<qlonglong>::min());
        QTest::newRow("beyond 64 bits") << "9223372036854775808" << none << none;
        QTest::newRow("leading space") << " 36" << none << none;
        QTest::newRow("empty") << "" << none << none;
        QTest::newRow("two signs") << "+-0" << none << none;
        QTest::newRow("other digits") << QString::fromUtf8("\u0663\u0666") << none << none;
    }
    void keyTexts()
    {
        QFETCH(QString, text);
        const std::optional<KeyCode> code = Manifest::keyCodeFromText(text);
        QTEST(code ? QVariant(int(*code)) : QVariant(), "keyCode");
        const std::optional<long long> mechvibes = MechvibesConfig::codeFromText(text);
        QTEST(mechvibes ? QVariant(qlonglong(*mechvibes)) : QVariant(), "mechvibesCode");
    }

    // Mechvibes' key list (keycodes.js, plus F16-F20) against the Linux key each number stands for.
    void mechvibesKeyTable()
    {
        const std::pair<long long, unsigned> keys[] = {
            {1, KEY_ESC}, {59, KEY_F1}, {60, KEY_F2}, {61, KEY_F3}, {62, KEY_F4}, {63, KEY_F5}, {64, KEY_F6}, {65, KEY_F7}, {66, KEY_F8},
            {67, KEY_F9}, {68, KEY_F10}, {87, KEY_F11}, {88, KEY_F12}, {91, KEY_F13}, {92, KEY_F14}, {93, KEY_F15}, {99, KEY_F16}, {100, KEY_F17},
            {101, KEY_F18}, {102, KEY_F19}, {103, KEY_F20}, {41, KEY_GRAVE}, {2, KEY_1}, {3, KEY_2}, {4, KEY_3}, {5, KEY_4}, {6, KEY_5}, {7, KEY_6},
            {8, KEY_7}, {9, KEY_8}, {10, KEY_9}, {11, KEY_0}, {12, KEY_MINUS}, {13, KEY_EQUAL}, {14, KEY_BACKSPACE}, {15, KEY_TAB},
            {58, KEY_CAPSLOCK}, {30, KEY_A}, {48, KEY_B}, {46, KEY_C}, {32, KEY_D}, {18, KEY_E}, {33, KEY_F}, {34, KEY_G}, {35, KEY_H}, {23, KEY_I},
            {36, KEY_J}, {37, KEY_K}, {38, KEY_L}, {50, KEY_M}, {49, KEY_N}, {24, KEY_O}, {25, KEY_P}, {16, KEY_Q}, {19, KEY_R}, {31, KEY_S},
            {20, KEY_T}, {22, KEY_U}, {47, KEY_V}, {17, KEY_W}, {45, KEY_X}, {21, KEY_Y}, {44, KEY_Z}, {26, KEY_LEFTBRACE}, {27, KEY_RIGHTBRACE},
            {43, KEY_BACKSLASH}, {39, KEY_SEMICOLON}, {40, KEY_APOSTROPHE}, {28, KEY_ENTER}, {51, KEY_COMMA}, {52, KEY_DOT}, {53, KEY_SLASH},
            {57, KEY_SPACE}, {3639, KEY_SYSRQ}, {70, KEY_SCROLLLOCK}, {3653, KEY_PAUSE}, {3666, KEY_INSERT}, {3667, KEY_DELETE}, {3655, KEY_HOME},
            {3663, KEY_END}, {3657, KEY_PAGEUP}, {3665, KEY_PAGEDOWN}, {57416, KEY_UP}, {57419, KEY_LEFT}, {57421, KEY_RIGHT}, {57424, KEY_DOWN},
            {42, KEY_LEFTSHIFT}, {54, KEY_RIGHTSHIFT}, {29, KEY_LEFTCTRL}, {3613, KEY_RIGHTCTRL}, {56, KEY_LEFTALT}, {3640, KEY_RIGHTALT},
            {3675, KEY_LEFTMETA}, {3676, KEY_RIGHTMETA}, {3677, KEY_COMPOSE}, {69, KEY_NUMLOCK}, {3637, KEY_KPSLASH}, {55, KEY_KPASTERISK},
            {74, KEY_KPMINUS}, {3597, KEY_KPEQUAL}, {78, KEY_KPPLUS}, {3612, KEY_KPENTER}, {83, KEY_KPDOT}, {79, KEY_KP1}, {80, KEY_KP2},
            {81, KEY_KP3}, {75, KEY_KP4}, {76, KEY_KP5}, {77, KEY_KP6}, {71, KEY_KP7}, {72, KEY_KP8}, {73, KEY_KP9}, {82, KEY_KP0}};
        for (const auto &[number, evdev] : keys) {
            QVERIFY2(LinuxKeyCodes::fromEvdev(evdev), qPrintable(QString::number(number)));
            QCOMPARE(KeyTables::mechvibesKey(number), LinuxKeyCodes::fromEvdev(evdev));
            QCOMPARE(LinuxKeyCodes::fromX11(evdev + 8), LinuxKeyCodes::fromEvdev(evdev));
        }
        QCOMPARE(KeyTables::mechvibesKeyMap().size(), std::size(keys));
        for (long long number = 60999; number <= 61011; ++number)
            QVERIFY(KeyTables::isWindowsOnlyMechvibesKey(number) && !KeyTables::mechvibesKey(number));
        for (long long none : {0, 86, 104, 9999, -1})
            QVERIFY(!KeyTables::mechvibesKey(none) && !KeyTables::isWindowsOnlyMechvibesKey(none));
    }

    void expandRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("decimal values") << "R{08-10}" << QStringList{"R8", "R9", "R10"};
        QTest::newRow("reversed") << "R{4-0}.mp3" << QStringList{"R{4-0}.mp3"};
        QStringList hundred;
        for (int i = 0; i < 100; ++i)
            hundred.append("R" + QString::number(i));
        QTest::newRow("a hundred numbers") << "R{0-99}" << hundred;
        QTest::newRow("more than a hundred") << "R{0-100}" << QStringList{"R{0-100}"};
        QTest::newRow("only the first range") << "{1-2}{3-4}" << QStringList{"1{3-4}", "2{3-4}"};
        QTest::newRow("brace that is no range") << "a{x}{1-2}" << QStringList{"a{x}1", "a{x}2"};
        QTest::newRow("signed") << "{-1-2}" << QStringList{"{-1-2}"};
        QTest::newRow("huge") << "{18446744073709551615-18446744073709551615}" << QStringList{"18446744073709551615"};
    }
    void expandRange()
    {
        QFETCH(QString, text);
        QTEST(MechvibesConfig::expandRange(text), "expected");
    }

    void resolveInside_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // relative to the pack folder; empty: rejected
        QTest::newRow("through a subfolder") << "sounds/../click.wav" << "click.wav";
        QTest::newRow("absolute stays inside") << "/click.wav" << "click.wav";
        QTest::newRow("link to a file inside") << "link-in.wav" << "click.wav";
        QTest::newRow("parent") << "../click.wav" << "";
        QTest::newRow("sibling with the folder's name as prefix") << "../pack2/evil.wav" << "";
        QTest::newRow("the folder itself") << "." << "";
        QTest::newRow("empty name") << "" << "";
        QTest::newRow("link pointing outside") << "link-out.wav" << "";
        QTest::newRow("folder link pointing outside") << "outdir/outside.wav" << "";
        QTest::newRow("embedded NUL") << QString("click.wav") + QChar(0) + "x" << "";
        QTest::newRow("through a link loop") << "loop/click.wav" << "";
        QTest::newRow("missing, below a folder") << "sounds/gone/../gone.wav" << "sounds/gone.wav";
        QTest::newRow("decomposed name, composed file") << QString("cafe\u0301.wav") << QString("caf\u00e9.wav");
        QTest::newRow("composed name, decomposed file") << QString("n\u00fc.wav") << QString("nu\u0308.wav");
    }
    void resolveInside()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        PackFolder pack;
        pack.tone("click.wav");
        pack.tone("sounds/x.wav");
        QVERIFY(TestPacks::writeTone(pack.root() + "/outside.wav", 10));
        QVERIFY(TestPacks::writeTone(pack.root() + "/pack2/evil.wav", 10));
        QVERIFY(QFile::link(pack.root() + "/outside.wav", pack.file("link-out.wav")));
        QVERIFY(QFile::link(pack.root(), pack.file("outdir")) && QFile::link("click.wav", pack.file("link-in.wav")));
        QVERIFY(QFile::link("loop", pack.file("loop")));
        pack.tone(QString("caf\u00e9.wav"));
        pack.tone(QString("nu\u0308.wav"));

        // Through a link to the pack folder, as the library may be given it.
        const QString linked = pack.root() + "/linked";
        QVERIFY(QFile::link(pack.path(), linked));
        for (const QString &folder : {pack.path(), linked}) {
            const std::optional<QString> resolved = PackLoader::resolveInside(folder, name);
            const QString real = QFileInfo(pack.path()).canonicalFilePath();
            QCOMPARE(resolved.value_or(QString()), expected.isEmpty() ? QString() : real + '/' + expected);
        }
    }

    // What loads, and for what does not, the kind of failure and the message.
    void loadOutcome_data()
    {
        QTest::addColumn<QByteArray>("manifest"); // empty: no file
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QString>("kind"); // empty: loads
        QTest::addColumn<QString>("message"); // part of the message
        const QString noSounds = "No playable sounds were found in this pack.";
        const QByteArray down = R"("down": {"standard": ["a.wav"]})";
        QTest::newRow("standard") << QByteArray(R"({"name": "N", "down": {"standard": ["a.wav"]}})") << QByteArray() << "" << "";
        QTest::newRow("capital Space only") << QByteArray(R"({"name": "N", "down": {"Space": ["a.wav"]}})") << QByteArray() << "noSounds" << noSounds;
        QTest::newRow("only up") << QByteArray(R"({"name": "N", "down": {}, "up": {"standard": ["a.wav"]}})") << QByteArray() << "noSounds" << noSounds;
        QTest::newRow("key entry whose file is missing") << QByteArray(R"({"name": "N", "down": {"standard": []}, "keys": {"36": ["gone.wav"]}})") << QByteArray() << "" << "";
        QTest::newRow("all files missing") << QByteArray(R"({"name": "N", "down": {"standard": ["gone.wav"]}})") << QByteArray() << "noSounds" << noSounds;
        QTest::newRow("config: only releases") << QByteArray() << QByteArray(R"({"defines": {"30-up": "a.wav"}})") << "noSounds" << noSounds;
        QTest::newRow("config: files without sound") << QByteArray() << QByteArray(R"({"defines": {"30": "a.wav"}})") << "" << "";
        QTest::newRow("config: slices without sound") << QByteArray() << QByteArray(R"({"defines": {"30": [0, 10]}})") << "noSounds" << noSounds;
        QTest::newRow("config: empty windows") << QByteArray() << QByteArray(R"({"sound": "a.wav", "defines": {"30": [500], "31": []}})") << "noSounds" << noSounds;
        QTest::newRow("config: unknown keys only") << QByteArray() << QByteArray(R"({"defines": {"60999": "a.wav", "-up": "a.wav", "abc": "a.wav", "9999": "a.wav"}})") << "noSounds" << noSounds;
        QTest::newRow("no documents") << QByteArray() << QByteArray() << "noManifest" << "The folder must contain a pack.json, a Mechvibes config.json or a keyboardsounds profile.yaml.";
        QTest::newRow("bad pack.json beside a good config.json") << QByteArray(R"({"name": 1, "down": {}})") << QByteArray(R"({"defines": {"30": "a.wav"}})") << "invalidDocument" << R"(pack.json: member "name" must be a string)";
        QTest::newRow("bad config.json") << QByteArray() << QByteArray(R"({"defines": {"30": 5}})") << "invalidDocument" << R"(config.json: member "30" of "defines")";
        QTest::newRow("huge pack.json") << QByteArray(5 << 20, ' ') << QByteArray() << "invalidDocument" << "pack.json: larger than 4 MiB";
        QTest::newRow("optional members null") << R"({"name": "N", "type": null, "order": null, "up": null, "keys": null, "keysUp": null, )" + down + "}" << QByteArray() << "" << "";
        QTest::newRow("integral order written 3.0") << R"({"name": "N", "order": 3.0, )" + down + "}" << QByteArray() << "" << "";
        QTest::newRow("name missing") << QByteArray("{" + down + "}") << QByteArray() << "invalidDocument" << R"(pack.json: member "name" is missing)";
        QTest::newRow("order beyond 64 bits") << R"({"name": "N", "order": 9223372036854775808, )" + down + "}" << QByteArray() << "invalidDocument" << R"(member "order" must be an integer)";
        QTest::newRow("down an array") << QByteArray(R"({"name": "N", "down": []})") << QByteArray() << "invalidDocument" << R"(pack.json: member "down" must be an object)";
        QTest::newRow("unknown category still typed") << QByteArray(R"({"name": "N", "down": {"Space": 1}})") << QByteArray() << "invalidDocument" << R"(member "Space" of "down" must be an array)";
        QTest::newRow("file name null") << QByteArray(R"({"name": "N", "down": {"standard": [null]}})") << QByteArray() << "invalidDocument" << R"(member "standard" of "down" must hold only strings)";
        QTest::newRow("not an object") << QByteArray("[]") << QByteArray() << "invalidDocument" << "pack.json: the document must be a JSON object";
        QTest::newRow("not JSON") << QByteArray(R"({"name": "N",})") << QByteArray() << "invalidDocument" << "pack.json: not valid JSON";
        QTest::newRow("deeply nested") << QByteArray(R"({"name": "N", "x": )" + QByteArray(5000, '[') + QByteArray(5000, ']') + "}") << QByteArray() << "invalidDocument" << "pack.json: not valid JSON";
        QTest::newRow("mouse only") << QByteArray(R"({"name": "N", "mouse": {"left": ["a.wav"]}})") << QByteArray() << "" << "";
        QTest::newRow("mouse: no known button") << QByteArray(R"({"name": "N", "mouse": {"wheel": ["a.wav"]}})") << QByteArray() << "noSounds" << noSounds;
        QTest::newRow("mouse: not file names") << QByteArray(R"({"name": "N", "mouse": {"left": "a.wav"}})") << QByteArray() << "invalidDocument" << R"(member "left" of "mouse" must be an array)";
        QTest::newRow("config: no defines") << QByteArray() << QByteArray(R"({"defines": {}})") << "noSounds" << noSounds;
        QTest::newRow("config: null define, mixed defines") << QByteArray() << QByteArray(R"({"defines": {"1": null, "2": "a.wav", "3": [1, 2, 3], "4": []}})") << "" << "";
        QTest::newRow("config: defines missing") << QByteArray() << QByteArray(R"({"name": "N"})") << "invalidDocument" << R"(config.json: member "defines" is missing)";
        QTest::newRow("config: window with a string") << QByteArray() << QByteArray(R"({"defines": {"30": [1, "2"]}})") << "invalidDocument" << R"(member "30" of "defines" must be)";
        QTest::newRow("config: version 2 soundup wrong") << QByteArray() << QByteArray(R"({"version": 2, "key_define_type": "multi", "soundup": 1, "defines": {}})") << "invalidDocument" << R"(member "soundup" must be a string)";
        QTest::newRow("a 100 GiB sparse file named first") << QByteArray(R"({"name": "N", "down": {"standard": ["sparse.wav", "a.wav"]}})") << QByteArray() << "" << "";
        QByteArray deep = R"({"name": "N", "down": {"standard": [)";
        for (int i = 0; i < 1025; ++i)
            deep += '"' + QByteArray("d/").repeated(2000) + QByteArray::number(i) + ".wav\", ";
        QTest::newRow("1,025 missing names 2,000 folders deep") << deep + R"("a.wav"]}})" << QByteArray() << "" << "";
        QTest::newRow("config: version 1 soundup not read") << QByteArray() << QByteArray(R"({"version": 1, "key_define_type": "multi", "soundup": 1, "defines": {}})") << "noSounds" << noSounds;
    }
    void loadOutcome()
    {
        QFETCH(QByteArray, manifest);
        QFETCH(QByteArray, config);
        QFETCH(QString, kind);
        QFETCH(QString, message);
        PackFolder pack;
        pack.tone("a.wav");
        QFile sparse(pack.file("sparse.wav"));
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(100) << 30));
        if (!manifest.isEmpty())
            pack.manifest(manifest);
        if (!config.isEmpty())
            pack.config(config);
        const LoadResult result = pack.load();
        QCOMPARE(result.ok(), kind.isEmpty());
        if (!result.ok()) {
            QCOMPARE(result.failure().kindName(), kind);
            QVERIFY2(result.failure().message.contains(message), qPrintable(result.failure().message));
        }
    }

    void readInfo()
    {
        PackFolder pack;
        QVERIFY(!PackLoader::readInfo(pack.path(), false));
        // Nothing must be read from the working directory for an empty or non-file location.
        QVERIFY(QDir::setCurrent(pack.path()));
        pack.config(R"({"defines": {"30": "a.wav"}})");
        pack.tone("a.wav");
        QVERIFY(!PackLoader::readInfo(QString(), false) && !PackLoader::readInfo(QUrl("https://example.org/pack"), false));
        QCOMPARE(PackLoader::load(PackInfo{}).failure().kindName(), QString("noManifest"));
        QVERIFY(QDir::setCurrent(QDir::tempPath()));
        pack.config(R"({"defines": {}})");
        // The folder's name when config.json has none.
        QCOMPARE(PackLoader::readInfo(pack.path() + "/", true),
                 (PackInfo{"bundle:pack", "pack", std::nullopt, 0, QUrl::fromLocalFile(pack.path()), true, {}, {}, "Mechvibes v1"}));
        pack.manifest(R"({"name": "N", "type": "Tactile", "order": -3, "source": "recorded", "credit": 5, "down": {}})");
        QCOMPARE(PackLoader::readInfo(QUrl::fromLocalFile(pack.path()), false), (PackInfo{"folder:pack", "N", QString("Tactile"), -3, QUrl::fromLocalFile(pack.path()), false,
                                  QString("recorded"), std::nullopt, "pack.json"}));
        pack.manifest(R"({"name": 1, "down": {}})"); // a malformed pack.json falls back to config.json
        QCOMPARE(PackLoader::readInfo(pack.path(), false)->name, QString("pack"));
        pack.config(R"({"version": 2, "defines": {}})");
        QCOMPARE(PackLoader::readInfo(pack.path(), false)->format, QString("Mechvibes v2"));
        pack.manifest(R"({"name": "N", "mouse": {}})");
        const std::optional<PackInfo> mouse = PackLoader::readInfo(pack.path(), false);
        QVERIFY(mouse && mouse->mouse && !mouse->keyboard);
    }

    // A button plays its own press and release lists, never a key's.
    void buttons()
    {
        PackFolder pack;
        pack.tone("a.wav");
        pack.tone("b.wav", 960);
        pack.manifest(R"({"name": "N", "down": {"standard": ["a.wav"]}, "mouse": {"left": ["a.wav", "b.wav"]}, "mouseUp": {"left": ["b.wav"]}})");
        const LoadResult result = pack.load();
        QVERIFY(result.ok());
        const LoadedPack &loaded = *result.pack();
        QCOMPARE(loaded.samples(InputEvent::button(PointerButton::Left, true)).size(), 2u);
        QCOMPARE(unshiftedFrames(loaded.samples(InputEvent::button(PointerButton::Left, false))), 960u);
        QVERIFY(loaded.samples(InputEvent::button(PointerButton::Right, true)).empty());
    }

    // Every spelling of a file (links, detours) is decoded once and shared; the descriptor is kept.
    void manifestSharesSamples()
    {
        PackFolder pack;
        pack.tone("click.wav");
        QVERIFY(QFile::link("click.wav", pack.file("link.wav")));
        QJsonArray standard{"click.wav", "gone.wav", "./click.wav", "link.wav", "../pack/click.wav"};
        for (int i = 0; i < 3000; ++i)
            standard.append(QString("%1/../click.wav").arg(i));
        const QJsonObject manifest{
            {"name", "N"}, {"down", QJsonObject{{"standard", standard}, {"space", QJsonArray{}}}},
            {"keys", QJsonObject{{"36", QJsonArray{"click.wav"}}, {"+36", QJsonArray{"click.wav"}}, {"36a", QJsonArray{"click.wav"}}}},
            {"up", QJsonObject{{"enter", QJsonArray{"../click.wav"}}}}};
        pack.manifest(QJsonDocument(manifest).toJson());
        LoadReport report;
        const LoadedPackPtr loaded = PackLoader::load(pack.info(), &report).pack();
        QVERIFY(loaded);
        QCOMPARE(loaded->info(), pack.info());
        const SampleList &samples = loaded->down().at(KeyCategory::Standard);
        QCOMPARE(samples.size(), std::size_t(standard.size() - 1));
        QVERIFY(std::all_of(samples.begin(), samples.end(), [&](const SamplePtr &s) { return s == samples[0]; }));
        QCOMPARE(loaded->keyDown().at(36).front(), samples[0]);
        QVERIFY(loaded->down().at(KeyCategory::Space).empty() && loaded->up().at(KeyCategory::Enter).empty());
        QCOMPARE(loaded->keyDown().size(), std::size_t(1));
        QCOMPARE(report.format, QString("pack.json"));
        QCOMPARE(report.skipped.size(), 2);
        QCOMPARE(report.ignored.size(), 1);
    }

    // Documents are read only from inside the folder; other programs' quirks load with a warning.
    void documents_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QByteArray>("json"); // empty: a valid one
        QTest::addColumn<QString>("target");  // a link to it (relative to the folder), "fifo" or "dir"
        QTest::addColumn<QString>("warning"); // part of it; empty: none
        QTest::addColumn<bool>("loads");
        QTest::newRow("pack.json linked outside") << "pack.json" << QByteArray() << "../elsewhere.json" << "" << false;
        QTest::newRow("config.json linked outside") << "config.json" << QByteArray() << "../elsewhere.json" << "" << false;
        QTest::newRow("pack.json linked inside") << "pack.json" << QByteArray() << "docs/real.json" << "" << true;
        QTest::newRow("pack.json a FIFO") << "pack.json" << QByteArray() << "fifo" << "" << false;
        QTest::newRow("pack.json a folder") << "pack.json" << QByteArray() << "dir" << "" << false;
        const QByteArray defines = R"("defines": {"30": "a.wav"})";
        QTest::newRow("byte order mark") << "config.json" << "\xEF\xBB\xBF{" + defines + "}" << "" << "(a byte order mark)" << true;
        QTest::newRow("comments, trailing commas")
            << "config.json" << QByteArray("{\"name\": \"x // y\", /" "* block *" "/ \"defines\": {\"30\": \"a.wav\",}, /" "/ end\n}")
            << "" << "(comments, trailing commas)" << true;
        QTest::newRow("a comma in a string stays") << "config.json" << QByteArray("{\"defines\": {\"30\": \"a,]wav\"}}") << "" << "" << false;
        QTest::newRow("name differs in case") << "config.json" << QByteArray(R"({"defines": {"30": "Sounds/A.WAV", "31": "x.wav"}})") << ""
                                              << "1 sound names differ from their files' names in case, such as “Sounds/A.WAV” for “sounds/a.wav”" << true;
        QTest::newRow("backslashes") << "config.json" << QByteArray(R"({"defines": {"30": "sounds\\a.wav"}})") << "" << "" << true;
        QTest::newRow("document name in other case") << "Config.json" << QByteArray() << "" << "" << true;
        QTest::newRow("pack.json names are exact") << "pack.json" << QByteArray(R"({"name": "N", "down": {"standard": ["A.WAV"]}})") << "" << "" << false;
    }
    void documents()
    {
        QFETCH(QString, document);
        QFETCH(QByteArray, json);
        QFETCH(QString, target);
        QFETCH(QString, warning);
        QFETCH(bool, loads);
        PackFolder pack;
        pack.tone("a.wav");
        pack.tone("sounds/a.wav");
        const QByteArray valid = document == "pack.json" ? R"({"name": "N", "down": {"standard": ["a.wav"]}})"
                                                         : R"({"name": "N", "defines": {"30": "a.wav"}})";
        QVERIFY(TestPacks::writeText(pack.root() + "/elsewhere.json", valid));
        QVERIFY(TestPacks::writeFolder(pack.file("docs"), {{"real.json", valid}}));
        if (target == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(pack.file(document)).constData(), 0600), 0);
        else if (target == "dir")
            QVERIFY(QDir(pack.path()).mkdir(document));
        else if (!target.isEmpty())
            QVERIFY(QFile::link(target, pack.file(document)));
        else
            QVERIFY(TestPacks::writeText(pack.file(document), json.isEmpty() ? valid : json));
        LoadReport report;
        const LoadResult result = PackLoader::load(pack.info(), &report);
        QCOMPARE(result.ok(), loads);
        QVERIFY(!loads || PackLoader::readInfo(pack.path(), false)); // listed as it loads
        if (!target.isEmpty()) {
            QCOMPARE(PackLoader::readInfo(pack.path(), false).has_value(), loads);
            QVERIFY(loads || result.failure().kindName() == "noManifest");
        }
        QVERIFY2(report.warnings.join('\n').contains(warning), qPrintable(report.warnings.join('\n')));
        QCOMPARE(report.warnings.isEmpty(), warning.isEmpty());
    }

    // A load whose flag is set stops at the next file with a Cancelled error, not a failure.
    void cancelledLoadStops()
    {
        PackFolder pack;
        pack.tone("a.wav");
        pack.manifest(R"({"name": "N", "down": {"standard": ["a.wav"]}})");
        std::atomic<bool> cancelled{true};
        try {
            PackLoader::load(pack.info(), nullptr, &cancelled);
            QFAIL("loaded");
        } catch (const DecodeError &error) {
            QCOMPARE(error.kind(), DecodeError::Kind::Cancelled);
        }
        cancelled = false;
        QVERIFY(PackLoader::load(pack.info(), nullptr, &cancelled).ok());
        // Nor is an archive's listing read: quitting during an import waits for none.
        QVERIFY(TestPacks::writeText(pack.root() + "/empty.zip", QByteArray("PK\x05\x06") + QByteArray(18, '\0')));
        StagingFolder staging(pack.root());
        QString error;
        cancelled = true;
        QVERIFY(!PackArchive::unpack(pack.root() + "/empty.zip", staging, &error, &cancelled));
        QCOMPARE(error, QString("The import was cancelled."));
    }

    void mechvibesSlices()
    {
        PackFolder pack;
        pack.tone("sound.wav", 48000);
        pack.config(R"({"sound": "sound.wav", "defines": {
            "30": [120, 80], "30-up": [200, 60], "57": [0, 10], "+57": [10, 10],
            "3675": [0, 10], "28": [0, 20], "3612": [0, 20], "1": null, "0057": [300, 40]}})");
        const LoadedPackPtr loaded = pack.load().pack();
        QVERIFY(loaded);
        QCOMPARE(unshiftedFrames(loaded->keyDown().at(0)), std::size_t(3840)); // A: 80 ms
        QCOMPARE(unshiftedFrames(loaded->keyUp().at(0)), std::size_t(2880));   // A released: 60 ms
        QCOMPARE(loaded->down().at(KeyCategory::Space).size(), std::size_t(2));
        QCOMPARE(loaded->keyDown().at(49).size(), std::size_t(1));
        QCOMPARE(loaded->down().at(KeyCategory::Modifier).front(), loaded->keyDown().at(55).front());
        // Return and keypad Enter use the same window: one sample, listed for both keys.
        const SampleList &enter = loaded->down().at(KeyCategory::Enter);
        QCOMPARE(enter.size(), std::size_t(2));
        QCOMPARE(enter[0], enter[1]);
        QVERIFY(loaded->up().empty());
        QCOMPARE(loaded->keyDown().size(), std::size_t(5));
        QCOMPARE(unshiftedFrames(loaded->keyUp().at(49)), std::size_t(1920)); // "0057": Space released
        QCOMPARE(loaded->keyUp().size(), std::size_t(2));
    }

    // Version 2 defaults, and what does not turn them on; backspace keeps its own files either way.
    void versionTwoMulti_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QString>("down");
        const QByteArray defines = R"("defines": {"14": "b.wav", "14-up": "u.wav"})";
        QTest::newRow("plain sound") << R"({"version": 2.0, "key_define_type": "multi", "sound": "r1.wav", )" + defines + "}" << "standard:1 backspace:1";
        QTest::newRow("version as text: off") << R"({"version": "2", "key_define_type": "multi", "sound": "r{0-2}.wav", "soundup": "u.wav", )" + defines + "}" << "backspace:1";
        QTest::newRow("single: off") << R"({"version": 2, "key_define_type": "single", "sound": "r{0-2}.wav", )" + defines + "}" << "backspace:1";
    }
    void versionTwoMulti()
    {
        QFETCH(QByteArray, config);
        PackFolder pack;
        for (const char *name : {"r1.wav", "b.wav", "u.wav"})
            pack.tone(name);
        pack.config(config);
        const LoadedPackPtr loaded = pack.load().pack();
        QVERIFY(loaded);
        QTEST(describe(loaded->down()), "down");
        QVERIFY(loaded->up().empty() && loaded->keyUp().size() == 1);
    }
    // The Mechvibes packs in data/, as their users would load them.
    void mechvibesTestdata_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("down");
        QTest::addColumn<QString>("up");
        QTest::addColumn<int>("keyDown");
        QTest::addColumn<int>("keyUp");
        // Every key of Mechvibes' table is defined: 104 keys (10 of its 114 are Windows-only).
        const QString fullKeyboard = "standard:90 space:1 enter:2 backspace:2 modifier:9";
        QTest::newRow("slices, stereo 44.1 kHz Vorbis") << "cherrymx-brown-pbt" << "CherryMX Brown - PBT keycaps" << fullKeyboard << "" << 104 << 0;
        QTest::newRow("slices, 48 kHz, null defines") << "eg-oreo" << "EG Oreo" << fullKeyboard << "" << 104 << 0;
        QTest::newRow("slices, mono") << "topre-purple-hybrid-pbt" << "Topre Purple Hybrid - PBT keycaps" << fullKeyboard << "" << 104 << 0;
        QTest::newRow("multi, a WAV per key, no sound file") << "nk-cream" << "NK Cream (original by Ryan)" << fullKeyboard << "" << 104 << 0;
        // Version 2 multi: {0-4} gives five default press sounds and soundup the release.
        QTest::newRow("version 2 with {0-4}") << "holy-pandas" << "pandas" << "standard:5 space:1 enter:1 backspace:1" << "standard:1" << 3 << 3;
        QTest::newRow("version 2, key files missing") << "mxblue-travel" << "MX Blue - Full Travel" << "standard:5" << "standard:1" << 0 << 0;
    }
    void mechvibesTestdata()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, down);
        QFETCH(QString, up);
        QFETCH(int, keyDown);
        QFETCH(int, keyUp);
        const QString path = QStringLiteral(PLINKUM_DATA_DIR "/mechvibes/") + folder;
        const std::optional<PackInfo> info = PackLoader::readInfo(path, false);
        QVERIFY(info);
        QCOMPARE(info->name, name);
        QCOMPARE(info->id, "folder:" + folder);

        const PackLoader::LoadResult result = PackLoader::load(*info);
        QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.failure().message));
        const LoadedPack &pack = *result.pack();
        QCOMPARE(describe(pack.down()), down);
        QCOMPARE(describe(pack.up()), up);
        QCOMPARE(int(pack.keyDown().size()), keyDown);
        QCOMPARE(int(pack.keyUp().size()), keyUp);

        // No slice is longer than the longest window these packs define (about 250 ms).
        if (folder != QLatin1String("nk-cream") && folder.contains(QLatin1String("pbt")))
            for (const auto &[category, list] : pack.down())
                for (const SamplePtr &sample : list)
                    QVERIFY(sample->unshifted().frameCount() <= 48000 / 4);
        // The press sound of each defined key is also in its category's list, as the same object.
        for (const auto &[keyCode, list] : pack.keyDown()) {
            QCOMPARE(list.size(), std::size_t(1));
            const SampleList &category = pack.down().at(keyCategory(keyCode));
            QVERIFY(std::find(category.begin(), category.end(), list.front()) != category.end());
        }
    }
};

QTEST_GUILESS_MAIN(TestPackLoader)
#include "tst_packloader.moc"
