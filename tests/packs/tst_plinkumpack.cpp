#include "tests/support/PeerHome.h"
#include "tests/support/TestPacks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <ctime>

#include <archive.h>
#include <archive_entry.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace TestPacks;

// plinkum-pack from a private prefix (built-in packs are the test's own): its JSON and exit codes.
class TestPlinkumPack : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;

    QString userFolder() const { return m_tmp->path() + "/data/Plinkum/Packs"; }
    QString source(const char *name) const { return m_tmp->path() + "/sources/" + name; }
    static QString testdata(const char *pack) { return QStringLiteral(PLINKUM_DATA_DIR "/mechvibes/") + pack; }

    Run run(const QStringList &arguments) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", m_tmp->path() + "/data");
        return TestPacks::run(m_tmp->path() + "/prefix/bin/plinkum-pack", arguments, environment);
    }

    static QStringList ids(const QJsonValue &infos)
    {
        QStringList result;
        for (const QJsonValue &info : infos.toArray())
            result << info[QLatin1String("id")].toString();
        return result;
    }

private slots:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        const QString bin = m_tmp->path() + "/prefix/bin";
        QVERIFY(QDir().mkpath(bin) && QFile::copy(PLINKUM_BINARY_DIR "/bin/plinkum-pack", bin + "/plinkum-pack"));
        const QString builtIn = m_tmp->path() + "/prefix/share/plinkum/Packs";
        QVERIFY(writeFolder(builtIn + "/tactile", validPack("Tactile One", "Tactile", 2)));
        QVERIFY(writeFolder(builtIn + "/plain", validPack("Plain", {}, 1)));
    }

    void cleanup() { m_tmp.reset(); }

    // Exit codes of each call; a pack is named by folder or by its listed id; a refused render writes nothing.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        const QString pack = testdata("cherrymx-brown-pbt");
        QTest::newRow("nothing") << QStringList{} << 2 << QByteArray();
        QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("usage: plinkum-pack");
        QTest::newRow("version") << QStringList{"--version"} << 0 << QByteArray("plinkum-pack " PLINKUM_VERSION "\n");
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << QByteArray();
        QTest::newRow("remove without an id") << QStringList{"remove"} << 2 << QByteArray();
        QTest::newRow("check by id") << QStringList{"check", "bundle:tactile"} << 0 << QByteArray("Tactile One");
        QTest::newRow("render by id") << QStringList{"render", "bundle:tactile", "--keys", "a:down@0", "--out", "y.wav"} << 0 << QByteArray("\"frames\"");
        QTest::newRow("render clicks with a mouse pack") << QStringList{"render", "bundle:tactile", "--keys", "mouse-left:down@0 mouse-left:up@90", "--mouse-pack", "bundle:plain", "--out", "y.wav"} << 0 << QByteArray("\"frames\"");
        QTest::newRow("render, mouse pack not a pack") << QStringList{"render", pack, "--keys", "mouse-left:down@0", "--mouse-pack", "/nonexistent", "--out", "x.wav"} << 1 << QByteArray();
        QTest::newRow("render, bad sequence") << QStringList{"render", pack, "--keys", "a:sideways@0", "--out", "x.wav"} << 2 << QByteArray();
        QTest::newRow("render, no output") << QStringList{"render", pack, "--keys", "a:down@0"} << 2 << QByteArray();
        QTest::newRow("render, not a pack") << QStringList{"render", "/nonexistent", "--keys", "a:down@0", "--out", "x.wav"} << 1 << QByteArray();
        QTest::newRow("render, unwritable output") << QStringList{"render", pack, "--keys", "a:down@0", "--out", "/nonexistent/x.wav"} << 1 << QByteArray();
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, output);
        QVERIFY(QDir::setCurrent(m_tmp->path()));
        const Run result = run(arguments);
        QTEST(result.exitCode, "exitCode");
        QVERIFY2(result.out.contains(output), result.out.constData());
        QVERIFY(!QFileInfo::exists(m_tmp->filePath("x.wav")));
    }

    void info()
    {
        const Run builtIn = run({"info", testdata("holy-pandas"), "--builtin"});
        QCOMPARE(builtIn.exitCode, 0);
        QCOMPARE(builtIn.json, QJsonDocument::fromJson(R"({"id":"bundle:holy-pandas","name":"pandas","type":null,"order":0,"isBuiltIn":true,"format":"Mechvibes v2"})").object());
        QCOMPARE(run({"info", PLINKUM_SOURCE_DIR "/tests/data/keyboardsounds/alpaca"}).json["format"].toString(), "keyboardsounds profile");

        for (const QString &none : {m_tmp->filePath("nothing-here"), QStringLiteral("bundle:nothing")}) {
            const Run result = run({"info", none});
            QCOMPARE(result.exitCode, 1);
            QCOMPARE(result.json["error"].toString(), "notAPack");
            QVERIFY(result.json["message"].toString().contains(none));
        }
    }

    // What loads, as JSON, and the loader's failure as load and check report it.
    void load()
    {
        const Run loaded = run({"load", testdata("holy-pandas")});
        QCOMPARE(loaded.exitCode, 0);
        QCOMPARE(loaded.json.value("info").toObject().value("id").toString(), QString("folder:holy-pandas"));
        const QJsonObject sample = loaded.json.value("down").toObject().value("standard").toArray().first().toObject();
        QCOMPARE(sample.value("frames").toArray().size(), 5);

        QVERIFY(writeText(m_tmp->filePath("bad/pack.json"), R"({"name":"N","down":[]})"));
        const Run failed = run({"load", m_tmp->filePath("bad")});
        QCOMPARE(failed.exitCode, 1);
        QCOMPARE(failed.json, QJsonObject({{"error", "invalidDocument"}, {"message", R"(pack.json: member "down" must be an object)"}}));
        const Run checked = run({"check", m_tmp->filePath("bad")});
        QCOMPARE(checked.exitCode, 1);
        QCOMPARE(checked.json.value("loads").toBool(), false);
        QCOMPARE(checked.json.value("error").toObject().value("error").toString(), "invalidDocument");
    }

    void check()
    {
        const Run result = run({"check", testdata("mxblue-travel")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.json.value("format").toString(), QString("Mechvibes v2"));
        QCOMPARE(run({"check", PLINKUM_DATA_DIR "/mouse-clicks/g502x-wireless"}).json.value("format").toString(), "keyboardsounds profile");
        QCOMPARE(result.json.value("down").toObject(), QJsonObject({{"standard", 5}}));
        const QJsonArray skipped = result.json.value("skipped").toArray();
        QCOMPARE(skipped.size(), 6);
        for (const QJsonValue &entry : skipped)
            QCOMPARE(entry.toObject().value("reason").toString(), QString("missing"));

        // A pack a folder down, in a hand-edited document: checked, with what its author should fix.
        QVERIFY(writeFolder(m_tmp->filePath("outer/inner"), {{"config.json", "{\"defines\": {\"30\": \"click.wav\",}}"}, {"click.wav", wav}}));
        QCOMPARE(run({"check", m_tmp->filePath("outer")}).json.value("warnings").toArray().size(), 2);
    }

    // Pack names reach the log without control characters, and many bad files write a few lines only.
    void logLinesAreCleanAndFew()
    {
        const QString pack = source("Noisy");
        QJsonArray files{"click.wav"};
        QVERIFY(writeFolder(pack, {{"click.wav", wav}}));
        // Over ten minutes: refused by its header, logged. Hard links are distinct files.
        QVERIFY(writeWav(pack + "/long.wav", std::vector<float>(601 * 8000, 0.5f), 1, 8000, SF_FORMAT_PCM_U8));
        for (int i = 0; i < 12; ++i) {
            const QString name = QString("\x1b]0;owned\x07\x1b[2J%1\u009b.wav").arg(i);
            QVERIFY(::link(QFile::encodeName(pack + "/long.wav").constData(), QFile::encodeName(pack + '/' + name).constData()) == 0);
            files.append(name);
        }
        QVERIFY(writeText(pack + "/pack.json", QJsonDocument(QJsonObject{{"name", "Noisy"}, {"down", QJsonObject{{"standard", files}}}}).toJson()));

        const Run result = run({"load", pack});
        QCOMPARE(result.exitCode, 0);
        const QList<QByteArray> lines = result.err.trimmed().split('\n');
        QCOMPARE(lines.size(), 9);
        QVERIFY2(lines.last().contains("skipped 4 more files"), lines.last().constData());
        for (const QByteArray &line : lines) {
            QVERIFY2(line.startsWith("Plinkum: skipped "), line.constData());
            QVERIFY2(std::none_of(line.begin(), line.end(), [](char c) { return (unsigned char)c < 0x20 || c == 0x7f; }), line.constData());
            QVERIFY2(!line.contains("\xc2\x9b"), line.constData());
        }
    }

    void importListRemove()
    {
        QVERIFY(writeFolder(source("Blue Box"), validPack("Blue")));
        const Run first = run({"import", source("Blue Box")});
        QCOMPARE(first.exitCode, 0);
        QJsonObject imported = first.json;
        QVERIFY(imported.take("gainDb").isDouble()); // measured on import
        QCOMPARE(imported, QJsonObject({{"id", "folder:Blue Box"}, {"name", "Blue"}, {"type", QJsonValue::Null}, {"order", 0},
                                        {"isBuiltIn", false}, {"format", "pack.json"}, {"trimDb", 0}, {"warnings", QJsonArray()}}));

        // An import killed a day ago left its staging folder: list sweeps it (tst_packlibrary: not a running one's).
        QVERIFY(writeFolder(userFolder() + "/.import-killed", {{"a.wav", wav}}));
        const timespec dayOld[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 86400, 0}};
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(userFolder() + "/.import-killed").constData(), dayOld, 0) == 0);
        const Run list = run({"list"});
        QVERIFY(!QFileInfo::exists(userFolder() + "/.import-killed"));
        QCOMPARE(list.exitCode, 0);
        QCOMPARE(ids(list.json["builtIn"]), QStringList({"bundle:plain", "bundle:tactile"}));
        QCOMPARE(ids(list.json["custom"]), QStringList({"folder:Blue Box"}));
        QCOMPARE(list.json["grouped"].toArray(),
                 QJsonArray({QJsonArray{"Tactile", QJsonArray{"bundle:tactile"}}, QJsonArray{"Other", QJsonArray{"bundle:plain"}}}));

        const Run builtIn = run({"remove", "bundle:tactile"});
        QCOMPARE(builtIn.exitCode, 1);
        QCOMPARE(builtIn.json["error"].toString(), "builtIn");
        QVERIFY(!builtIn.json["message"].toString().isEmpty());
        const Run user = run({"remove", userFolder() + "/Blue Box"});
        QCOMPARE(user.exitCode, 0);
        QCOMPARE(user.json["removed"].toBool(), true);
        QVERIFY(!QFileInfo::exists(userFolder() + "/Blue Box"));
        QCOMPARE(run({"remove", "folder:Blue Box"}).json["error"].toString(), QStringLiteral("unknownPack"));
    }

    // import --from-apps lists what other programs left, imports what is new, and knows it next time.
    void importFromApps()
    {
        const QString home = m_tmp->path() + "/home";
        QVERIFY(PeerHome::write(home));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        PeerHome::point(environment, home);
        const auto fromApps = [&](const QStringList &more) {
            return TestPacks::run(m_tmp->path() + "/prefix/bin/plinkum-pack", QStringList{"import", "--from-apps"} + more, environment);
        };
        const Run listed = fromApps({"--list"});
        QCOMPARE(listed.exitCode, 0);
        QCOMPARE(listed.json.keys(), QStringList({"found"}));
        QCOMPARE(listed.json["found"][1].toObject(),
                 QJsonObject({{"program", "Mechvibes"}, {"path", home + "/.config/Mechvibes/custom/cherry-blue"},
                              {"name", "Cherry Blue"}, {"format", "Mechvibes v1"}, {"imported", false}}));
        QVERIFY(!listed.json["found"][0]["problem"].toString().isEmpty());

        const Run imported = fromApps({});
        QCOMPARE(imported.exitCode, 0);
        QCOMPARE(ids(imported.json["results"]).mid(0, 2), QStringList({"folder:cherry-blue", "folder:Topre"}));
        QCOMPARE(imported.json["results"][0]["warnings"], QJsonArray());
        QVERIFY(imported.json["results"][1]["warnings"][0].toString().contains("trailing commas"));

        const Run named = fromApps({"Cherry Blue", "Nothing"});
        QCOMPARE(named.exitCode, 1);
        QCOMPARE(named.json["results"][0]["skipped"].toString(), "alreadyImported");
        QCOMPARE(named.json["results"][1]["error"].toString(), "notFound");
        QCOMPARE(fromApps({"--list", "Cherry Blue"}).exitCode, 2);
    }

    // Failures of the import itself; tst_packlibrary has every kind against the library.
    void importFailures_data()
    {
        QTest::addColumn<QString>("folder"); // relative to the temporary folder
        QTest::addColumn<QString>("error");
        QTest::newRow("no document") << "sources/Broken" << "noManifest";
        QTest::newRow("holds the packs folder") << "data" << "refused";
        QTest::newRow("no such archive") << "sources/missing.zip" << "notFound";
    }
    void importFailures()
    {
        QFETCH(QString, folder);
        QFETCH(QString, error);
        QVERIFY(writeFolder(source("Broken"), Files{{"click.wav", wav}}));
        QVERIFY(writeFolder(m_tmp->path() + "/data", validPack("Up")) && QDir().mkpath(userFolder()));
        const Run result = run({"import", m_tmp->path() + '/' + folder});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.json["error"].toString(), error);
        QVERIFY(!result.json["message"].toString().isEmpty());
        QCOMPARE(contents(userFolder()), QStringList());
    }

    // Zips: non-ASCII names under the C locale, a macOS-made one (its names decomposed, which
    // libarchive composes), and a listing too large refused from its end records alone.
    void importArchive_data()
    {
        QTest::addColumn<QString>("zip");
        QTest::addColumn<QString>("expected"); // the pack's id, or part of the refusal
        QTest::newRow("macOS-made, in the C locale") << "Crème.zip" << "folder:Crème";
        QTest::newRow("zip64 listing a million entries") << "million.zip" << "16384 entries";
    }
    void importArchive()
    {
        QFETCH(QString, zip);
        QFETCH(QString, expected);
        const QString sound = QString("Cl\u00e9.wav").normalized(QString::NormalizationForm_D);
        QVERIFY(writeFolder(source("Crème"), {{"pack.json", manifest("C").replace("click.wav", sound.toUtf8())}, {sound, wav}}));
        archive *writer = archive_write_new();
        archive_write_set_format_zip(writer);
        QVERIFY(archive_write_open_filename(writer, QFile::encodeName(source("Crème.zip")).constData()) == ARCHIVE_OK);
        for (const QString &name : {QString("pack.json"), sound}) {
            const QByteArray data = readFile(source("Crème/") + name);
            archive_entry *entry = archive_entry_new();
            archive_entry_set_pathname_utf8(entry, QString("Crème/" + name).toUtf8().constData());
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_size(entry, data.size());
            QVERIFY(archive_write_header(writer, entry) == ARCHIVE_OK && archive_write_data(writer, data.data(), data.size()) == data.size());
            archive_entry_free(entry);
        }
        QVERIFY(archive_write_close(writer) == ARCHIVE_OK && archive_write_free(writer) == ARCHIVE_OK);
        // Only the end records: the zip64 one, its locator and the classic one saying "see zip64".
        QByteArray million;
        QDataStream out(&million, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        out << quint32(0x06064b50) << quint64(44) << quint16(45) << quint16(45) << quint32(0) << quint32(0) << quint64(1000000)
            << quint64(1000000) << quint64(46000000) << quint64(0) << quint32(0x07064b50) << quint32(0) << quint64(0) << quint32(1)
            << quint32(0x06054b50) << quint32(0) << quint16(0xffff) << quint16(0xffff) << quint32(0xffffffff) << quint32(0xffffffff) << quint16(0);
        QVERIFY(writeText(source("million.zip"), million));

        qputenv("LC_ALL", "C");
        const Run result = run({"import", source(qPrintable(zip))});
        qunsetenv("LC_ALL");
        QCOMPARE(result.exitCode, expected.startsWith("folder:") ? 0 : 1);
        QVERIFY2(result.json["id"].toString() == expected || result.json["message"].toString().contains(expected), result.out.constData());
    }

    // Escape is heard left and Right Arrow right, and the same seed renders the same samples.
    void renderPlaysTheScript()
    {
        const QStringList script{testdata("cherrymx-brown-pbt"), "--keys", "escape:down@0 right:down@500", "--seed", "3"};
        const Run first = run(QStringList{"render"} + script + QStringList{"--out", m_tmp->filePath("1.wav")});
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(first.json.value("frames").toInteger(), 72000);
        QCOMPARE(run(QStringList{"render"} + script + QStringList{"--out", m_tmp->filePath("2.wav")}).exitCode, 0);

        SF_INFO info{};
        const std::vector<float> samples = readWav(m_tmp->filePath("1.wav"), info);
        QCOMPARE(info.samplerate, 48000);
        QCOMPARE(info.channels, 2);
        QCOMPARE(info.frames, 72000);
        QCOMPARE(readWav(m_tmp->filePath("2.wav"), info), samples);
        const auto leftLouder = [&samples](std::size_t from, std::size_t to) {
            double balance = 0.0;
            for (std::size_t f = from; f < to; ++f)
                balance += double(samples[2 * f]) * samples[2 * f] - double(samples[2 * f + 1]) * samples[2 * f + 1];
            return balance;
        };
        QVERIFY(leftLouder(0, 24000) > 0.0 && leftLouder(24000, 72000) < 0.0);
    }
};

QTEST_GUILESS_MAIN(TestPlinkumPack)
#include "tst_plinkumpack.moc"
