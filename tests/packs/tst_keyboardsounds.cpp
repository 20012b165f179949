#include "audio/OfflineRenderer.h"
#include "keys/LinuxKeyCodes.h"
#include "packs/PackLibrary.h"
#include "packs/PackLoader.h"
#include "packs/SampleDecoding.h"
#include "tests/support/TestPacks.h"

#include <QTemporaryDir>
#include <QtTest>

#include <linux/input-event-codes.h>

#include <set>

using namespace plinkum;
using namespace plinkum::PackLoader;

namespace {

using Frames = std::set<std::vector<float>>;

// Keyboard profiles are test data; the mouse profiles are the recordings the built-in mouse packs
// are cut from.
QString profile(const QString &name)
{
    const QString keyboards = QStringLiteral(PLINKUM_SOURCE_DIR "/tests/data/keyboardsounds/") + name;
    return QFileInfo::exists(keyboards) ? keyboards : QStringLiteral(PLINKUM_DATA_DIR "/mouse-clicks/") + name;
}

InputEvent inputEvent(const QString &name, bool down)
{
    const QHash<QString, unsigned> keys{{"space", KEY_SPACE}, {"enter", KEY_ENTER}, {"backspace", KEY_BACKSPACE}, {"a", KEY_A}};
    if (keys.contains(name))
        return InputEvent::key(*LinuxKeyCodes::fromEvdev(keys[name]), down);
    return InputEvent::button(*pointerButtonFromRaw(name.toStdString()), down);
}

Frames frames(const SampleList &samples)
{
    Frames result;
    for (const SamplePtr &sample : samples)
        result.insert(sample->unshifted().frames());
    return result;
}

// The files `wildcard` matches in `folder`, decoded as a pack's sounds are.
Frames decoded(const QString &folder, const QString &wildcard)
{
    Frames result;
    for (const QString &name : QDir(folder).entryList({wildcard}, QDir::Files))
        result.insert(trimLeadingSilence(decodeFile(folder + '/' + name), 0.01f));
    return result;
}

} // namespace

