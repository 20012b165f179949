#include "LoadedPack.h"

#include <QtTest>

using namespace plinkum;

namespace {
SamplePtr makeSample(float marker)
{
    auto sample = std::make_shared<Sample>();
    sample->variants.emplace_back(std::vector<float>{marker});
    return sample;
}
} // namespace

class TestLoadedPack : public QObject {
    Q_OBJECT

private slots:
    void lookup_data()
    {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<bool>("down");
        QTest::addColumn<bool>("standard"); // false: the standard list is empty
        QTest::addColumn<float>("expected"); // marker of the first sample, -1 for silence

        // down: standard 1, space 2, enter empty; keyDown: 0 (A) → 10, 1 (S) empty
        // up: only a keyUp entry for A → 20
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
        QFETCH(float, expected);
        LoadedPack pack({}, {{KeyCategory::Standard, standard ? SampleList{makeSample(1)} : SampleList{}},
                             {KeyCategory::Space, {makeSample(2)}}, {KeyCategory::Enter, {}}},
                        {}, {{0, {makeSample(10)}}, {1, {}}}, {{0, {makeSample(20)}}});
        const SampleList &list = pack.samples(static_cast<KeyCode>(keyCode), down);
        QCOMPARE(list.empty() ? -1.0f : list.front()->variants.front().frames().front(), expected);
    }

    // The unshifted variant is the middle of five, or the last of fewer.
    void unshiftedVariant()
    {
        for (const auto &[count, expected] : {std::pair{5, 2.0f}, std::pair{2, 1.0f}}) {
            Sample sample;
            for (int i = 0; i < count; ++i)
                sample.variants.emplace_back(std::vector<float>{float(i)});
            QCOMPARE(sample.unshifted().frames().front(), expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestLoadedPack)
#include "tst_loadedpack.moc"
