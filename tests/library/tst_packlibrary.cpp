#include "keys/KeyTables.h"
#include "packs/BeneathOpener.h"
#include "packs/NaturalOrder.h"
#include "packs/PackLibrary.h"
#include "packs/PackLoadError.h"
#include "packs/PackLoader.h"
#include "packs/StagingFolder.h"
#include "tests/support/TestPacks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cmath>
#include <set>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>

using namespace plinkum;
using Kind = PackLibrary::ImportError::Kind;
using namespace TestPacks;

class TestPackLibrary : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_builtIn;
    QString m_sources;

    QString userFolder() const { return m_tmp->path() + "/data/Plinkum/Packs"; }
    std::unique_ptr<PackLibrary> library() const
    {
        return std::make_unique<PackLibrary>(m_builtIn, PackLibrary::defaultUserFolder());
    }

private slots:
    void initTestCase()
    {
        // Sorting must not depend on the machine's locale; CI runs in C.
        QLocale::setDefault(QLocale::c());
    }

    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        // Written as users may set it: paths built on it are not in clean form.
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_tmp->path() + "/data/"));
        m_builtIn = m_tmp->path() + "/builtin";
        m_sources = m_tmp->path() + "/sources";
        QVERIFY(QDir().mkpath(m_builtIn));
    }

    void cleanup() { m_tmp.reset(); }

    void importNamesEachCopyFreely()
    {
        QVERIFY(writeFolder(m_sources + "/Blue Box", validPack("Blue")));
        QVERIFY(writeFolder(m_sources + "/.dotted", validPack("Dotted")));
        QVERIFY(writeFolder(m_builtIn + "/mx-brown-pbt", validPack("Brown")));
        QVERIFY(writeFolder(m_sources + "/mx-brown-pbt", validPack("Brown")));
        const auto lib = library();
        QSignalSpy changed(lib.get(), &PackLibrary::customChanged);

        QStringList imported;
        for (const char *source : {"Blue Box", "Blue Box", "Blue Box", ".dotted", "mx-brown-pbt"}) {
            PackLibrary::ImportError error;
            const auto info = lib->importPack(m_sources + '/' + source, &error);
            QVERIFY2(info, qPrintable(error.message));
            QCOMPARE(info->url, QUrl::fromLocalFile(userFolder() + '/' + info->id.mid(7)));
            imported << info->id;
        }
        QCOMPARE(imported, QStringList({"folder:Blue Box", "folder:Blue Box 2", "folder:Blue Box 3",
                                        "folder:dotted", "folder:mx-brown-pbt"}));
        QCOMPARE(changed.count(), 5);
        QCOMPARE(ids(lib->custom()), QStringList({"folder:Blue Box", "folder:Blue Box 2", "folder:Blue Box 3",
                                                  "folder:mx-brown-pbt", "folder:dotted"}));
        QCOMPARE(ids(lib->builtIn()), QStringList({"bundle:mx-brown-pbt"}));
        QCOMPARE(contents(m_sources + "/Blue Box"), QStringList({"click.wav", "pack.json"}));
    }

    // Only documents, named files, licence and readme are copied, as private regular files.
    void importCopiesOnlyWhatThePackNames()
    {
        const QString source = m_sources + "/Named";
        QVERIFY(writeFolder(source, {{"pack.json", R"({"name": "Named", "down": {"standard": ["click.wav", "link.wav", "sub/../sub/b.wav"]}})"},
                                     {"click.wav", wav}, {"sub/b.wav", wav}, {"notes.txt", "kept"}, {"LICENSE", "GPL"},
                                     {"sub/README", "not beside"}, {"big.txt", QByteArray(2 << 20, 'x')}, {"art.png", "x"}}));
        QVERIFY(QFile::link("click.wav", source + "/link.wav") && QFile::link("..", source + "/loop"));
        QFile huge(source + "/huge.bin");
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(2) << 30));
        huge.close();
        QVERIFY(::chmod(QFile::encodeName(source + "/click.wav").constData(), 0666) == 0);
        QVERIFY(::chmod(QFile::encodeName(source).constData(), 0777) == 0);

        const auto lib = library();
        PackLibrary::ImportError error;
        QVERIFY2(lib->importPack(source, &error), qPrintable(error.message));
        const QString copy = userFolder() + "/Named";
        QCOMPARE(contents(copy), QStringList({"LICENSE", "click.wav", "link.wav", "notes.txt", "pack.json", "sub", "sub/b.wav"}));
        QVERIFY(!QFileInfo(copy + "/link.wav").isSymLink());
        QCOMPARE(readFile(copy + "/link.wav"), readFile(source + "/click.wav"));
        for (const QString &path : {copy, copy + "/sub", copy + "/click.wav", copy + "/sub/b.wav"}) {
            struct stat status {};
            QVERIFY(::lstat(QFile::encodeName(path).constData(), &status) == 0);
            QCOMPARE(status.st_mode & 07777, S_ISDIR(status.st_mode) ? 0700u : 0600u);
        }
        QCOMPARE(QFileInfo(source + "/huge.bin").size(), qint64(2) << 30);
    }

    // As many sounds as a pack loads are imported, its pack.json besides.
    void importTakesAsManySoundsAsAPackLoads()
    {
        Files files;
        QStringList names;
        for (int i = 0; i < 4096; ++i)
            files.insert(names.emplace_back(QStringLiteral("s/%1.wav").arg(i)), wav);
        files.insert("pack.json", QJsonDocument(QJsonObject{{"name", "Many"}, {"down", QJsonObject{{"standard", QJsonArray::fromStringList(names)}}}}).toJson());
        QVERIFY(writeFolder(m_sources + "/Many", files));
        PackLibrary::ImportError error;
        QVERIFY2(library()->importPack(m_sources + "/Many", &error), qPrintable(error.message));
    }

    // A folder swapped with a link to an outside folder every 0.3 ms while imports run: none takes an outside file.
    void importFromASwappedFolderTakesNothingOutside()
    {
        const QString pack = m_sources + "/Race";
        QVERIFY(writeFolder(pack, {{"pack.json", R"({"name": "Race", "down": {"standard": ["sub/click.wav"]}})"}, {"sub/click.wav", wav}}));
        QVERIFY(writeTone(m_tmp->path() + "/outside/click.wav", 4800) && QFile::link(m_tmp->path() + "/outside", pack + "/swap"));
        const QByteArray outside = readFile(m_tmp->path() + "/outside/click.wav");
        std::atomic<bool> stop = false;
        std::thread swapper([&] {
            while (!stop.load()) {
                ::renameat2(AT_FDCWD, QFile::encodeName(pack + "/sub"), AT_FDCWD, QFile::encodeName(pack + "/swap"), RENAME_EXCHANGE);
                std::this_thread::sleep_for(std::chrono::microseconds(300));
            }
        });
        const auto lib = library();
        int imported = 0, outsideFiles = 0;
        for (int i = 0; i < 60; ++i) {
            const auto info = lib->importPack(pack);
            imported += bool(info);
            for (const QString &file : info ? contents(info->url.toLocalFile()) : QStringList())
                outsideFiles += readFile(info->url.toLocalFile() + '/' + file) == outside;
        }
        stop = true;
        swapper.join();
        qInfo("%d of 60 imports went through, %d outside files taken", imported, outsideFiles);
        QCOMPARE(outsideFiles, 0);
    }

    // Below a folder nothing is opened through a link, even one pointing inside, nor out of it.
    void beneathOpenerFollowsNoLink_data()
    {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("opens");
        for (const auto resolution : {BeneathOpener::Resolution::Kernel, BeneathOpener::Resolution::Walk}) {
            const char *how = resolution == BeneathOpener::Resolution::Kernel ? "openat2" : "walk";
            QTest::addRow("%s: plain", how) << int(resolution) << "sub/a.wav" << true;
            QTest::addRow("%s: linked folder", how) << int(resolution) << "link/a.wav" << false;
            QTest::addRow("%s: linked file", how) << int(resolution) << "sub/b.wav" << false;
            QTest::addRow("%s: parent", how) << int(resolution) << "sub/../sub/a.wav" << false;
        }
    }
    void beneathOpenerFollowsNoLink()
    {
        QFETCH(int, resolution);
        QFETCH(QString, path);
        QFETCH(bool, opens);
        const QString below = m_tmp->path() + "/below";
        QVERIFY(writeFolder(below, {{"sub/a.wav", "a"}}) && QFile::link("sub", below + "/link") && QFile::link("a.wav", below + "/sub/b.wav"));
        const int folder = ::open(QFile::encodeName(below).constData(), O_RDONLY | O_DIRECTORY);
        const int fd = BeneathOpener::open(folder, path, BeneathOpener::Resolution(resolution));
        QCOMPARE(fd >= 0, opens);
        ::close(fd);
        ::close(folder);
    }

    // Sounds padded far beyond their audio are stored as their audio alone, sample for sample, or
    // refused; so is any import past the library's cap.
    void paddedSoundsAreStoredAsTheirAudio_data()
    {
        QTest::addColumn<bool>("zipped");
        QTest::addColumn<int>("subtype");
        QTest::addColumn<qint64>("libraryBytes");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("zip") << true << int(SF_FORMAT_PCM_16) << qint64(0) << "";
        QTest::newRow("folder, float") << false << int(SF_FORMAT_FLOAT) << qint64(0) << "";
        QTest::newRow("µ-law") << false << int(SF_FORMAT_ULAW) << qint64(0) << "cannot be rewritten without loss";
        QTest::newRow("library full") << false << int(SF_FORMAT_PCM_16) << qint64(StagingFolder::maxLibraryBytes - (1 << 20)) << "more than 2048 MiB";
    }
    void paddedSoundsAreStoredAsTheirAudio()
    {
        QFETCH(bool, zipped);
        QFETCH(int, subtype);
        QFETCH(qint64, libraryBytes);
        QFETCH(QString, refusal);
        const QString pack = m_sources + "/Padded";
        QVERIFY(writeText(pack + "/pack.json", R"({"name": "Padded", "down": {"standard": ["a.wav", "b.wav", "c.wav", "d.wav"]}})"));
        std::vector<float> samples(2400);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = 0.5f * std::sin(0.05f * float(i));
        QVERIFY(writeWav(m_tmp->path() + "/plain.wav", samples, 1, 48000, subtype));
        const QByteArray plain = readFile(m_tmp->path() + "/plain.wav");
        for (const char *name : {"a", "b", "c", "d"})
            QVERIFY(writeText(pack + '/' + name + ".wav", plain + QByteArray(4 << 20, '\0')));
        QFile big(userFolder() + "/Full/big.bin");
        QVERIFY(QDir().mkpath(userFolder() + "/Full") && big.open(QIODevice::WriteOnly) && big.resize(libraryBytes));
        QVERIFY(!zipped || writeZip(m_tmp->path() + "/Padded.zip", zipEntriesOf(pack, "Padded/")));

        const auto lib = library();
        PackLibrary::ImportError error;
        const auto info = lib->importPack(zipped ? m_tmp->path() + "/Padded.zip" : pack, &error);
        QCOMPARE(bool(info), refusal.isEmpty());
        QVERIFY2(error.message.contains(refusal), qPrintable(error.message));
        if (!info) {
            QCOMPARE(QDir(userFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"Full"});
            return;
        }
        qint64 stored = 0;
        for (const QString &file : contents(info->url.toLocalFile()))
            stored += QFileInfo(info->url.toLocalFile() + '/' + file).size();
        QVERIFY2(stored < 2 * 4 * plain.size(), qPrintable(QString::number(stored)));
        SF_INFO before, after;
        QCOMPARE(readWav(info->url.toLocalFile() + "/d.wav", after), readWav(m_tmp->path() + "/plain.wav", before));
        QCOMPARE(after.format, before.format);
    }

    // Every Mechvibes key survives an import from a nested folder or zip, with the author's
    // warnings. The zip's files the pack does not use are never unpacked: a damaged one does not matter.
    void importKeepsEveryMechvibesKey()
    {
        QJsonObject defines;
        QByteArray junk(1 << 16, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(junk.data()), junk.size() / 4);
        Files files{{"a.wav", wav}, {"README.md", "read me"}, {"junk.bin", junk}};
        std::set<long long> numbers{60999, 61011, 9999};
        std::set<KeyCode> keys;
        for (const auto &[number, key] : KeyTables::mechvibesKeyMap()) {
            numbers.insert(number);
            keys.insert(key);
        }
        for (long long number : numbers) {
            const QString file = QStringLiteral("keys/%1.wav").arg(number);
            defines.insert(QString::number(number), file);
            files.insert(file, wav);
        }
        defines.insert("30", "A.WAV");
        files.insert("config.json", "\xEF\xBB\xBF" + QJsonDocument(QJsonObject{{"name", "Every"}, {"defines", defines}}).toJson());
        QVERIFY(writeFolder(m_sources + "/Outer/pandas-main/Every", files));
        QVERIFY(writeZip(m_tmp->path() + "/Outer.zip", zipEntriesOf(m_sources + "/Outer", "Outer/")));
        QByteArray zip = readFile(m_tmp->path() + "/Outer.zip");
        const qsizetype inJunk = zip.indexOf("Every/junk.bin") + 4096;
        zip[inJunk] = char(~zip[inJunk]);
        QVERIFY(writeText(m_tmp->path() + "/Outer.zip", zip));
        const auto lib = library();
        for (const QString &source : {m_sources + "/Outer", m_tmp->path() + "/Outer.zip"}) {
            PackLibrary::ImportError error;
            QStringList warnings;
            const auto info = lib->importPack(source, &error, &warnings);
            QVERIFY2(info, qPrintable(error.message));
            // Everything but keys/30.wav, which no key names, and with A.WAV as the pack names it.
            QStringList expected = contents(m_sources + "/Outer/pandas-main/Every");
            expected.removeOne("keys/30.wav");
            expected.removeOne("junk.bin");
            expected.replace(expected.indexOf("a.wav"), "A.WAV");
            expected.sort();
            QCOMPARE(contents(info->url.toLocalFile()), expected);
            QCOMPARE(PackLoader::load(*info).pack()->keyDown().size(), keys.size());
            QCOMPARE(warnings.size(), 3);
            QVERIFY2(warnings[0].contains("pandas-main/Every"), qPrintable(warnings[0]));
            QVERIFY(warnings[1].contains("not strict JSON") && warnings[2].contains("in case"));
        }
        QCOMPARE(ids(lib->custom()), QStringList({"folder:Every", "folder:Every 2"}));
    }

    // Each broken or hostile source fails with its own error and leaves the packs folder as it was.
    void importFailureLeavesNothing_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QString>("source"); // relative to the temporary folder
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("message"); // part of it
        const QByteArray sliceConfig = R"({"name":"Slices","sound":"click.wav","defines":{"30":[0,40]}})";
        const QString noManifest = description(PackLoadError::NoManifest);
        QTest::newRow("only audio") << Files{{"click.wav", wav}} << "sources/Broken" << Kind::NoManifest << noManifest;
        // The document's own fault, as plinkum-pack check reports it, not "no document".
        QTest::newRow("config define is a number")
            << Files{{"config.json", R"({"sound":"click.wav","defines":{"30":5}})"}, {"click.wav", wav}} << "sources/Broken" << Kind::InvalidDocument << R"(config.json: member "30" of "defines")";
        QTest::newRow("pack.json without down beside a valid config")
            << Files{{"pack.json", R"({"name":"Half"})"}, {"config.json", sliceConfig}, {"click.wav", wav}} << "sources/Broken" << Kind::InvalidDocument << "pack.json: ";
        QTest::newRow("two packs below") << Files{{"a/pack.json", manifest("A")}, {"b/pack.json", manifest("B")}} << "sources/Broken" << Kind::NoManifest << "holds several packs";
        QTest::newRow("every file missing") << Files{{"pack.json", manifest("Ghost")}} << "sources/Broken" << Kind::NoSounds << description(PackLoadError::NoSounds);
        // Copying a folder that holds the packs folder would copy the copy into itself.
        QTest::newRow("an ancestor of the packs folder") << validPack("Up") << "" << Kind::Refused << "holds the sound packs folder";
        QTest::newRow("inside the packs folder") << validPack("In") << "data/Plinkum/Packs/Fine" << Kind::Refused << "lies inside it";
    }
    void importFailureLeavesNothing()
    {
        QFETCH(Files, files);
        QFETCH(QString, source);
        QFETCH(Kind, kind);
        QFETCH(QString, message);
        QVERIFY(writeFolder(m_sources + "/Broken", files));
        if (source.isEmpty())
            QVERIFY(writeFolder(m_tmp->path(), files));
        QVERIFY(writeFolder(m_sources + "/Fine", validPack("Fine")));
        const auto lib = library();
        QVERIFY(lib->importPack(m_sources + "/Fine"));
        QSignalSpy changed(lib.get(), &PackLibrary::customChanged);

        PackLibrary::ImportError error;
        QVERIFY(!lib->importPack(m_tmp->path() + '/' + source, &error));
        QCOMPARE(error.kind, kind);
        QVERIFY2(error.message.contains(message), qPrintable(error.message));
        QCOMPARE(contents(userFolder()), QStringList({"Fine", "Fine/click.wav", "Fine/pack.json"}));
        QCOMPARE(ids(lib->custom()), QStringList({"folder:Fine"}));
        QCOMPARE(changed.count(), 0);
    }

    // The staging rules every import goes through, whatever the files come from.
    void stagingRefusesWhatItMustNot_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("message");
        QTest::newRow("fits") << "a/b.wav" << qint64(10) << "";
        QTest::newRow("over the file cap, sparse") << "big.wav" << qint64(StagingFolder::maxFileBytes + 1) << "larger than 128 MiB";
        QTest::newRow("leaves the folder") << "../b.wav" << qint64(10) << "not a name inside";
        QTest::newRow("absolute") << "/tmp/b.wav" << qint64(10) << "not a name inside";
        QTest::newRow("taken") << "taken.wav" << qint64(10) << "Could not copy";
        QTest::newRow("through a link") << "link/b.wav" << qint64(10) << "Could not create the folder";
        QTest::newRow("bidi override") << "a\u202Egnp.wav" << qint64(10) << "reorder text";
        QTest::newRow("C1 control") << "a\u0085.wav" << qint64(10) << "control characters";
        QTest::newRow("line separator") << "a\u2028.wav" << qint64(10) << "control characters";
        QTest::newRow("long name, quoted short") << QString(300, 'x') + "\u200F" << qint64(10) << "“" + QString(80, 'x') + "…”";
    }
    void stagingRefusesWhatItMustNot()
    {
        QFETCH(QString, name);
        QFETCH(qint64, size);
        QFETCH(QString, message);
        QFile file(m_tmp->path() + "/input");
        QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(size) && QDir().mkpath(userFolder()));
        StagingFolder staging(userFolder());
        QVERIFY(staging.isValid() && writeFolder(staging.path(), {{"taken.wav", "already here"}}));
        QVERIFY(QFile::link(m_tmp->path(), staging.path() + "/link"));
        file.seek(0);
        QCOMPARE(staging.addFile(name, file.handle()), message.isEmpty());
        QVERIFY2(staging.error().contains(message), qPrintable(staging.error()));
        QVERIFY(!QFileInfo::exists(m_tmp->path() + "/b.wav"));
        QCOMPARE(readFile(staging.path() + "/taken.wav"), QByteArray("already here"));
    }

    // A crash mid-import leaves a staging folder; a later start removes it, but not a running import's nor a recent one.
    void staleImportsAreSwept()
    {
        QVERIFY(writeFolder(userFolder() + "/.import-Ab12Cd", {{"pack.json", manifest("Half")}, {"sub/click.wav", wav}}));
        QVERIFY(writeFolder(userFolder() + "/.import-recent", {{"pack.json", manifest("Recent")}}));
        QVERIFY(writeFolder(userFolder() + "/Mine", validPack("Mine")));
        QVERIFY(writeFolder(m_tmp->path() + "/kept", {{"file", "x"}}));
        QVERIFY(QFile::link(m_tmp->path() + "/kept", userFolder() + "/.import-link"));
        const StagingFolder running(userFolder());
        const timespec anHourAgo[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - StagingFolder::staleSeconds, 0}};
        for (const QString &folder : {userFolder() + "/.import-Ab12Cd", running.path()})
            QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), anHourAgo, 0) == 0);
        const auto lib = library();
        lib->sweepStaleImports();
        const QStringList left = QDir(userFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(QSet(left.begin(), left.end()), QSet<QString>({".import-link", ".import-recent", QFileInfo(running.path()).fileName(), "Mine"}));
        QCOMPARE(contents(m_tmp->path() + "/kept"), QStringList({"file"}));
    }

    void naturalOrder_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("letters ignore case") << "alpha" << "Beta";
        QTest::newRow("leading zeros") << "Pack 9" << "Pack 010";
        QTest::newRow("beyond 64 bits") << "x 99999999999999999999" << "x 100000000000000000000";
        QTest::newRow("numbers inside") << "a2b" << "a10a";
    }
    void naturalOrder()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        const NaturalOrder order;
        QVERIFY(order.compare(before, after) < 0 && order.compare(after, before) > 0);
        QCOMPARE(order.compare(before, before), 0);
    }

    void groupsBuiltInPacks()
    {
        struct {
            const char *folder, *type;
            int order;
        } packs[] = {{"a", "Tactile", 3}, {"b", "Retro", 4}, {"c", "", 5}, {"d", "Linear", 6},
                     {"e", "Tactile", 7}, {"f", "Zeta", 8}, {"g", "Vintage", 9}, {"h", "Clicky", 0}};
        for (const auto &p : packs)
            QVERIFY(writeFolder(m_builtIn + '/' + p.folder, validPack(p.folder, p.type, p.order)));
        const auto lib = library();
        QCOMPARE(ids(lib->builtIn()), QStringList({"bundle:h", "bundle:a", "bundle:b", "bundle:c", "bundle:d",
                                                   "bundle:e", "bundle:f", "bundle:g"}));
        QStringList shape;
        for (const PackLibrary::Group &g : lib->grouped())
            shape << g.title + ':' + ids(g.packs).join(',');
        QCOMPARE(shape, QStringList({"Linear:bundle:d", "Tactile:bundle:a,bundle:e", "Clicky:bundle:h",
                                     "Vintage:bundle:g", "Retro:bundle:b", "Other:bundle:c", "Zeta:bundle:f"}));
    }

    void deleteMovesUserPacksToTrash()
    {
        QVERIFY(writeFolder(m_builtIn + "/base", validPack("Base")));
        QVERIFY(writeFolder(userFolder() + "/Mine", validPack("Mine")));
        QVERIFY(writeFolder(m_tmp->path() + "/elsewhere", validPack("Elsewhere")));
        const auto lib = library();
        QSignalSpy changed(lib.get(), &PackLibrary::customChanged);

        lib->deletePack(lib->builtIn().first());
        PackInfo outside = lib->custom().first();
        outside.url = QUrl::fromLocalFile(m_tmp->path() + "/elsewhere");
        lib->deletePack(outside);
        QCOMPARE(ids(lib->all()), QStringList({"bundle:base", "folder:Mine"}));
        QVERIFY(QFileInfo::exists(m_builtIn + "/base/pack.json"));
        QVERIFY(QFileInfo::exists(m_tmp->path() + "/elsewhere/pack.json"));
        QCOMPARE(changed.count(), 0);

        lib->deletePack(lib->custom().first());
        QCOMPARE(ids(lib->all()), QStringList({"bundle:base"}));
        QCOMPARE(changed.count(), 1);
        QVERIFY(QFileInfo::exists(m_tmp->path() + "/data/Trash/files/Mine/pack.json"));
    }

    // A trash entry's Path= is percent-encoded and never replaces an entry or writes through a link.
    void trashEntryIsWrittenSafely_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("squatter"); // what is in info/ under the name first: "", "entry", "link"
        QTest::addColumn<QString>("trashName");
        const QString forged = "Mine\nPath=%2Ftmp%2Felsewhere\n%41";
        QTest::newRow("newline and Path= in the name") << forged << "" << forged;
        QTest::newRow("an entry of that name exists") << "Mine" << "entry" << "Mine.2";
        QTest::newRow("a link where the entry would go") << "Mine" << "link" << "Mine.2";
        QTest::newRow("a format placeholder in the name") << "a%1" << "entry" << "a%1.2";
    }
    void trashEntryIsWrittenSafely()
    {
        QFETCH(QString, name);
        QFETCH(QString, squatter);
        QFETCH(QString, trashName);
        const QString pack = userFolder() + '/' + name;
        QVERIFY(writeFolder(pack, validPack("Mine")));
        const QString info = m_tmp->path() + "/data/Trash/info/";
        QVERIFY(QDir().mkpath(info) && writeText(m_tmp->path() + "/victim", "untouched"));
        if (squatter == "entry")
            QVERIFY(writeText(info + name + ".trashinfo", "untouched"));
        else if (squatter == "link")
            QVERIFY(QFile::link(m_tmp->path() + "/victim", info + name + ".trashinfo"));
        const auto lib = library();
        QCOMPARE(lib->custom().size(), 1);

        lib->deletePack(lib->custom().first());
        QVERIFY(lib->custom().isEmpty());
        QVERIFY(QFileInfo::exists(m_tmp->path() + "/data/Trash/files/" + trashName + "/pack.json"));
        const QList<QByteArray> lines = readFile(info + trashName + ".trashinfo").split('\n');
        QCOMPARE(lines.value(0), QByteArray("[Trash Info]"));
        QCOMPARE(std::count_if(lines.begin(), lines.end(), [](const QByteArray &line) { return line.startsWith("Path="); }), 1);
        QCOMPARE(QUrl::fromPercentEncoding(lines.value(1).mid(5)), QDir::cleanPath(pack));
        QVERIFY(lines.value(2).startsWith("DeletionDate="));
        QCOMPARE(readFile(m_tmp->path() + "/victim"), QByteArray("untouched"));
        if (squatter == "entry")
            QCOMPARE(readFile(info + name + ".trashinfo"), QByteArray("untouched"));
    }

    // Shared zips: one top-level folder (with macOS resource forks) or documents at the root.
    void importsRealPacksFromZips()
    {
        const QString data = QStringLiteral(PLINKUM_DATA_DIR "/mechvibes");
        const QStringList packs = QDir(data).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(packs.size(), 10);
        const auto lib = library();
        QStringList expected;
        for (qsizetype i = 0; i < packs.size(); ++i) {
            const bool atRoot = i % 2 == 1;
            const QString zip = m_tmp->path() + "/" + packs[i] + (atRoot ? "-shared.zip" : ".zip");
            ZipEntries entries = zipEntriesOf(data + '/' + packs[i], atRoot ? QString() : packs[i] + '/');
            if (!atRoot)
                entries.append({"__MACOSX/" + packs[i] + "/._config.json", "resource fork"});
            QVERIFY(writeZip(zip, entries));
            PackLibrary::ImportError error;
            const auto info = lib->importPack(zip, &error);
            QVERIFY2(info, qPrintable(packs[i] + ": " + error.message));
            expected << "folder:" + packs[i] + (atRoot ? "-shared" : "");
            QCOMPARE(info->id, expected.last());
        }
        QCOMPARE(ids(lib->custom()).size(), 10);
        QCOMPARE(readFile(userFolder() + "/holy-pandas/LICENSE"), readFile(data + "/holy-pandas/LICENSE"));
        const QStringList hidden = QDir(userFolder()).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot)
                                       .filter(QRegularExpression("^\\."));
        QCOMPARE(hidden, QStringList());
    }

    // A hostile or broken archive is refused with its reason and writes nothing anywhere.
    void zipRefusals_data()
    {
        QTest::addColumn<bool>("withPack");
        QTest::addColumn<ZipEntries>("extra");
        QTest::addColumn<QString>("reason");
        QTest::newRow("parent path") << true << ZipEntries{{"Zipped/../../../evil.txt", "x"}} << "leading out";
        QTest::newRow("absolute path") << true << ZipEntries{{"/plinkum-evil.txt", "x"}} << "absolute";
        QTest::newRow("link out") << true << ZipEntries{{"Zipped/evil.wav", {}, 0, "/etc/passwd"}} << "link";
        QTest::newRow("bomb") << true << ZipEntries{{"Zipped/big.wav", {}, StagingFolder::maxFileBytes + 1}} << "more than a sound pack";
        ZipEntries many;
        for (int i = 0; i < StagingFolder::maxFiles; ++i)
            many.append({QStringLiteral("Zipped/%1.txt").arg(i), "x"});
        QTest::newRow("too many entries") << true << many << "more than a sound pack";
        QTest::newRow("two packs") << true << ZipEntries{{"Other/pack.json", manifest("Other")}} << "several packs";
        QTest::newRow("no pack") << false << ZipEntries{{"readme.txt", "hello"}} << "holds no pack";
        QTest::newRow("not a zip") << false << ZipEntries{} << "cannot be read as a zip";
    }
    void zipRefusals()
    {
        QFETCH(bool, withPack);
        QFETCH(ZipEntries, extra);
        QFETCH(QString, reason);
        QVERIFY(writeFolder(m_sources + "/Zipped", validPack("Zipped")));
        ZipEntries entries = withPack ? zipEntriesOf(m_sources + "/Zipped", "Zipped/") : ZipEntries{};
        const QString zip = m_tmp->path() + "/Zipped.zip";
        QVERIFY(entries.isEmpty() && extra.isEmpty() ? writeText(zip, "{\"name\": \"not a zip\"}") : writeZip(zip, entries + extra));
        const auto outsideUserFolder = [this] {
            return contents(m_tmp->path()).filter(QRegularExpression("^(?!data)"));
        };
        const QStringList before = outsideUserFolder();
        const auto lib = library();
        PackLibrary::ImportError error;
        QVERIFY(!lib->importPack(zip, &error));
        QCOMPARE(error.kind, Kind::InvalidArchive);
        QVERIFY2(error.message.contains(reason), qPrintable(error.message));
        QCOMPARE(contents(userFolder()), QStringList());
        QCOMPARE(outsideUserFolder(), before);
        QVERIFY(!QFileInfo::exists("/plinkum-evil.txt"));
    }

    // With no usable data folder Qt moves the item below the working directory and reports success.
    void deleteWithoutTrashKeepsThePack()
    {
        QVERIFY(writeFolder(m_tmp->path() + "/cwd", {{"file", "not a folder"}}));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_tmp->path() + "/cwd/file/data"));
        const QString packs = m_tmp->path() + "/packs";
        QVERIFY(writeFolder(packs + "/Mine", validPack("Mine")));
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_tmp->path() + "/cwd"));
        PackLibrary lib(m_builtIn, packs);
        lib.deletePack(lib.custom().first());
        QVERIFY(QDir::setCurrent(cwd));
        QCOMPARE(ids(lib.custom()), QStringList({"folder:Mine"}));
        QCOMPARE(contents(packs), QStringList({"Mine", "Mine/click.wav", "Mine/pack.json"}));
        QCOMPARE(contents(m_tmp->path() + "/cwd"), QStringList({"file"}));
    }
};

QTEST_GUILESS_MAIN(TestPackLibrary)
#include "tst_packlibrary.moc"