// keyboardsounds profiles: shipped ones imported as users would, and hand-written ones' faults.
class TestKeyboardSounds : public QObject {
    Q_OBJECT

private slots:
    // Each key and button plays its own files, whether the profile came as a folder or a zip.
    void profiles_data()
    {
        QTest::addColumn<QString>("folder");
        // event=press files|release files (wildcards); "a" stands for every key without its own.
        QTest::addColumn<QStringList>("sounds");
        const QStringList kbsim{"space=press_space.mp3|release_space.mp3", "enter=press_enter.mp3|release_enter.mp3",
                                "backspace=press_back.mp3|release_back.mp3", "a=press_key?.mp3|release_key.mp3"};
        QTest::newRow("alpaca") << "alpaca" << kbsim;
        QTest::newRow("gateron-red-ink") << "gateron-red-ink" << kbsim;
        QTest::newRow("a key in several entries") << "logitech-g915-tkl-brown"
            << QStringList{"space=space-press-?.wav|space-release-?.wav", "enter=enter-press-?.wav|enter-release-?.wav",
                           "backspace=enter-press-?.wav|enter-release-?.wav", "a=key-press-?.wav|key-release-?.wav"};
        // X11 button numbers; the default, left's sound, for the buttons they do not name.
        const QStringList x11{"left=left-down.*|left-up.*", "right=right-down.*|right-up.*", "back=left-down.*|left-up.*"};
        for (const char *mouse : {"amazon-gaming-mouse", "apple-magic-mouse", "corsair-m65-elite", "logitech-g502-lightspeed",
                                  "logitech-m570-trackball", "razer-mamba-elite"})
            QTest::newRow(mouse) << mouse << x11;
        QTest::newRow("buttons by name, a press-only source") << "g502x-wireless"
            << QStringList{"left=primary_down.wav|primary_up.wav", "right=secondary_down.wav|secondary_up.wav", "middle=middle.wav|"};
    }
    void profiles()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, sounds);
        const bool mouse = !sounds.first().startsWith("space");
        QTemporaryDir tmp;
        QVERIFY(TestPacks::zipFolder(profile(folder), tmp.filePath(folder + ".zip")));
        for (const QString &source : {profile(folder), tmp.filePath(folder + ".zip")}) {
            PackLibrary library(tmp.filePath("builtin"), tmp.filePath(QFileInfo(source).suffix() + "-imports"));
            PackLibrary::ImportError error{};
            const std::optional<PackInfo> info = library.importPack(source, &error);
            QVERIFY2(info, qPrintable(error.message));
            QVERIFY(info->format == "keyboardsounds profile" && info->mouse == mouse && info->keyboard == !mouse);
            LoadReport report;
            const LoadedPackPtr pack = PackLoader::load(*info, &report).pack();
            QVERIFY(pack && report.ignored.isEmpty());

            OfflineRenderer renderer(pack, {});
            for (const QString &row : sounds) {
                const QString name = row.section('=', 0, 0);
                const QStringList files = row.section('=', 1).split('|');
                for (const bool down : {true, false}) {
                    QVERIFY2(frames(pack->samples(inputEvent(name, down))) == decoded(profile(folder), files[down ? 0 : 1]),
                             qPrintable(row));
                    // Heard within 100 ms, when it has a sound.
                    const std::size_t from = renderer.frame();
                    renderer.play(inputEvent(name, down));
                    renderer.renderUntil(from + 4800);
                    const auto peak = std::max_element(renderer.samples().begin() + 2 * from, renderer.samples().end(),
                                                       [](float a, float b) { return std::abs(a) < std::abs(b); });
                    QCOMPARE(std::abs(*peak) > 0.0f, !files[down ? 0 : 1].isEmpty());
                    renderer.renderUntil(from + 48000);
                }
            }
        }
    }

    // What a hand-written profile may get wrong: skipped and reported, or refused with the place.
    void handWritten_data()
    {
        QTest::addColumn<QByteArray>("yaml");
        QTest::addColumn<QString>("loaded"); // what plays; empty: refused
        QTest::addColumn<QString>("note");   // the ignored entries, or the error
        const QByteArray sources = "profile: {name: N}\nsources:\n- {id: k, source: a.wav}\n- {id: p, source: {press: a.wav, release: b.wav}}\n";
        QTest::newRow("no keys: every source by default") << sources << "down 2 up 1 keys 0" << "";
        QTest::newRow("one id, a press-only source") << sources + "keys: {default: k}" << "down 1 up 0 keys 0" << "";
        QTest::newRow("unknown names and ids skipped")
            << sources + "keys:\n  default: [k, nope]\n  other:\n  - {sound: [p, gone], keys: [Space, ctrl, fn_lock, f24]}"
            << "down 1 up 0 keys 3" << R"("nope" of "default", "gone" of "sound", "fn_lock" of "keys", "f24" of "keys")";
        QTest::newRow("mouse: wheel steps are no buttons")
            << QByteArray("profile: {name: N, device: mouse}\nsources: [{id: k, source: a.wav}]\nbuttons: {'1': k, '4': k}")
            << "left 1 right 0" << R"("4" of "buttons")";
        QTest::newRow("not YAML") << QByteArray("profile: [") << "" << "profile.yaml: not valid YAML (line";
        QTest::newRow("a list") << QByteArray("- a") << "" << "profile.yaml: the document must be a YAML mapping";
        QTest::newRow("no sources") << QByteArray("profile: {name: N}") << "" << R"(member "sources" is missing)";
        QTest::newRow("a device we do not know") << QByteArray("profile: {name: N, device: pen}\nsources: []") << ""
                                                 << R"(member "device" of "profile" must be "keyboard" or "mouse")";
        QTest::newRow("cut from a video") << QByteArray("profile: {name: N, type: video-extract}\nsources: []") << ""
                                          << R"(member "type" of "profile" must be "files")";
        // A few hundred bytes whose aliases expand to 10^7 values.
        QByteArray bomb = sources + "l0: &l0 [k, k, k, k, k, k, k, k, k, k]\n";
        for (int level = 1; level < 7; ++level)
            bomb += QString("l%1: &l%1 [%2]\n").arg(level).arg(QString("*l%1, ").arg(level - 1).repeated(10).chopped(2)).toUtf8();
        QTest::newRow("alias bomb") << bomb << "" << "profile.yaml: not read: its aliases expand beyond 65536 values";
    }
    void handWritten()
    {
        QFETCH(QByteArray, yaml);
        QFETCH(QString, loaded);
        QFETCH(QString, note);
        QTemporaryDir tmp;
        QVERIFY(TestPacks::writeTone(tmp.filePath("a.wav"), 480) && TestPacks::writeTone(tmp.filePath("b.wav"), 960));
        QVERIFY(TestPacks::writeText(tmp.filePath("profile.yaml"), yaml));
        const std::optional<PackInfo> info = PackLoader::readInfo(tmp.path(), false);
        LoadReport report;
        const LoadResult result = PackLoader::load(info.value_or(PackInfo{"folder:p", "P", {}, 0, QUrl::fromLocalFile(tmp.path()), false}), &report);
        QCOMPARE(result.ok(), !loaded.isEmpty());
        QCOMPARE(info.has_value(), result.ok());
        if (!result.ok()) {
            QVERIFY2(result.failure().message.contains(note), qPrintable(result.failure().message));
            return;
        }
        const LoadedPack &pack = *result.pack();
        const auto count = [](const auto &map, auto key) { return map.contains(key) ? map.at(key).size() : 0; };
        QCOMPARE(pack.info().mouse ? QString("left %1 right %2").arg(pack.buttonDown()[0].size()).arg(pack.buttonDown()[1].size())
                                   : QString("down %1 up %2 keys %3").arg(count(pack.down(), KeyCategory::Standard))
                                         .arg(count(pack.up(), KeyCategory::Standard)).arg(pack.keyDown().size()),
                 loaded);
        QStringList ignored;
        for (const LoadReport::Entry &entry : report.ignored)
            ignored << entry.what;
        QCOMPARE(ignored.join(", "), note);
    }
};

QTEST_GUILESS_MAIN(TestKeyboardSounds)
#include "tst_keyboardsounds.moc"
