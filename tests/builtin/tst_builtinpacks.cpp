#include "AudioFile.h"
#include "BuiltInPacks.h"
#include "KeyCategory.h"
#include "KeyTables.h"
#include "PackLibrary.h"
#include "PackLoader.h"
#include "SoundMeasure.h"

#include <QtTest>

#include <cmath>
#include <map>

using namespace plinkum;

namespace {

QDir packsDir() { return QDir(QStringLiteral(PLINKUM_BUILTIN_PACKS_DIR)); }

QStringList packFolders() { return packsDir().entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name); }

// The typing phrase played from the pack's sounds as the engine picks them, unpanned.
std::vector<float> phraseMix(const LoadedPack &pack)
{
    return SoundMeasure::mixPhrase(
        [&](std::uint16_t keyCode, bool down, int occurrence) -> const std::vector<float> * {
            const SampleList &list = pack.samples(keyCode, down);
            return list.empty() ? nullptr : &list[occurrence % list.size()]->unshifted().frames();
        },
        48000);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject manifest(const QString &folder)
{
    return QJsonDocument::fromJson(readAll(packsDir().filePath(folder + QStringLiteral("/pack.json")))).object();
}

// Highest normalised cross-correlation of needle against haystack over the first lags, on first
// differences so that the DC offset and rumble the importer removes do not count.
double bestCorrelation(const std::vector<float> &needle, const std::vector<float> &haystack, std::size_t lags)
{
    const auto d = [](const std::vector<float> &x, std::size_t i) { return double(x[i + 1]) - x[i]; };
    const std::size_t n = needle.size() - 1;
    double needleEnergy = 0, best = 0;
    for (std::size_t i = 0; i < n; ++i)
        needleEnergy += d(needle, i) * d(needle, i);
    for (std::size_t lag = 0; lag < lags && lag + n < haystack.size(); ++lag) {
        double dot = 0, energy = 0;
        for (std::size_t i = 0; i < n; ++i) {
            dot += d(needle, i) * d(haystack, lag + i);
            energy += d(haystack, lag + i) * d(haystack, lag + i);
        }
        if (energy > 0 && needleEnergy > 0)
            best = std::max(best, dot / std::sqrt(energy * needleEnergy));
    }
    return best;
}

} // namespace

