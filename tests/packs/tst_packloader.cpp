#include "PackLoader.h"
#include "TestPacks.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace plinkum;
using namespace plinkum::PackLoader;

namespace {

// A pack folder in a temporary directory, with loud 48 kHz WAVs that no trim shortens.
class PackFolder {
public:
    PackFolder() : m_path(m_root.filePath("pack")) { QDir().mkpath(m_path); }

    QString path() const { return m_path; }
    QString root() const { return m_root.path(); }
    QString file(const QString &name) const { return m_path + '/' + name; }

    void tone(const QString &name, std::size_t count = 480) { QVERIFY(TestPacks::writeTone(file(name), count)); }
    void manifest(const QByteArray &json) { QVERIFY(TestPacks::writeText(file("pack.json"), json)); }
    void config(const QByteArray &json) { QVERIFY(TestPacks::writeText(file("config.json"), json)); }

    PackInfo info() const { return PackInfo{"folder:pack", "Pack", std::nullopt, 0, QUrl::fromLocalFile(m_path), false}; }
    LoadResult load() const { return PackLoader::load(info()); }

private:
    QTemporaryDir m_root;
    QString m_path;
};

std::size_t unshiftedFrames(const SampleList &list, std::size_t index = 0)
{
    return list.size() > index ? list[index]->unshifted().frameCount() : 0;
}

} // namespace

