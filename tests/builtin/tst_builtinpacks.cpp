#include "audio/PackLoudness.h"
#include "audio/TypingPhrase.h"
#include "tools/packgen/AudioFile.h"
#include "tools/packgen/BuiltInPacks.h"
#include "tools/packgen/KbsimRecordingImport.h"
#include "tools/packgen/MouseRecordingImport.h"
#include "keys/KeyCategory.h"
#include "keys/KeyTables.h"
#include "packs/MechvibesConfig.h"
#include "packs/PackLevel.h"
#include "packs/PackLibrary.h"
#include "packs/PackLoader.h"
#include "tools/packgen/SoundMeasure.h"
#include "tests/support/TestPacks.h"

#include <QtTest>

#include <cmath>
#include <map>

using namespace plinkum;
using TestPacks::readFile;

namespace {

QDir packsDir() { return QDir(QStringLiteral(PLINKUM_BUILTIN_PACKS_DIR)); }
QDir mechvibesDir() { return QDir(QStringLiteral(PLINKUM_MECHVIBES_DIR)); }
QDir kbsimDir() { return QDir(QStringLiteral(PLINKUM_KBSIM_DIR)); }
QDir miceDir() { return QDir(QStringLiteral(PLINKUM_MOUSE_CLICKS_DIR)); }

QStringList packFolders() { return packsDir().entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name); }

QJsonObject manifest(const QString &folder)
{
    return QJsonDocument::fromJson(readFile(packsDir().filePath(folder + QStringLiteral("/pack.json")))).object();
}

struct Match {
    double correlation = 0;
    std::size_t lag = 0;
};

