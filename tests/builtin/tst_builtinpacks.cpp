#include "AudioFile.h"
#include "BuiltInPacks.h"
#include "KeyCategory.h"
#include "KeyTables.h"
#include "MechvibesConfig.h"
#include "PackLibrary.h"
#include "PackLoader.h"
#include "PhraseRenderer.h"
#include "SoundMeasure.h"

#include <QtTest>

#include <cmath>
#include <map>

using namespace plinkum;

namespace {

QDir packsDir() { return QDir(QStringLiteral(PLINKUM_BUILTIN_PACKS_DIR)); }
QDir mechvibesDir() { return QDir(QStringLiteral(PLINKUM_MECHVIBES_DIR)); }

QStringList packFolders() { return packsDir().entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name); }

// The typing phrase played from the pack's sounds as the engine picks them, unpanned.
QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject manifest(const QString &folder)
{
    return QJsonDocument::fromJson(readAll(packsDir().filePath(folder + QStringLiteral("/pack.json")))).object();
}

struct Match {
    double correlation = 0;
    std::size_t lag = 0;
};

// Best normalised cross-correlation of needle against haystack over lags [from, to), on first
// differences so that the DC offset and rumble the importers remove do not count.
Match bestMatch(const std::vector<float> &needle, const std::vector<float> &haystack, std::size_t from, std::size_t to)
{
    const auto d = [](const std::vector<float> &x, std::size_t i) { return double(x[i + 1]) - x[i]; };
    const std::size_t n = needle.size() - 1;
    double needleEnergy = 0;
    Match best;
    for (std::size_t i = 0; i < n; ++i)
        needleEnergy += d(needle, i) * d(needle, i);
    for (std::size_t lag = from; lag < to && lag + n < haystack.size(); ++lag) {
        double dot = 0, energy = 0;
        for (std::size_t i = 0; i < n; ++i) {
            dot += d(needle, i) * d(haystack, lag + i);
            energy += d(haystack, lag + i) * d(haystack, lag + i);
        }
        if (energy > 0 && needleEnergy > 0 && dot / std::sqrt(energy * needleEnergy) > best.correlation)
            best = {dot / std::sqrt(energy * needleEnergy), lag};
    }
    return best;
}

