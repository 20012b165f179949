// plinkum-pack render, run as pack authors run it, on one of the shared Mechvibes packs.

#include <QtTest>

#include <sndfile.h>

namespace {

const QString tool = QStringLiteral(PLINKUM_BINARY_DIR "/bin/plinkum-pack");
const QString pack = QStringLiteral(PLINKUM_TESTDATA_DIR "/mechvibes/cherrymx-brown-pbt");

struct Run {
    int exitCode = -1;
    QJsonObject output;
};

Run render(const QStringList &arguments)
{
    QProcess process;
    process.start(tool, QStringList{"render"} + arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QJsonDocument::fromJson(process.readAllStandardOutput()).object()};
}

// Energy of the left and right channel over [from, to) seconds.
std::pair<double, double> energy(const std::vector<float> &samples, double from, double to)
{
    double left = 0.0;
    double right = 0.0;
    for (auto f = static_cast<std::size_t>(from * 48000); f < static_cast<std::size_t>(to * 48000); ++f) {
        left += double(samples[2 * f]) * samples[2 * f];
        right += double(samples[2 * f + 1]) * samples[2 * f + 1];
    }
    return {left, right};
}

std::vector<float> readWav(const QString &path, SF_INFO &info)
{
    SNDFILE *file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    return samples;
}

} // namespace

class TestRenderCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(pack + "/config.json"))
            QSKIP("the shared Mechvibes test packs are not here");
    }

    void stereo_data()
    {
        QTest::addColumn<bool>("stereo");
        QTest::newRow("stereo on") << true;
        QTest::newRow("stereo off") << false;
    }
    void stereo()
    {
        QFETCH(bool, stereo);
        QTemporaryDir dir;
        const QString out = dir.filePath("out.wav");
        const Run run = render({pack, "--keys", "escape:down@0 right:down@500", "--out", out, "--stereo",
                                stereo ? "on" : "off", "--seed", "3"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output.value("frames").toInteger(), 48000 * 3 / 2);

        SF_INFO info{};
        const std::vector<float> samples = readWav(out, info);
        QCOMPARE(info.samplerate, 48000);
        QCOMPARE(info.channels, 2);
        QCOMPARE(info.frames, 72000);
        const auto [escapeLeft, escapeRight] = energy(samples, 0.0, 0.5);
        const auto [arrowLeft, arrowRight] = energy(samples, 0.5, 1.5);
        QVERIFY(escapeLeft > 0.0 && arrowRight > 0.0);
        if (stereo) {
            QVERIFY(escapeLeft > 4 * escapeRight);
            QVERIFY(arrowRight > 4 * arrowLeft);
        } else {
            QCOMPARE(escapeLeft, escapeRight);
            QCOMPARE(arrowLeft, arrowRight);
        }
    }

    void sameSeedSameSound()
    {
        QTemporaryDir dir;
        const QStringList common{pack, "--keys", "a:down@0 s:down@40 d:down@80", "--seed", "42"};
        QCOMPARE(render(common + QStringList{"--out", dir.filePath("1.wav")}).exitCode, 0);
        QCOMPARE(render(common + QStringList{"--out", dir.filePath("2.wav")}).exitCode, 0);
        SF_INFO info{};
        QCOMPARE(readWav(dir.filePath("1.wav"), info), readWav(dir.filePath("2.wav"), info));
    }

    void rejects_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("bad sequence") << QStringList{pack, "--keys", "a:sideways@0", "--out", "x.wav"} << 2;
        QTest::newRow("volume above one") << QStringList{pack, "--keys", "a:down@0", "--out", "x.wav", "--volume", "2"} << 2;
        QTest::newRow("stereo maybe") << QStringList{pack, "--keys", "a:down@0", "--out", "x.wav", "--stereo", "maybe"} << 2;
        QTest::newRow("no output") << QStringList{pack, "--keys", "a:down@0"} << 2;
        QTest::newRow("not a pack") << QStringList{"/nonexistent", "--keys", "a:down@0", "--out", "x.wav"} << 1;
        QTest::newRow("unwritable output") << QStringList{pack, "--keys", "a:down@0", "--out", "/nonexistent/x.wav"} << 1;
    }
    void rejects()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        QCOMPARE(render(arguments).exitCode, exitCode);
        QVERIFY(!QFileInfo::exists(dir.filePath("x.wav")));
    }
};

QTEST_GUILESS_MAIN(TestRenderCommand)
#include "tst_rendercommand.moc"
