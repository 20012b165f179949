#include "NullOutput.h"
#include "SoundEngine.h"
#include "TestPacks.h"
#include "WavFileOutput.h"

#include <QtTest>

#include <sndfile.h>

using namespace plinkum;

class TestClockedOutput : public QObject {
    Q_OBJECT

private slots:
    void nullOutputPullsInRealTime()
    {
        SoundEngine engine(24, std::make_unique<NullOutput>(), 1);
        engine.setPack(testpacks::uniform(48000));
        QVERIFY(engine.start());
        QVERIFY(engine.output()->isRunning());
        engine.play(0, true);
        QTRY_VERIFY_WITH_TIMEOUT(engine.mixer().isPlaying(0), 1000);
    }

    void wavFileRecordsWhatPlays()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.wav");
        {
            SoundEngine engine(24, std::make_unique<WavFileOutput>(path.toStdString()), 1);
            engine.setPack(testpacks::uniform(2400));
            QVERIFY(engine.start());
            engine.play(0, true);
            QTest::qWait(200);
        }
        SF_INFO info{};
        SNDFILE *file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
        QVERIFY(file);
        std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
        sf_readf_float(file, samples.data(), info.frames);
        sf_close(file);
        QCOMPARE(info.samplerate, 48000);
        QCOMPARE(info.channels, 2);
        QVERIFY(info.frames >= 4800); // about 200 ms of blocks, whatever the machine's load
        QVERIFY(std::any_of(samples.begin(), samples.end(), [](float s) { return s > 0.3f; }));
    }

    void unwritableFileFailsToStart()
    {
        SoundEngine engine(24, std::make_unique<WavFileOutput>("/nonexistent-dir/out.wav"), 1);
        QVERIFY(!engine.start());
        QVERIFY(!engine.output()->isRunning());
    }
};

QTEST_GUILESS_MAIN(TestClockedOutput)
#include "tst_clockedoutput.moc"
