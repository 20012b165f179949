#include "PackLoader.h"

#include <QtTest>

using namespace plinkum;

// The Mechvibes packs in the shared test data, as their users would load them.
class TestTestdataPacks : public QObject {
    Q_OBJECT

    static QString describe(const LoadedPack::CategoryMap &map)
    {
        QStringList parts;
        for (KeyCategory category : allKeyCategories) {
            if (const auto it = map.find(category); it != map.end())
                parts.append(QStringLiteral("%1:%2").arg(QString::fromLatin1(rawValue(category).data())).arg(it->second.size()));
        }
        return parts.join(' ');
    }

private slots:
    void load_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("down");
        QTest::addColumn<QString>("up");
        QTest::addColumn<int>("keyDown");
        QTest::addColumn<int>("keyUp");
        // Slice packs and one multi pack with a WAV per key: every key of the Mechvibes table is
        // defined (84 of their 114 defines; the rest are keys the table does not hold).
        const QString fullKeyboard = "standard:70 space:1 enter:2 backspace:2 modifier:9";
        QTest::newRow("slices, stereo 44.1 kHz Vorbis") << "cherrymx-brown-pbt" << "CherryMX Brown - PBT keycaps" << fullKeyboard << "" << 84 << 0;
        QTest::newRow("slices, 48 kHz, null defines") << "eg-oreo" << "EG Oreo" << fullKeyboard << "" << 84 << 0;
        QTest::newRow("slices, mono") << "topre-purple-hybrid-pbt" << "Topre Purple Hybrid - PBT keycaps" << fullKeyboard << "" << 84 << 0;
        QTest::newRow("multi, a WAV per key, no sound file") << "nk-cream" << "NK Cream (original by Ryan)" << fullKeyboard << "" << 84 << 0;
        // Version 2 multi: {0-4} gives five default press sounds and soundup the release.
        QTest::newRow("version 2 with {0-4}") << "holy-pandas" << "pandas" << "standard:5 space:1 enter:1 backspace:1" << "standard:1" << 3 << 3;
        QTest::newRow("version 2, key files missing") << "mxblue-travel" << "MX Blue - Full Travel" << "standard:5" << "standard:1" << 0 << 0;
    }
    void load()
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

        // Every sample has its five variants, the unshifted one in the middle, and no slice is
        // longer than the longest window these packs define (about 250 ms).
        for (const auto *map : {&pack.down(), &pack.up()}) {
            for (const auto &[category, list] : *map) {
                for (const SamplePtr &sample : list) {
                    QCOMPARE(sample->variants.size(), std::size_t(5));
                    QVERIFY(sample->variants[0].frameCount() > sample->variants[2].frameCount());
                    QVERIFY(sample->variants[4].frameCount() < sample->variants[2].frameCount());
                    if (folder != QLatin1String("nk-cream") && folder.contains(QLatin1String("pbt")))
                        QVERIFY(sample->unshifted().frameCount() <= 48000 / 4);
                }
            }
        }
        // The press sound of each defined key is also in its category's list, as the same object.
        for (const auto &[keyCode, list] : pack.keyDown()) {
            QCOMPARE(list.size(), std::size_t(1));
            const SampleList &category = pack.down().at(keyCategory(keyCode));
            QVERIFY(std::find(category.begin(), category.end(), list.front()) != category.end());
        }
        // nk-cream names e.wav for Mechvibes keys 3, 4 and 18 (key codes 19, 20 and 14): one sample.
        if (folder == QLatin1String("nk-cream")) {
            QCOMPARE(pack.keyDown().at(19).front(), pack.keyDown().at(14).front());
            QCOMPARE(pack.keyDown().at(20).front(), pack.keyDown().at(14).front());
        }
    }
};

QTEST_GUILESS_MAIN(TestTestdataPacks)
#include "tst_testdatapacks.moc"
