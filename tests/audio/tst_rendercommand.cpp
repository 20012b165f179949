// plinkum-pack render, run as pack authors run it, on one of the Mechvibes packs in data/.

#include <QtTest>

#include <sndfile.h>

namespace {

const QString tool = QStringLiteral(PLINKUM_BINARY_DIR "/bin/plinkum-pack");
const QString pack = QStringLiteral(PLINKUM_DATA_DIR "/mechvibes/cherrymx-brown-pbt");

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
    // Escape is heard left and Right Arrow right, in a file of the script's length; --stereo off
    // centres both, and the same seed renders the same samples.
    void rendersTheScript()
    {
        QTemporaryDir dir;
        const QStringList common{pack, "--keys", "escape:down@0 right:down@500", "--seed", "3"};
        const Run run = render(common + QStringList{"--out", dir.filePath("1.wav")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output.value("frames").toInteger(), 72000);
        QCOMPARE(render(common + QStringList{"--out", dir.filePath("2.wav")}).exitCode, 0);
        QCOMPARE(render(common + QStringList{"--out", dir.filePath("mono.wav"), "--stereo", "off"}).exitCode, 0);

        SF_INFO info{};
        const std::vector<float> samples = readWav(dir.filePath("1.wav"), info);
        QCOMPARE(info.samplerate, 48000);
        QCOMPARE(info.channels, 2);
        QCOMPARE(info.frames, 72000);
        QCOMPARE(readWav(dir.filePath("2.wav"), info), samples);
        // Escape (first half second) is louder on the left, Right Arrow (the rest) on the right.
        const auto leftLouder = [](const std::vector<float> &x, std::size_t from, std::size_t to) {
            double balance = 0.0;
            for (std::size_t f = from; f < to; ++f)
                balance += double(x[2 * f]) * x[2 * f] - double(x[2 * f + 1]) * x[2 * f + 1];
            return balance;
        };
        QVERIFY(leftLouder(samples, 0, 24000) > 0.0);
        QVERIFY(leftLouder(samples, 24000, 72000) < 0.0);
        const std::vector<float> mono = readWav(dir.filePath("mono.wav"), info);
        QVERIFY(std::any_of(mono.begin(), mono.end(), [](float s) { return s != 0.0f; }));
        for (std::size_t f = 0; f < mono.size() / 2; ++f)
            QCOMPARE(mono[2 * f], mono[2 * f + 1]);
    }

    void rejects_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("bad sequence") << QStringList{pack, "--keys", "a:sideways@0", "--out", "x.wav"} << 2;
        QTest::newRow("volume above one") << QStringList{pack, "--keys", "a:down@0", "--out", "x.wav", "--volume", "2"} << 2;
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