class TestBuiltInPacks : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const QString &folder : packFolders()) {
            const auto info = PackLoader::readInfo(packsDir().filePath(folder), true);
            QVERIFY2(info, qPrintable(folder));
            const auto result = PackLoader::load(*info);
            QVERIFY2(result.ok(), qPrintable(folder));
            m_loaded[folder] = result.pack();
        }
    }

    // The library lists all 21 under the four families in panel order, the default among them.
    void lineup()
    {
        QTemporaryDir user;
        const PackLibrary library(packsDir().path(), user.path());
        QCOMPARE(library.builtIn().size(), 21);
        QStringList titles;
        for (const auto &group : library.grouped())
            titles << group.title;
        QCOMPARE(titles, PackLibrary::familyOrder);
        const auto brown = std::find_if(library.builtIn().begin(), library.builtIn().end(),
                                        [](const PackInfo &p) { return p.id == QLatin1String(defaultPackID); });
        QVERIFY(brown != library.builtIn().end());
        QCOMPARE(brown->name, QStringLiteral("Cherry MX Brown · PBT"));
        QSet<qint64> orders;
        for (const PackInfo &pack : library.builtIn())
            orders.insert(pack.order);
        QCOMPARE(orders.size(), 21);
        // Folders whose names give the switch swatches their own colours.
        const QStringList folders = packFolders();
        for (const char *folder : {"mx-red", "mx-black", "mx-blue", "box-navy", "alps-blue", "red-ink", "black-ink",
                                   "holy-panda", "nk-cream", "alpaca", "tealios", "topre", "buckling-spring"})
            QVERIFY2(folders.contains(QLatin1String(folder)), folder);
    }

    void pack_data()
    {
        QTest::addColumn<QString>("folder");
        for (const QString &folder : packFolders())
            QTest::newRow(qPrintable(folder)) << folder;
    }

    // Own sounds for every category, alternatives for ordinary keys, a sound for every key on
    // press and release; every file starts at once and stays below full scale; each pack is as
    // loud as the rest.
    void pack()
    {
        QFETCH(QString, folder);
        const LoadedPackPtr pack = m_loaded.at(folder);
        for (const auto *map : {&pack->down(), &pack->up()}) {
            for (KeyCategory category : allKeyCategories)
                QVERIFY2(map->contains(category) && !map->at(category).empty(), rawValue(category).data());
            QVERIFY(map->at(KeyCategory::Standard).size() >= 3);
        }
        for (const auto &row : KeyTables::keyboardRows())
            for (KeyCode key : row)
                QVERIFY2(!pack->samples(key, true).empty() && !pack->samples(key, false).empty(),
                         qPrintable(QString::number(key)));

        const QDir dir(packsDir().filePath(folder));
        for (const QString &name : dir.entryList({QStringLiteral("*.flac")}, QDir::Files)) {
            const auto audio = AudioFile::read(dir.filePath(name));
            QVERIFY2(audio && !audio->frames.empty(), qPrintable(name));
            QVERIFY2(SoundMeasure::peak(audio->frames) < BuiltInPacks::peakLimit + 1e-3f, qPrintable(name));
            QVERIFY2(SoundMeasure::onsetSeconds(audio->frames, audio->sampleRate) <= 0.001, qPrintable(name));
        }
        const double loudness = SoundMeasure::loudness(phraseMix(*pack), 1, 48000);
        QVERIFY2(std::abs(loudness - BuiltInPacks::targetLufs) <= 1.0, qPrintable(QString::number(loudness)));
    }

    // Catches two packs made from the same parameters (identical or near-identical sound).
    void packsDiffer()
    {
        const QStringList folders = packFolders();
        std::vector<std::vector<double>> bands;
        for (const QString &folder : folders) {
            bands.push_back(SoundMeasure::spectralShape(phraseMix(*m_loaded.at(folder)), 1, 48000));
        }
        for (int i = 0; i < folders.size(); ++i) {
            for (int j = i + 1; j < folders.size(); ++j) {
                const double distance = SoundMeasure::spectralDistance(bands[i], bands[j]);
                QVERIFY2(distance >= 0.8, qPrintable(QStringLiteral("%1 and %2: %3 dB").arg(folders[i], folders[j]).arg(distance)));
            }
        }
    }

    // Without the recordings the buckling spring is modelled, credited as such, and every run
    // writes the same bytes.
    void generatorIsDeterministicWithoutRecordings()
    {
        QTemporaryDir first, second;
        QString error;
        QVERIFY2(BuiltInPacks::generate({first.path(), QString(), {}}, &error), qPrintable(error));
        QVERIFY2(BuiltInPacks::generate({second.path(), QStringLiteral("/nonexistent"), {}}, &error), qPrintable(error));
        QDirIterator it(first.path(), QDir::Files, QDirIterator::Subdirectories);
        int files = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            const QString relative = QDir(first.path()).relativeFilePath(path);
            QVERIFY2(readAll(path) == readAll(QDir(second.path()).filePath(relative)), qPrintable(relative));
            ++files;
        }
        QVERIFY(files > 21 * 10);
        const QDir modelled(QDir(first.path()).filePath(QStringLiteral("buckling-spring")));
        QVERIFY(modelled.exists(QStringLiteral("press-standard-1.flac")));
        QVERIFY(!modelled.exists(QStringLiteral("GPL-2.txt")));
        const QByteArray credits = readAll(QDir(first.path()).filePath(QStringLiteral("ACKNOWLEDGEMENTS.txt")));
        QVERIFY(!credits.contains("bucklespring"));
        QVERIFY(!credits.contains("recordings"));
        QVERIFY(credits.contains("  Buckling Spring · IBM Model M\n"));
    }

    // The recordings land on the right keys: each key's file is its own Model M recording.
    void recordingsMapToKeys_data()
    {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<QString>("evdev");
        QTest::newRow("A") << 0 << "1e";
        QTest::newRow("H (5 and 4 swap in key codes)") << 4 << "23";
        QTest::newRow("space") << 49 << "39";
        QTest::newRow("left shift") << 56 << "2a";
        QTest::newRow("up arrow") << 126 << "67";
    }

    void recordingsMapToKeys()
    {
        QFETCH(int, keyCode);
        QFETCH(QString, evdev);
        const QDir source(QStringLiteral(PLINKUM_BUCKLESPRING_DIR));
        if (!source.exists(QStringLiteral("39-1.wav")))
            QSKIP("bucklespring-data is not installed; the buckling spring pack is modelled");
        const QJsonObject m = manifest(QStringLiteral("buckling-spring"));
        for (bool down : {true, false}) {
            const QJsonArray files = m.value(QLatin1String(down ? "keys" : "keysUp")).toObject().value(QString::number(keyCode)).toArray();
            QCOMPARE(files.size(), 1);
            const auto packed = AudioFile::read(packsDir().filePath("buckling-spring/" + files.first().toString()));
            const auto original = AudioFile::read(source.filePath(evdev + (down ? "-1.wav" : "-0.wav")));
            QVERIFY(packed && original);
            std::vector<float> head(packed->frames.begin(), packed->frames.begin() + std::min<std::size_t>(4000, packed->frames.size()));
            // The right recording correlates above 0.93, another key's below 0.25.
            QVERIFY2(bestCorrelation(head, original->frames, original->frames.size() / 2) > 0.8, down ? "press" : "release");
        }
        QVERIFY(packsDir().exists(QStringLiteral("buckling-spring/GPL-2.txt")));
        QVERIFY(packsDir().exists(QStringLiteral("buckling-spring/copyright.txt")));
        QVERIFY(readAll(packsDir().filePath(QStringLiteral("ACKNOWLEDGEMENTS.txt"))).contains("bucklespring"));
    }

private:
    std::map<QString, LoadedPackPtr> m_loaded;
};

QTEST_GUILESS_MAIN(TestBuiltInPacks)
#include "tst_builtinpacks.moc"