// Best normalised cross-correlation over lags [from, to), on first differences (DC and rumble ignored).
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
            m_played[folder] = TypingPhrase::render(result.pack());
        }
    }

    // The library lists the 21 switches under the four families in panel order, the default among
    // them, and the 7 mice after them as mouse packs only.
    void lineup()
    {
        QTemporaryDir user;
        const PackLibrary library(packsDir().path(), user.path());
        QCOMPARE(library.builtIn().size(), 28);
        QStringList titles;
        for (const auto &group : library.grouped()) {
            titles << group.title;
            for (const PackInfo &pack : group.packs)
                QVERIFY2(pack.mouse != pack.keyboard && pack.mouse == (group.title == QLatin1String("Mouse")), qPrintable(pack.id));
        }
        QCOMPARE(titles, PackLibrary::familyOrder + QStringList{QStringLiteral("Mouse")});
        const auto brown = std::find_if(library.builtIn().begin(), library.builtIn().end(),
                                        [](const PackInfo &p) { return p.id == QLatin1String(defaultPackID); });
        QVERIFY(brown != library.builtIn().end());
        QCOMPARE(brown->name, QStringLiteral("Cherry MX Brown · PBT"));
        QSet<qint64> orders;
        for (const PackInfo &pack : library.builtIn())
            orders.insert(pack.order);
        QCOMPARE(orders.size(), 28);
        std::map<QString, int> sources;
        for (const QString &folder : packFolders())
            ++sources[manifest(folder).value(QStringLiteral("source")).toString()];
        QCOMPARE(sources, (std::map<QString, int>{{QStringLiteral("derived"), 6}, {QStringLiteral("recorded"), 22}}));
    }

    void pack_data()
    {
        QTest::addColumn<QString>("folder");
        for (const QString &folder : packFolders())
            QTest::newRow(qPrintable(folder)) << folder;
    }

    // Every category and key (a mouse pack: left and right and no key) sounds on press and
    // release, trimmed, unclipped, level-matched, credited.
    void pack()
    {
        QFETCH(QString, folder);
        const LoadedPackPtr pack = m_loaded.at(folder);
        const QDir dir(packsDir().filePath(folder));
        const bool mouse = pack->info().mouse;
        const bool mechvibes = dir.exists(QStringLiteral("LICENSE-mechvibes.txt"));
        if (mouse) {
            for (const PointerButton button : {PointerButton::Left, PointerButton::Right})
                for (const bool down : {true, false})
                    QVERIFY(!pack->samples(InputEvent::button(button, down)).empty());
            QVERIFY(!pack->info().keyboard && pack->samples(InputEvent::keyDown(0)).empty());
        } else {
            for (const auto *map : {&pack->down(), &pack->up()})
                for (KeyCategory category : allKeyCategories)
                    QVERIFY2(map->contains(category) && !map->at(category).empty(), rawValue(category).data());
            const SampleList &ordinary = pack->down().at(KeyCategory::Standard);
            QVERIFY(mechvibes ? ordinary.size() >= 3 : !ordinary.empty());
            double flatness = 0;
            for (std::size_t i = 0; i < ordinary.size(); ++i) {
                const auto &frames = ordinary[i]->unshifted().frames();
                flatness += std::log(SoundMeasure::attackFlatness(frames, 48000)) / static_cast<double>(ordinary.size());
                for (std::size_t j = i + 1; j < ordinary.size(); ++j)
                    QVERIFY(!KbsimRecordingImport::sameStroke(frames, ordinary[j]->unshifted().frames(), 48000));
            }
            QVERIFY2(std::exp(flatness) >= 0.002, qPrintable(QString::number(std::exp(flatness))));
            for (const auto &row : KeyTables::keyboardRows())
                for (KeyCode key : row)
                    QVERIFY2(!pack->samples(InputEvent::keyDown(key)).empty() && !pack->samples(InputEvent::keyUp(key)).empty(),
                             qPrintable(QString::number(key)));
            // A Mechvibes key's release comes from its own stroke; kbsim's are by category.
            for (const auto &[key, samples] : pack->keyDown())
                QVERIFY2(!mechvibes || pack->keyUp().contains(key), qPrintable(QString::number(key)));
        }

        for (const QString &name : dir.entryList({QStringLiteral("*.flac")}, QDir::Files)) {
            const auto audio = AudioFile::read(dir.filePath(name));
            QVERIFY2(audio && !audio->frames.empty(), qPrintable(name));
            const float peak = SoundMeasure::peak(audio->frames);
            QVERIFY2(peak < BuiltInPacks::peakLimit + 1e-3f, qPrintable(name));
            QVERIFY2(SoundMeasure::onsetSeconds(audio->frames, audio->sampleRate) <= 0.001, qPrintable(name));
            QVERIFY2(std::abs(audio->frames.front()) < 0.1f * peak, qPrintable(name + QStringLiteral(" starts inside its transient")));
        }
        // Within half a dB of the target and of each other; the phrase must not clip at full volume.
        const std::vector<float> &played = m_played.at(folder);
        const double loudness = PackLoudness::loudness(played, 2, 48000);
        QVERIFY2(std::abs(loudness - PackLoudness::target(m_loaded.at(folder)->info())) <= 0.5, qPrintable(QString::number(loudness)));
        QVERIFY(SoundMeasure::peak(played) < 1.0f);

        const QJsonObject m = manifest(folder);
        const QString source = m.value(QStringLiteral("source")).toString();
        const QString credit = m.value(QStringLiteral("credit")).toString();
        QVERIFY2(source == QLatin1String("recorded") ? credit.startsWith(QLatin1String("Recorded"))
                                                     : source == QLatin1String("derived") && credit.startsWith(QLatin1String("Derived")),
                 qPrintable(source + QStringLiteral(": ") + credit));
        if (mechvibes) {
            QCOMPARE(readFile(dir.filePath(QStringLiteral("LICENSE-mechvibes.txt"))),
                     readFile(mechvibesDir().filePath(QStringLiteral("LICENSE-mechvibes.txt"))));
        } else if (credit.contains(QLatin1String("kbsim"))) {
            QVERIFY(credit.contains(QLatin1String("Thomas Lai")) && credit.contains(QLatin1String("MIT")));
            QCOMPARE(readFile(dir.filePath(QStringLiteral("LICENSE-kbsim.txt"))), readFile(kbsimDir().filePath(QStringLiteral("LICENSE.md"))));
        } else if (mouse) {
            QVERIFY(credit.contains(QLatin1String("keyboardsounds-pro")) && credit.contains(QLatin1String("MIT")));
            QCOMPARE(readFile(dir.filePath(QStringLiteral("LICENSE-keyboardsounds.txt"))), readFile(miceDir().filePath(QStringLiteral("LICENSE"))));
        }
    }

    // No two packs alike: derived ones as far from the rest as two real switches (1.26), none under 1.0.
    void packsDiffer()
    {
        const QStringList folders = packFolders();
        std::vector<std::vector<double>> bands;
        for (const QString &folder : folders)
            bands.push_back(SoundMeasure::spectralShape(m_played.at(folder), 2, 48000));
        for (int i = 0; i < folders.size(); ++i) {
            const bool derived = manifest(folders[i]).value(QStringLiteral("source")) == QLatin1String("derived");
            for (int j = 0; j < folders.size(); ++j) {
                const double distance = SoundMeasure::spectralDistance(bands[i], bands[j]);
                QVERIFY2(i == j || distance >= (derived ? 1.26 : 1.0),
                         qPrintable(QStringLiteral("%1 and %2: %3").arg(folders[i], folders[j]).arg(distance)));
            }
        }
    }

    // Without bucklespring's recordings the Model M is kbsim's, credited so; runs are byte-identical.
    void generatorIsDeterministicWithoutBucklespring()
    {
        QTemporaryDir first, second;
        QString error;
        QVERIFY2(BuiltInPacks::generate({first.path(), mechvibesDir().path(), kbsimDir().path(), miceDir().path(), QString(), {}}, &error), qPrintable(error));
        const QString noBucklespring = QStringLiteral("/nonexistent");
        QVERIFY2(BuiltInPacks::generate({second.path(), mechvibesDir().path(), kbsimDir().path(), miceDir().path(), noBucklespring, {}}, &error), qPrintable(error));
        QDirIterator it(first.path(), QDir::Files, QDirIterator::Subdirectories);
        int files = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            const QString relative = QDir(first.path()).relativeFilePath(path);
            QVERIFY2(readFile(path) == readFile(QDir(second.path()).filePath(relative)), qPrintable(relative));
            ++files;
        }
        QVERIFY(files > 21 * 10);
        const QDir modelM(QDir(first.path()).filePath(QStringLiteral("buckling-spring")));
        QVERIFY(modelM.exists(QStringLiteral("press-r2.flac")) && modelM.exists(QStringLiteral("LICENSE-kbsim.txt")));
        QVERIFY(!modelM.exists(QStringLiteral("GPL-2.txt")));
        const QByteArray credits = readFile(QDir(first.path()).filePath(QStringLiteral("ACKNOWLEDGEMENTS.txt")));
        QVERIFY(!credits.contains("bucklespring"));
        QVERIFY(credits.contains("  Buckling Spring · IBM Model M (from kbsim's buckling)\n"));
        QVERIFY(credits.contains("  Cherry MX Red · PBT (from Mechvibes' cherrymx-red-pbt)\n"));
        QVERIFY(credits.contains("  Alpaca (from kbsim's alpaca)\n"));
        QVERIFY(credits.contains("  Kailh Box Jade (from kbsim's boxnavy)\n"));
        QVERIFY(credits.contains("    amazon-gaming-mouse/scroll-up.mp3: empty\n"));
        QVERIFY(!BuiltInPacks::generate({first.path(), mechvibesDir().path(), QString(), miceDir().path(), QString(), {}}, &error));
        QVERIFY(!BuiltInPacks::generate({first.path(), QString(), kbsimDir().path(), miceDir().path(), QString(), {}}, &error));
        QVERIFY(!BuiltInPacks::generate({first.path(), mechvibesDir().path(), kbsimDir().path(), QString(), QString(), {}}, &error));
    }

    // A click recording is left out when near silence or held at full scale; a peak touching it is kept.
    void unusableClicks()
    {
        QCOMPARE(MouseRecordingImport::unusable(std::vector<float>{0, 0.0025f, -0.002f}).value_or(QString()), "silent (below -50 dBFS)");
        QCOMPARE(MouseRecordingImport::unusable(std::vector<float>{0.5f, 1, 1, -1, 0.2f}).value_or(QString()), "clipped");
        QVERIFY(!MouseRecordingImport::unusable(std::vector<float>{1, 1, 0.99f, 1, 0.01f}));
    }

    // A kbsim key plays its own row's press; kbsim's rows count as one stroke, its Space another.
    void kbsimKeysPlayTheirRow_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<int>("row");
        QTest::newRow("Alpaca 1") << "alpaca" << "alpaca" << 18 << 0;
        QTest::newRow("Red Ink Q") << "red-ink" << "redink" << 12 << 1;
        QTest::newRow("Tealios A") << "tealios" << "turquoise" << 0 << 2;
        QTest::newRow("Box Navy left shift") << "box-navy" << "boxnavy" << 56 << 3;
        QTest::newRow("Alps Blue Command") << "alps-blue" << "bluealps" << 55 << 4;
    }
    void kbsimKeysPlayTheirRow()
    {
        QFETCH(QString, folder);
        QFETCH(QString, source);
        QFETCH(int, keyCode);
        QFETCH(int, row);
        const QString file = QStringLiteral("press-r%1.flac").arg(row);
        QCOMPARE(manifest(folder).value(QStringLiteral("keys")).toObject().value(QString::number(keyCode)).toArray(), QJsonArray{file});
        const auto packed = AudioFile::read(packsDir().filePath(folder + QLatin1Char('/') + file));
        const QDir recordings(kbsimDir().filePath(source));
        const auto recorded = AudioFile::read(recordings.filePath(QStringLiteral("press/GENERIC_R%1.mp3").arg(row)));
        const auto other = AudioFile::read(recordings.filePath(QStringLiteral("press/GENERIC_R%1.mp3").arg((row + 1) % 4)));
        const auto space = AudioFile::read(recordings.filePath(QStringLiteral("press/SPACE.mp3")));
        QVERIFY(packed && recorded && other && space);
        const auto pos = std::max_element(recorded->frames.begin(), recorded->frames.end());
        const Match match = bestMatch(head(packed->frames, 30, 400), recorded->frames, 0,
                                      static_cast<std::size_t>(pos - recorded->frames.begin()) + 400);
        QVERIFY2(match.correlation > 0.9, qPrintable(QString::number(match.correlation)));
        QVERIFY(KbsimRecordingImport::sameStroke(recorded->frames, other->frames, recorded->sampleRate));
        QVERIFY(!KbsimRecordingImport::sameStroke(recorded->frames, space->frames, recorded->sampleRate));
    }

    // A key's press lies 40 ms before to 60 ms after Mechvibes' slice start; its release 30-400 ms later.
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
        const auto config = PackLoader::MechvibesConfig::decode(readFile(from.filePath(QStringLiteral("config.json"))));
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
            QSKIP("bucklespring-data is not installed; the Model M pack is kbsim's");
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
        QVERIFY(readFile(packsDir().filePath(QStringLiteral("ACKNOWLEDGEMENTS.txt"))).contains("bucklespring"));
    }

    // An imported pack plays as loud as the built-in packs, whatever level it was recorded at: every
    // Mechvibes pack from its folder, one from a zip; a trim is heard as itself.
    void importedPacksMatchBuiltIns_data()
    {
        QTest::addColumn<QString>("pack");
        QTest::addColumn<bool>("zipped");
        QTest::addColumn<double>("trimDb");
        for (const QString &pack : mechvibesDir().entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            QTest::newRow(qPrintable(pack)) << pack << false << 0.0;
        QTest::newRow("zip") << QStringLiteral("nk-cream") << true << 0.0;
        QTest::newRow("trim") << QStringLiteral("eg-oreo") << false << -6.0;
    }
    void importedPacksMatchBuiltIns()
    {
        QFETCH(QString, pack);
        QFETCH(bool, zipped);
        QFETCH(double, trimDb);
        QTemporaryDir tmp;
        QString source = mechvibesDir().filePath(pack);
        if (zipped) {
            const QString zip = tmp.filePath(pack + QStringLiteral(".zip"));
            QVERIFY(TestPacks::zipFolder(source, zip));
            source = zip;
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), tmp.path());
        const TestPacks::Run imported = TestPacks::run(QStringLiteral(PLINKUM_BINARY_DIR "/bin/plinkum-pack"),
                                                       {QStringLiteral("import"), source}, environment);
        QVERIFY2(imported.exitCode == 0, imported.err.constData());
        QVERIFY(imported.json.value(QLatin1String("gainDb")).isDouble());
        const QString folder = tmp.filePath(QStringLiteral("Plinkum/Packs/") + imported.json.value(QLatin1String("id")).toString().mid(7));

        double builtIn = 0;
        for (const auto &[name, played] : m_played)
            builtIn += PackLoudness::loudness(played, 2, 48000) / static_cast<double>(m_played.size());
        const auto heard = [&folder] {
            const auto info = PackLoader::readInfo(folder, false);
            return info ? PackLoudness::phraseLoudness(PackLoader::load(*info).pack()) : -HUGE_VAL;
        };
        const double levelled = heard();
        QVERIFY2(std::abs(levelled - builtIn) <= 1.5,
                 qPrintable(QStringLiteral("%1 LUFS, built-in packs %2").arg(levelled).arg(builtIn)));
        if (trimDb != 0) {
            PackLevel level = PackLevel::read(folder);
            level.trimDb = trimDb;
            QVERIFY(level.write(folder));
            const double trimmed = heard();
            QVERIFY2(std::abs(trimmed - levelled - trimDb) <= 0.5, qPrintable(QString::number(trimmed - levelled)));
        }
    }

private:
    std::map<QString, LoadedPackPtr> m_loaded;
    std::map<QString, std::vector<float>> m_played; // the pack's phrase through the engine
};

QTEST_GUILESS_MAIN(TestBuiltInPacks)
#include "tst_builtinpacks.moc"
