#include "LoadedPack.h"
#include "PackLoadError.h"

#include <QtTest>

using namespace plinkum;

namespace {
SamplePtr makeSample(float marker)
{
    auto sample = std::make_shared<Sample>();
    sample->variants.emplace_back(std::vector<float>{marker});
    return sample;
}
float marker(const SampleList &list)
{
    return list.empty() ? -1.0f : list.front()->variants.front().frames().front();
}
} // namespace

class TestLoadedPack : public QObject {
    Q_OBJECT

private slots:
    void lookup_data()
    {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<bool>("down");
        QTest::addColumn<float>("expected"); // marker of the first sample, -1 for silence

        // down: standard 1, space 2, enter empty; keyDown: 0 (A) → 10, 1 (S) empty
        // up: only a keyUp entry for A → 20
        QTest::newRow("per-key wins") << 0 << true << 10.0f;
        QTest::newRow("empty per-key falls back to category") << 1 << true << 1.0f;
        QTest::newRow("category") << 49 << true << 2.0f;
        QTest::newRow("empty category falls back to standard") << 36 << true << 1.0f;
        QTest::newRow("missing category falls back to standard") << 56 << true << 1.0f;
        QTest::newRow("per-key release") << 0 << false << 20.0f;
        QTest::newRow("release never uses press sounds") << 49 << false << -1.0f;
    }
    void lookup()
    {
        QFETCH(int, keyCode);
        QFETCH(bool, down);
        QFETCH(float, expected);
        LoadedPack pack({}, {{KeyCategory::Standard, {makeSample(1)}}, {KeyCategory::Space, {makeSample(2)}},
                             {KeyCategory::Enter, {}}},
                        {}, {{0, {makeSample(10)}}, {1, {}}}, {{0, {makeSample(20)}}});
        QCOMPARE(marker(pack.samples(static_cast<KeyCode>(keyCode), down)), expected);
    }

    void silentWithoutStandard()
    {
        LoadedPack pack({}, {{KeyCategory::Space, {makeSample(2)}}, {KeyCategory::Standard, {}}}, {}, {}, {});
        QVERIFY(pack.samples(0, true).empty());
        QCOMPARE(marker(pack.samples(49, true)), 2.0f);
        QVERIFY(pack.samples(49, false).empty());
    }

    void unshiftedVariant()
    {
        Sample five;
        for (float f : {0.f, 1.f, 2.f, 3.f, 4.f})
            five.variants.emplace_back(std::vector<float>{f});
        QCOMPARE(five.unshifted().frames().front(), 2.0f);
        Sample two;
        for (float f : {0.f, 1.f})
            two.variants.emplace_back(std::vector<float>{f});
        QCOMPARE(two.unshifted().frames().front(), 1.0f);
    }

    void infoIdentity()
    {
        PackInfo builtIn{PackInfo::idFor("mx-brown-pbt", true), "A", {}, 0, QUrl::fromLocalFile("/a"), true};
        PackInfo user{PackInfo::idFor("mx-brown-pbt", false), "A", {}, 0, QUrl::fromLocalFile("/b"), false};
        QCOMPARE(builtIn.id, QStringLiteral("bundle:mx-brown-pbt"));
        QCOMPARE(builtIn.id, QString::fromLatin1(defaultPackID));
        QCOMPARE(user.id, QStringLiteral("folder:mx-brown-pbt"));
        QVERIFY(builtIn != user);

        PackInfo renamed = builtIn;
        renamed.name = "B";
        QVERIFY(renamed != builtIn);
        PackInfo reordered = builtIn;
        reordered.order = 3;
        QVERIFY(reordered != builtIn);
        PackInfo typed = builtIn;
        typed.type = QString();
        QVERIFY(typed != builtIn); // an empty type is not an absent type
        QCOMPARE(qHash(PackInfo(builtIn)), qHash(builtIn));
    }

    void errorTexts()
    {
        QCOMPARE(description(PackLoadError::NoManifest),
                 QStringLiteral("The folder must contain a pack.json or a Mechvibes config.json."));
        QCOMPARE(description(PackLoadError::NoSounds), QStringLiteral("No playable sounds were found in this pack."));
    }
};

QTEST_GUILESS_MAIN(TestLoadedPack)
#include "tst_loadedpack.moc"