std::vector<float> head(const std::vector<float> &frames, std::size_t from, std::size_t count)
{
    from = std::min(from, frames.size());
    return {frames.begin() + from, frames.begin() + std::min(frames.size(), from + count)};
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
            m_played[folder] = PhraseRenderer::render(result.pack());
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
    // press and release, a release for every key with a press of its own; every file starts
    // within 1 ms of its transient and stays below full scale; each pack is as loud as the rest;
    // a recorded pack carries its credit and the licence of its recordings.
    void pack()
    {
        QFETCH(QString, folder);
        const LoadedPackPtr pack = m_loaded.at(folder);
        for (const auto *map : {&pack->down(), &pack->up()}) {
            for (KeyCategory category : allKeyCategories)
                QVERIFY2(map->contains(category) && !map->at(category).empty(), rawValue(category).data());
        }
        QVERIFY(pack->down().at(KeyCategory::Standard).size() >= 3);
        for (const auto &row : KeyTables::keyboardRows())
            for (KeyCode key : row)
                QVERIFY2(!pack->samples(InputEvent::keyDown(key)).empty() && !pack->samples(InputEvent::keyUp(key)).empty(),
                         qPrintable(QString::number(key)));
        for (const auto &[key, samples] : pack->keyDown())
            QVERIFY2(pack->keyUp().contains(key), qPrintable(QString::number(key)));

        const QDir dir(packsDir().filePath(folder));
        for (const QString &name : dir.entryList({QStringLiteral("*.flac")}, QDir::Files)) {
            const auto audio = AudioFile::read(dir.filePath(name));
            QVERIFY2(audio && !audio->frames.empty(), qPrintable(name));
            const float peak = SoundMeasure::peak(audio->frames);
            QVERIFY2(peak < BuiltInPacks::peakLimit + 1e-3f, qPrintable(name));
            QVERIFY2(SoundMeasure::onsetSeconds(audio->frames, audio->sampleRate) <= 0.001, qPrintable(name));
            QVERIFY2(std::abs(audio->frames.front()) < 0.1f * peak, qPrintable(name + QStringLiteral(" starts inside its transient")));
        }
        // Within half a dB of the target, every pack is within one of every other; and the phrase
        // must not clip at full volume with stereo and pitch variation on.
        const std::vector<float> &played = m_played.at(folder);
        const double loudness = SoundMeasure::loudness(played, 2, 48000);
        QVERIFY2(std::abs(loudness - BuiltInPacks::targetLufs) <= 0.5, qPrintable(QString::number(loudness)));
        QVERIFY(SoundMeasure::peak(played) < 1.0f);

        const QJsonObject m = manifest(folder);
        const QString source = m.value(QStringLiteral("source")).toString();
        QVERIFY2(source == QLatin1String("recorded") || source == QLatin1String("modelled"), qPrintable(source));
        if (source == QLatin1String("recorded")) {
            QVERIFY(m.value(QStringLiteral("credit")).toString().startsWith(QLatin1String("Recorded")));
            if (folder != QLatin1String("buckling-spring")) {
                QCOMPARE(readAll(dir.filePath(QStringLiteral("LICENSE-mechvibes.txt"))),
                         readAll(mechvibesDir().filePath(QStringLiteral("LICENSE-mechvibes.txt"))));
            }
        }
    }

    // Catches two packs generated alike: on the typing phrase no two may sound closer than 1.0.
    void packsDiffer()
    {
        const QStringList folders = packFolders();
        std::vector<std::vector<double>> bands;
        for (const QString &folder : folders) {
            bands.push_back(SoundMeasure::spectralShape(m_played.at(folder), 2, 48000));
        }
        for (int i = 0; i < folders.size(); ++i) {
            for (int j = i + 1; j < folders.size(); ++j) {
                const double distance = SoundMeasure::spectralDistance(bands[i], bands[j]);
                QVERIFY2(distance >= 1.0, qPrintable(QStringLiteral("%1 and %2: %3 dB").arg(folders[i], folders[j]).arg(distance)));
            }
        }
    }

    // Without bucklespring's recordings the buckling spring is modelled, credited as such, and
    // every run writes the same bytes; the eight Mechvibes packs are recorded in either case.
    void generatorIsDeterministicWithoutBucklespring()
    {
        QTemporaryDir first, second;
        QString error;
        QVERIFY2(BuiltInPacks::generate({first.path(), mechvibesDir().path(), QString(), {}}, &error), qPrintable(error));
        QVERIFY2(BuiltInPacks::generate({second.path(), mechvibesDir().path(), QStringLiteral("/nonexistent"), {}}, &error),
                 qPrintable(error));
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
        QVERIFY(credits.contains("  Buckling Spring · IBM Model M\n"));
        QVERIFY(credits.contains("  Cherry MX Red · PBT (from Mechvibes' cherrymx-red-pbt)\n"));
        QVERIFY(!BuiltInPacks::generate({first.path(), QString(), QString(), {}}, &error));
    }

    // Each recorded key's press comes from its own place in the Mechvibes recording, within
    // 40 ms before to 60 ms after the start of the slice Mechvibes gives (its times are rough and
    // often lead the stroke by 20 ms), and its release from the same stroke 30 to 400 ms later.
    void recordedKeysComeFromTheirSlices_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("number");
        QTest::newRow("MX Red S") << "mx-red" << "cherrymx-red-pbt" << 31;
        QTest::newRow("MX Black A") << "mx-black" << "cherrymx-black-pbt" << 30;
        QTest::newRow("MX Brown PBT A") << "mx-brown-pbt" << "cherrymx-brown-pbt" << 30;
        QTest::newRow("MX Brown ABS Return") << "mx-brown-abs" << "cherrymx-brown-abs" << 28;
        QTest::newRow("MX Blue S") << "mx-blue" << "cherrymx-blue-pbt" << 31;
        QTest::newRow("Topre space") << "topre" << "topre-purple-hybrid-pbt" << 57;
        QTest::newRow("NK Cream A (a file per key)") << "nk-cream" << "nk-cream" << 30;
    }

    void recordedKeysComeFromTheirSlices()
    {
        QFETCH(QString, folder);
        QFETCH(QString, source);
        QFETCH(int, number);
        const QDir from(mechvibesDir().filePath(source));
        const auto config = PackLoader::MechvibesConfig::decode(readAll(from.filePath(QStringLiteral("config.json"))));
        QVERIFY(config && config->defines.value(QString::number(number)));
        const auto define = *config->defines.value(QString::number(number));
        const bool slice = define.kind == PackLoader::MechvibesConfig::Define::Kind::Slice;
        const auto recording = AudioFile::read(from.filePath(slice ? *config->sound : define.file));
        QVERIFY(recording);
        const double rate = recording->sampleRate;
        const auto at = [&](double ms) { return static_cast<std::size_t>(std::max(0.0, ms) * rate / 1000); };
        const std::size_t start = slice ? at(define.start) : 0;
        const std::size_t end = slice ? at(define.start + define.duration + 300) : recording->frames.size();

        const QString key = QString::number(*KeyTables::mechvibesKey(number));
        const QJsonObject m = manifest(folder);
        const auto sound = [&](const char *member) {
            const QJsonArray files = m.value(QLatin1String(member)).toObject().value(key).toArray();
            return files.size() == 1 ? AudioFile::read(packsDir().filePath(folder + QLatin1Char('/') + files.first().toString()))
                                     : std::nullopt;
        };
        const auto press = sound("keys");
        const auto release = sound("keysUp");
        QVERIFY(press && release);
        // Skips the fade-in; 8 ms of the transient identify a stroke.
        const Match down = bestMatch(head(press->frames, at(0.6), at(8)), recording->frames, start > at(40) ? start - at(40) : 0, end);
        QVERIFY2(down.correlation > 0.9, qPrintable(QString::number(down.correlation)));
        QVERIFY2(down.lag + at(40) >= start && down.lag <= start + at(60), qPrintable(QString::number(down.lag / rate - start / rate)));
        const Match up = bestMatch(head(release->frames, at(0.6), at(8)), recording->frames, down.lag + at(30), down.lag + at(400));
        QVERIFY2(up.correlation > 0.9, qPrintable(QString::number(up.correlation)));
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
            // The right recording correlates above 0.93, another key's below 0.25.
            const Match match = bestMatch(head(packed->frames, 0, 4000), original->frames, 0, original->frames.size() / 2);
            QVERIFY2(match.correlation > 0.8, down ? "press" : "release");
        }
        QVERIFY(packsDir().exists(QStringLiteral("buckling-spring/GPL-2.txt")));
        QVERIFY(packsDir().exists(QStringLiteral("buckling-spring/copyright.txt")));
        QVERIFY(readAll(packsDir().filePath(QStringLiteral("ACKNOWLEDGEMENTS.txt"))).contains("bucklespring"));
    }

private:
    std::map<QString, LoadedPackPtr> m_loaded;
    std::map<QString, std::vector<float>> m_played; // the typing phrase through the engine
};

QTEST_GUILESS_MAIN(TestBuiltInPacks)
#include "tst_builtinpacks.moc"