class TestPackLoader : public QObject {
    Q_OBJECT

private slots:
    void manifestDocument_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error"); // empty: decodes
        const QByteArray down = R"("down": {"standard": ["a.wav"]})";
        QTest::newRow("minimal") << R"({"name": "N", )" + down + "}" << "";
        QTest::newRow("optional members null") << R"({"name": "N", "type": null, "order": null, "up": null, "keys": null, "keysUp": null, )" + down + "}" << "";
        QTest::newRow("unknown members ignored") << R"({"name": "N", "extra": [1, {}], )" + down + "}" << "";
        QTest::newRow("integral order written 3.0") << R"({"name": "N", "order": 3.0, )" + down + "}" << "";
        QTest::newRow("name missing") << QByteArray("{" + down + "}") << R"(pack.json: member "name" is missing)";
        QTest::newRow("name a number") << R"({"name": 5, )" + down + "}" << R"(pack.json: member "name" must be a string)";
        QTest::newRow("type a bool") << R"({"name": "N", "type": true, )" + down + "}" << R"(member "type" must be a string)";
        QTest::newRow("order fractional") << R"({"name": "N", "order": 2.5, )" + down + "}" << R"(member "order" must be an integer)";
        QTest::newRow("order a string") << R"({"name": "N", "order": "3", )" + down + "}" << R"(member "order" must be an integer)";
        QTest::newRow("order beyond 64 bits") << R"({"name": "N", "order": 9223372036854775808, )" + down + "}" << R"(member "order" must be an integer)";
        QTest::newRow("down missing") << QByteArray(R"({"name": "N"})") << R"(member "down" is missing)";
        QTest::newRow("down an array") << QByteArray(R"({"name": "N", "down": []})") << R"(pack.json: member "down" must be an object)";
        QTest::newRow("category a string") << QByteArray(R"({"name": "N", "down": {"standard": "a.wav"}})") << R"(member "standard" of "down" must be an array)";
        QTest::newRow("unknown category still typed") << QByteArray(R"({"name": "N", "down": {"Space": 1}})") << R"(member "Space" of "down" must be an array)";
        QTest::newRow("file name null") << QByteArray(R"({"name": "N", "down": {"standard": [null]}})") << R"(member "standard" of "down" must hold only strings)";
        QTest::newRow("keysUp wrong") << R"({"name": "N", "keysUp": {"36": [1]}, )" + down + "}" << R"(member "36" of "keysUp" must hold only strings)";
        QTest::newRow("not an object") << QByteArray("[]") << "pack.json: the document must be a JSON object";
        QTest::newRow("not JSON") << QByteArray(R"({"name": "N",})") << "pack.json: not valid JSON";
        QTest::newRow("deeply nested") << QByteArray(R"({"name": "N", "x": )" + QByteArray(5000, '[') + QByteArray(5000, ']') + "}") << "pack.json: not valid JSON";
    }
    void manifestDocument()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        QString message;
        const std::optional<Manifest> manifest = Manifest::decode(json, &message);
        QCOMPARE(manifest.has_value(), error.isEmpty());
        QVERIFY2(message.contains(error), qPrintable(message));
    }

    void mechvibesDocument_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        QTest::newRow("minimal") << QByteArray(R"({"defines": {}})") << "";
        QTest::newRow("null define, mixed defines") << QByteArray(R"({"defines": {"1": null, "2": "a.wav", "3": [1, 2, 3], "4": []}})") << "";
        QTest::newRow("defines missing") << QByteArray(R"({"name": "N"})") << R"(config.json: member "defines" is missing)";
        QTest::newRow("defines an array") << QByteArray(R"({"defines": []})") << R"(member "defines" must be an object)";
        QTest::newRow("define a number") << QByteArray(R"({"defines": {"30": 5}})") << R"(config.json: member "30" of "defines" must be)";
        QTest::newRow("define an object") << QByteArray(R"({"defines": {"30": {}}})") << R"(member "30" of "defines" must be)";
        QTest::newRow("window with a string") << QByteArray(R"({"defines": {"30": [1, "2"]}})") << R"(member "30" of "defines" must be)";
        QTest::newRow("window with null") << QByteArray(R"({"defines": {"30": [null]}})") << R"(member "30" of "defines" must be)";
        QTest::newRow("name a number") << QByteArray(R"({"name": 1, "defines": {}})") << R"(member "name" must be a string)";
        QTest::newRow("sound an array") << QByteArray(R"({"sound": [], "defines": {}})") << R"(member "sound" must be a string)";
        QTest::newRow("version 2 soundup wrong") << QByteArray(R"({"version": 2, "key_define_type": "multi", "soundup": 1, "defines": {}})") << R"(member "soundup" must be a string)";
        QTest::newRow("version 1 soundup not read") << QByteArray(R"({"version": 1, "key_define_type": "multi", "soundup": 1, "defines": {}})") << "";
    }
    void mechvibesDocument()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        QString message;
        const std::optional<MechvibesConfig> config = MechvibesConfig::decode(json, &message);
        QCOMPARE(config.has_value(), error.isEmpty());
        QVERIFY2(message.contains(error), qPrintable(message));
    }

    void sliceDefines()
    {
        const auto config = MechvibesConfig::decode(R"({"defines": {"1": [7.5], "2": [], "3": [1, 2, "ignored?"]}})");
        QVERIFY(!config); // every element must be a number, even those not used
        const auto ok = MechvibesConfig::decode(R"({"defines": {"1": [7.5], "2": [], "3": [1, 2, 3]}})");
        QVERIFY(ok);
        QCOMPARE(ok->defines["1"]->start, 7.5);
        QCOMPARE(ok->defines["1"]->duration, 0.0);
        QCOMPARE(ok->defines["2"]->kind, MechvibesConfig::Define::Kind::Slice);
        QCOMPARE(ok->defines["3"]->duration, 2.0);
        QCOMPARE(sliceKey(120, 80), QString("120.0-80.0"));
        QCOMPARE(sliceKey(10.01, 2.5), QString("10.01-2.5"));
    }

    void keyCodeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -1: ignored
        QTest::newRow("plain") << "36" << 36;
        QTest::newRow("plus") << "+36" << 36;
        QTest::newRow("leading zeros") << "0036" << 36;
        QTest::newRow("highest") << "65535" << 65535;
        QTest::newRow("minus zero") << "-0" << 0;
        QTest::newRow("minus zeros") << "-000" << 0;
        QTest::newRow("leading space") << " 36" << -1;
        QTest::newRow("trailing letter") << "36a" << -1;
        QTest::newRow("negative") << "-36" << -1;
        QTest::newRow("too large") << "65536" << -1;
        QTest::newRow("far too large") << "99999999999999999999" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("sign alone") << "+" << -1;
        QTest::newRow("two signs") << "+-0" << -1;
        QTest::newRow("other digits") << QString::fromUtf8("\u0663\u0666") << -1;
    }
    void keyCodeText()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const std::optional<KeyCode> code = Manifest::keyCodeFromText(text);
        QCOMPARE(code ? int(*code) : -1, expected);
    }

    void mechvibesKeyText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("parses");
        QTest::addColumn<qlonglong>("expected");
        QTest::newRow("plain") << "57" << true << 57LL;
        QTest::newRow("plus") << "+57" << true << 57LL;
        QTest::newRow("negative") << "-5" << true << -5LL;
        QTest::newRow("lowest") << "-9223372036854775808" << true << std::numeric_limits<qlonglong>::min();
        QTest::newRow("beyond 64 bits") << "9223372036854775808" << false << 0LL;
        QTest::newRow("letters") << "abc" << false << 0LL;
        QTest::newRow("empty") << "" << false << 0LL;
        QTest::newRow("space") << "5 7" << false << 0LL;
    }
    void mechvibesKeyText()
    {
        QFETCH(QString, text);
        QFETCH(bool, parses);
        QFETCH(qlonglong, expected);
        const std::optional<long long> code = MechvibesConfig::codeFromText(text);
        QCOMPARE(code.has_value(), parses);
        if (parses)
            QCOMPARE(qlonglong(*code), expected);
    }

    void expandRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("0 to 4") << "R{0-4}.mp3" << QStringList{"R0.mp3", "R1.mp3", "R2.mp3", "R3.mp3", "R4.mp3"};
        QTest::newRow("one number") << "R{3-3}.mp3" << QStringList{"R3.mp3"};
        QTest::newRow("decimal values") << "R{08-10}" << QStringList{"R8", "R9", "R10"};
        QTest::newRow("reversed") << "R{4-0}.mp3" << QStringList{"R{4-0}.mp3"};
        QStringList hundred;
        for (int i = 0; i < 100; ++i)
            hundred.append("R" + QString::number(i));
        QTest::newRow("a hundred numbers") << "R{0-99}" << hundred;
        QTest::newRow("more than a hundred") << "R{0-100}" << QStringList{"R{0-100}"};
        QTest::newRow("only the first range") << "{1-2}{3-4}" << QStringList{"1{3-4}", "2{3-4}"};
        QTest::newRow("brace that is no range") << "a{x}{1-2}" << QStringList{"a{x}1", "a{x}2"};
        QTest::newRow("signed") << "{-1-2}" << QStringList{"{-1-2}"};
        QTest::newRow("huge") << "{18446744073709551615-18446744073709551615}" << QStringList{"18446744073709551615"};
        QTest::newRow("plain") << "release/GENERIC.mp3" << QStringList{"release/GENERIC.mp3"};
    }
    void expandRange()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(MechvibesConfig::expandRange(text), expected);
    }

    void resolveInside_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // relative to the pack folder; empty: rejected
        QTest::newRow("file") << "click.wav" << "click.wav";
        QTest::newRow("through a subfolder") << "sounds/../click.wav" << "click.wav";
        QTest::newRow("subfolder") << "sounds/x.wav" << "sounds/x.wav";
        QTest::newRow("missing but inside") << "missing.wav" << "missing.wav";
        QTest::newRow("absolute stays inside") << "/click.wav" << "click.wav";
        QTest::newRow("link to a file inside") << "link-in.wav" << "click.wav";
        QTest::newRow("parent") << "../click.wav" << "";
        QTest::newRow("deeper parent") << "sounds/../../outside.wav" << "";
        QTest::newRow("sibling with the folder's name as prefix") << "../pack2/evil.wav" << "";
        QTest::newRow("the folder itself") << "." << "";
        QTest::newRow("empty name") << "" << "";
        QTest::newRow("link pointing outside") << "link-out.wav" << "";
        QTest::newRow("folder link pointing outside") << "outdir/outside.wav" << "";
        QTest::newRow("embedded NUL") << QString("click.wav") + QChar(0) + "x" << "";
    }
    void resolveInside()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        PackFolder pack;
        pack.tone("click.wav");
        pack.tone("sounds/x.wav");
        QVERIFY(TestPacks::writeTone(pack.root() + "/outside.wav", 10));
        QVERIFY(TestPacks::writeTone(pack.root() + "/pack2/evil.wav", 10));
        QVERIFY(QFile::link(pack.root() + "/outside.wav", pack.file("link-out.wav")));
        QVERIFY(QFile::link(pack.root(), pack.file("outdir")));
        QVERIFY(QFile::link("click.wav", pack.file("link-in.wav")));

        // Through a link to the pack folder, as the library may be given it.
        const QString linked = pack.root() + "/linked";
        QVERIFY(QFile::link(pack.path(), linked));
        for (const QString &folder : {pack.path(), linked}) {
            const std::optional<QString> resolved = PackLoader::resolveInside(folder, name);
            const QString real = QFileInfo(pack.path()).canonicalFilePath();
            QCOMPARE(resolved.value_or(QString()), expected.isEmpty() ? QString() : real + '/' + expected);
        }
    }

    void playability_data()
    {
        QTest::addColumn<QByteArray>("manifest"); // empty: use the config
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<bool>("loads");
        QTest::newRow("standard") << QByteArray(R"({"name": "N", "down": {"standard": ["a.wav"]}})") << QByteArray() << true;
        QTest::newRow("capital Space only") << QByteArray(R"({"name": "N", "down": {"Space": ["a.wav"]}})") << QByteArray() << false;
        QTest::newRow("empty down") << QByteArray(R"({"name": "N", "down": {}})") << QByteArray() << false;
        QTest::newRow("only up") << QByteArray(R"({"name": "N", "down": {}, "up": {"standard": ["a.wav"]}})") << QByteArray() << false;
        QTest::newRow("only keysUp") << QByteArray(R"({"name": "N", "down": {}, "keysUp": {"36": ["a.wav"]}})") << QByteArray() << false;
        QTest::newRow("key entry whose file is missing") << QByteArray(R"({"name": "N", "down": {"standard": []}, "keys": {"36": ["gone.wav"]}})") << QByteArray() << true;
        QTest::newRow("all files missing") << QByteArray(R"({"name": "N", "down": {"standard": ["gone.wav"]}})") << QByteArray() << false;
        QTest::newRow("config: only releases") << QByteArray() << QByteArray(R"({"defines": {"30-up": "a.wav"}})") << false;
        QTest::newRow("config: files without sound") << QByteArray() << QByteArray(R"({"defines": {"30": "a.wav"}})") << true;
        QTest::newRow("config: slices without sound") << QByteArray() << QByteArray(R"({"defines": {"30": [0, 10]}})") << false;
        QTest::newRow("config: empty windows") << QByteArray() << QByteArray(R"({"sound": "a.wav", "defines": {"30": [500], "31": []}})") << false;
        QTest::newRow("config: unknown keys only") << QByteArray() << QByteArray(R"({"defines": {"55": "a.wav", "-up": "a.wav", "abc": "a.wav", "9999": "a.wav"}})") << false;
    }
    void playability()
    {
        QFETCH(QByteArray, manifest);
        QFETCH(QByteArray, config);
        QFETCH(bool, loads);
        PackFolder pack;
        pack.tone("a.wav");
        if (!manifest.isEmpty())
            pack.manifest(manifest);
        if (!config.isEmpty())
            pack.config(config);
        const LoadResult result = pack.load();
        QCOMPARE(result.ok(), loads);
        if (!loads) {
            QCOMPARE(result.failure().error(), std::optional(PackLoadError::NoSounds));
            QCOMPARE(result.failure().message, QString("No playable sounds were found in this pack."));
        }
    }

    void documentFailures_data()
    {
        QTest::addColumn<QByteArray>("manifest"); // "-": no file
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("no documents") << QByteArray("-") << QByteArray("-") << "noManifest" << "The folder must contain a pack.json or a Mechvibes config.json.";
        QTest::newRow("bad pack.json beside a good config.json") << QByteArray(R"({"name": 1, "down": {}})") << QByteArray(R"({"defines": {"30": "a.wav"}})") << "invalidDocument" << R"(pack.json: member "name" must be a string)";
        QTest::newRow("bad config.json") << QByteArray("-") << QByteArray(R"({"defines": {"30": 5}})") << "invalidDocument" << R"(config.json: member "30" of "defines")";
        QTest::newRow("huge pack.json") << QByteArray(5 << 20, ' ') << QByteArray("-") << "invalidDocument" << "pack.json: larger than 4 MiB";
    }
    void documentFailures()
    {
        QFETCH(QByteArray, manifest);
        QFETCH(QByteArray, config);
        QFETCH(QString, kind);
        QFETCH(QString, message);
        PackFolder pack;
        pack.tone("a.wav");
        if (manifest != "-")
            pack.manifest(manifest);
        if (config != "-")
            pack.config(config);
        const LoadResult result = pack.load();
        QVERIFY(!result.ok());
        QCOMPARE(result.failure().kindName(), kind);
        QVERIFY2(result.failure().message.startsWith(message), qPrintable(result.failure().message));
    }

    void readInfo()
    {
        PackFolder pack;
        QVERIFY(!PackLoader::readInfo(pack.path(), false));
        // Nothing must be read from the working directory for an empty or non-file location.
        QVERIFY(QDir::setCurrent(pack.path()));
        pack.config(R"({"defines": {"30": "a.wav"}})");
        pack.tone("a.wav");
        QVERIFY(!PackLoader::readInfo(QString(), false));
        QVERIFY(!PackLoader::readInfo(QUrl("https://example.org/pack"), false));
        QCOMPARE(PackLoader::load(PackInfo{}).failure().kindName(), QString("noManifest"));
        QVERIFY(QDir::setCurrent(QDir::tempPath()));
        QFile::remove(pack.file("config.json"));
        pack.config(R"({"defines": {}})");
        std::optional<PackInfo> info = PackLoader::readInfo(pack.path() + "/", true);
        QVERIFY(info);
        QCOMPARE(info->id, QString("bundle:pack"));
        QCOMPARE(info->name, QString("pack")); // the folder's name when config.json has none
        QCOMPARE(info->url, QUrl::fromLocalFile(pack.path()));
        pack.manifest(R"({"name": "N", "type": "Tactile", "order": -3, "down": {}})");
        info = PackLoader::readInfo(QUrl::fromLocalFile(pack.path()), false);
        QCOMPARE(*info, (PackInfo{"folder:pack", "N", QString("Tactile"), -3, QUrl::fromLocalFile(pack.path()), false}));
        pack.manifest(R"({"name": 1, "down": {}})"); // a malformed pack.json falls back to config.json
        QCOMPARE(PackLoader::readInfo(pack.path(), false)->name, QString("pack"));
    }

    void loadKeepsItsDescriptor()
    {
        PackFolder pack;
        pack.tone("a.wav");
        pack.manifest(R"({"name": "Now", "order": 9, "down": {"standard": ["a.wav"]}})");
        const PackInfo info = pack.info();
        QCOMPARE(PackLoader::load(info).pack()->info(), info);
    }

    // A file named in several places is decoded once and shared; another spelling is another key.
    void manifestSharesSamples()
    {
        PackFolder pack;
        pack.tone("click.wav");
        pack.manifest(R"({"name": "N", "down": {"standard": ["click.wav", "gone.wav", "./click.wav"], "space": []},
                          "keys": {"36": ["click.wav"], "+36": ["click.wav"], "36a": ["click.wav"]},
                          "up": {"enter": ["../click.wav"]}})");
        LoadReport report;
        const LoadedPackPtr loaded = PackLoader::load(pack.info(), &report).pack();
        QVERIFY(loaded);
        const SampleList &standard = loaded->down().at(KeyCategory::Standard);
        QCOMPARE(standard.size(), std::size_t(2));
        QCOMPARE(loaded->keyDown().at(36).front(), standard[0]);
        QVERIFY(standard[1] != standard[0]);
        QVERIFY(loaded->down().at(KeyCategory::Space).empty());
        QVERIFY(loaded->up().at(KeyCategory::Enter).empty());
        QCOMPARE(loaded->keyDown().size(), std::size_t(1));
        QCOMPARE(report.format, QString("pack.json"));
        QCOMPARE(report.skipped.size(), 2);
        QCOMPARE(report.ignored.size(), 1);
    }

    void mechvibesSlices()
    {
        PackFolder pack;
        pack.tone("sound.wav", 48000);
        pack.config(R"({"sound": "sound.wav", "defines": {
            "30": [120, 80], "30-up": [200, 60], "57": [0, 10], "+57": [10, 10],
            "3675": [0, 10], "28": [0, 20], "3612": [0, 20], "1": null, "55": [0, 10]}})");
        const LoadedPackPtr loaded = pack.load().pack();
        QVERIFY(loaded);
        QCOMPARE(unshiftedFrames(loaded->keyDown().at(0)), std::size_t(3840)); // A: 80 ms
        QCOMPARE(unshiftedFrames(loaded->keyUp().at(0)), std::size_t(2880));   // A released: 60 ms
        QCOMPARE(loaded->down().at(KeyCategory::Space).size(), std::size_t(2));
        QCOMPARE(loaded->keyDown().at(49).size(), std::size_t(1));
        QCOMPARE(loaded->down().at(KeyCategory::Modifier).front(), loaded->keyDown().at(55).front());
        // Return and keypad Enter use the same window: one sample, listed for both keys.
        const SampleList &enter = loaded->down().at(KeyCategory::Enter);
        QCOMPARE(enter.size(), std::size_t(2));
        QCOMPARE(enter[0], enter[1]);
        QVERIFY(loaded->up().empty());
        QCOMPARE(loaded->keyDown().size(), std::size_t(5));
    }

    void versionTwoMulti_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<int>("standard");
        QTest::addColumn<int>("upStandard"); // -1: no entry
        const QByteArray defines = R"("defines": {"14": "b.wav", "14-up": "u.wav"})";
        QTest::newRow("range and soundup") << R"({"version": 2, "key_define_type": "multi", "sound": "r{0-2}.wav", "soundup": "u.wav", )" + defines + "}" << 3 << 1;
        QTest::newRow("plain sound") << R"({"version": 2.0, "key_define_type": "multi", "sound": "r1.wav", )" + defines + "}" << 1 << -1;
        QTest::newRow("missing files skipped") << R"({"version": 2, "key_define_type": "multi", "sound": "r{1-5}.wav", "soundup": "gone.wav", )" + defines + "}" << 2 << -1;
        QTest::newRow("version as text: off") << R"({"version": "2", "key_define_type": "multi", "sound": "r{0-2}.wav", "soundup": "u.wav", )" + defines + "}" << -1 << -1;
        QTest::newRow("single: off") << R"({"version": 2, "key_define_type": "single", "sound": "r{0-2}.wav", )" + defines + "}" << -1 << -1;
        QTest::newRow("version 1: off") << R"({"version": 1, "key_define_type": "multi", "sound": "r1.wav", )" + defines + "}" << -1 << -1;
    }
    void versionTwoMulti()
    {
        QFETCH(QByteArray, config);
        QFETCH(int, standard);
        QFETCH(int, upStandard);
        PackFolder pack;
        for (const char *name : {"r0.wav", "r1.wav", "r2.wav", "b.wav", "u.wav"})
            pack.tone(name);
        pack.config(config);
        const LoadedPackPtr loaded = pack.load().pack();
        QVERIFY(loaded);
        const auto down = loaded->down().find(KeyCategory::Standard);
        QCOMPARE(down == loaded->down().end() ? -1 : int(down->second.size()), standard);
        const auto up = loaded->up().find(KeyCategory::Standard);
        QCOMPARE(up == loaded->up().end() ? -1 : int(up->second.size()), upStandard);
        QCOMPARE(loaded->keyDown().size(), std::size_t(1)); // Delete (backspace) keeps its own file
        QCOMPARE(loaded->keyUp().size(), std::size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestPackLoader)
#include "tst_packloader.moc"
