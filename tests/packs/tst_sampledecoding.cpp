#include "DecodeError.h"
#include "SampleCache.h"
#include "SampleDecoding.h"
#include "TestPacks.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>
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
    return [count, runs](QString &) -> std::optional<Samples> {
        if (runs)
            ++*runs;
        return ramp(count);
    };
}
} // namespace

class TestSampleDecoding : public QObject {
    Q_OBJECT

private slots:
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
        QFETCH(Samples, expected);
        QCOMPARE(PackLoader::resample(input, ratio), expected);
    }

    void trim_data()
    {
        QTest::addColumn<int>("onset");
        QTest::addColumn<int>("expectedStart"); // index of the original the result starts at
        QTest::newRow("onset at 48 kept whole") << 48 << 0;
        QTest::newRow("onset at 49 keeps 48 before") << 49 << 1;
        QTest::newRow("onset at 100 starts at 52") << 100 << 52;
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
        QTest::newRow("start truncates") << 10.01 << 2.5 << 480 << 120;
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
        QFETCH(int, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.wav");
        QVERIFY(TestPacks::writeWav(path, Samples(std::size_t(frames * channels), 0.25f), channels, rate, subtype));
        QCOMPARE(int(decodeFile(path).size()), expected);
    }

    // Decoding converts the rate chunk by chunk; it must give what resampling the whole does.
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
    }

    void decodeSilencesNonFiniteSamples()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.wav");
        const float inf = std::numeric_limits<float>::infinity();
        QVERIFY(TestPacks::writeWav(path, {0.5f, std::numeric_limits<float>::quiet_NaN(), -inf, 0.25f}, 1, 48000, SF_FORMAT_FLOAT));
        QCOMPARE(decodeFile(path), (Samples{0.5f, 0.0f, 0.0f, 0.25f}));
    }

    void decodeFailures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::newRow("missing") << "missing.wav" << int(DecodeError::Kind::Missing);
        QTest::newRow("text") << "text.wav" << int(DecodeError::Kind::NotAudio);
        QTest::newRow("directory") << "folder.wav" << int(DecodeError::Kind::Unreadable);
        QTest::newRow("fifo") << "fifo.wav" << int(DecodeError::Kind::Unreadable);
        QTest::newRow("over ten minutes") << "long.wav" << int(DecodeError::Kind::TooLong);
    }
    void decodeFailures()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QTemporaryDir dir;
        QVERIFY(TestPacks::writeText(dir.filePath("text.wav"), "RIFF? no, just words\n"));
        QVERIFY(QDir(dir.path()).mkdir("folder.wav"));
        QCOMPARE(mkfifo(QFile::encodeName(dir.filePath("fifo.wav")).constData(), 0600), 0);
        // 601 s at a low rate keeps the file small.
        QVERIFY(TestPacks::writeWav(dir.filePath("long.wav"), Samples(601 * 200, 0.5f), 1, 200, SF_FORMAT_PCM_U8));
        try {
            decodeFile(dir.filePath(name));
            QFAIL("decoded");
        } catch (const DecodeError &error) {
            QCOMPARE(int(error.kind()), kind);
            QVERIFY(!error.message().isEmpty());
        }
    }

    // Keys are the text as written; a failure is not remembered, so a fixed file loads later.
    void cacheSharesAndRetries()
    {
        SampleCache cache;
        int runs = 0;
        const SamplePtr first = cache.variants("click.wav", rampLoader(100, &runs));
        QVERIFY(first);
        QCOMPARE(cache.variants("click.wav", rampLoader(100, &runs)), first);
        QCOMPARE(runs, 1);
        QVERIFY(cache.variants("./click.wav", rampLoader(100, &runs)) != first);
        QCOMPARE(runs, 2);

        QString why;
        const SampleCache::Loader gone = [](QString &reason) -> std::optional<Samples> {
            reason = "gone";
            return std::nullopt;
        };
        QVERIFY(!cache.variants("x", gone, &why));
        QCOMPARE(why, QString("gone"));
        QVERIFY(!cache.variants("x", rampLoader(0), &why));
        QCOMPARE(why, QString("no samples"));
        QVERIFY(cache.variants("x", rampLoader(10)));
    }

    void cacheKeepsToItsBudget()
    {
        SampleCache cache(variantBytes(1000) + variantBytes(10));
        QVERIFY(cache.variants("a", rampLoader(1000)));
        QString why;
        QVERIFY(!cache.variants("b", rampLoader(11), &why));
        QVERIFY(why.contains("MiB"));
        QVERIFY(cache.variants("c", rampLoader(10)));
        QCOMPARE(cache.bytesHeld(), variantBytes(1000) + variantBytes(10));
    }
};

QTEST_GUILESS_MAIN(TestSampleDecoding)
#include "tst_sampledecoding.moc"
