#include "keys/KeyTables.h"
#include "keys/LinuxKeyCodes.h"
#include "packs/MechvibesDxLoader.h"
#include "packs/PackLoader.h"
#include "tests/support/TestPacks.h"

#include <QTemporaryDir>
#include <QtTest>

#include <linux/input-event-codes.h>

#include <set>

using namespace plinkum;
using namespace plinkum::PackLoader;
using namespace TestPacks;

namespace {

const QString dxData = QStringLiteral(PLINKUM_SOURCE_DIR "/tests/data/mechvibes-dx/");
const QString oreoRecording = QStringLiteral(PLINKUM_DATA_DIR "/mechvibes/eg-oreo/oreo.ogg");

// A sample pack as its user has it: its files, and for eg-oreo the recording stored once in data/.
bool copySample(const QString &sample, const QString &to)
{
    bool ok = QDir().mkpath(to);
    for (const QFileInfo &file : QDir(dxData + sample).entryInfoList(QDir::Files))
        ok = ok && QFile::copy(file.filePath(), to + '/' + file.fileName());
    if (sample.endsWith(QLatin1String("eg-oreo")))
        ok = ok && QFile::copy(oreoRecording, to + "/oreo.ogg");
    return ok;
}

LoadedPackPtr loadFolder(const QString &folder)
{
    const std::optional<PackInfo> info = PackLoader::readInfo(folder, false);
    const LoadResult result = info ? PackLoader::load(*info) : LoadResult(PackLoadFailure::fromError(PackLoadError::NoManifest));
    return result.ok() ? result.pack() : nullptr;
}

} // namespace

// MechvibesDX "config_version 2" packs: the key names, the windows, and its own packs imported and played.
class TestMechvibesDx : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;

    Run plinkumPack(const QStringList &arguments, const QString &home) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", home);
        return run(PLINKUM_BINARY_DIR "/bin/plinkum-pack", arguments, environment);
    }

private slots:
    // Every name of the format's key list, against the Linux key the W3C names stand for: each
    // plays for the key the key sources report, and none Linux cannot report is claimed.
    void w3cKeys()
    {
        struct Row {
            const char *name;
            unsigned evdev;
        };
        static constexpr Row rows[] = {
            {"KeyA", KEY_A}, {"KeyB", KEY_B}, {"KeyC", KEY_C}, {"KeyD", KEY_D}, {"KeyE", KEY_E}, {"KeyF", KEY_F}, {"KeyG", KEY_G},
            {"KeyH", KEY_H}, {"KeyI", KEY_I}, {"KeyJ", KEY_J}, {"KeyK", KEY_K}, {"KeyL", KEY_L}, {"KeyM", KEY_M}, {"KeyN", KEY_N},
            {"KeyO", KEY_O}, {"KeyP", KEY_P}, {"KeyQ", KEY_Q}, {"KeyR", KEY_R}, {"KeyS", KEY_S}, {"KeyT", KEY_T}, {"KeyU", KEY_U},
            {"KeyV", KEY_V}, {"KeyW", KEY_W}, {"KeyX", KEY_X}, {"KeyY", KEY_Y}, {"KeyZ", KEY_Z}, {"Digit0", KEY_0},
            {"Digit1", KEY_1}, {"Digit2", KEY_2}, {"Digit3", KEY_3}, {"Digit4", KEY_4}, {"Digit5", KEY_5}, {"Digit6", KEY_6},
            {"Digit7", KEY_7}, {"Digit8", KEY_8}, {"Digit9", KEY_9}, {"Space", KEY_SPACE}, {"Enter", KEY_ENTER},
            {"Backspace", KEY_BACKSPACE}, {"Tab", KEY_TAB}, {"Escape", KEY_ESC}, {"CapsLock", KEY_CAPSLOCK},
            {"ShiftLeft", KEY_LEFTSHIFT}, {"ShiftRight", KEY_RIGHTSHIFT}, {"ControlLeft", KEY_LEFTCTRL},
            {"ControlRight", KEY_RIGHTCTRL}, {"AltLeft", KEY_LEFTALT}, {"AltRight", KEY_RIGHTALT}, {"MetaLeft", KEY_LEFTMETA},
            {"MetaRight", KEY_RIGHTMETA}, {"ContextMenu", KEY_COMPOSE}, {"Minus", KEY_MINUS}, {"Equal", KEY_EQUAL},
            {"BracketLeft", KEY_LEFTBRACE}, {"BracketRight", KEY_RIGHTBRACE}, {"Backslash", KEY_BACKSLASH},
            {"Semicolon", KEY_SEMICOLON}, {"Quote", KEY_APOSTROPHE}, {"Backquote", KEY_GRAVE}, {"Comma", KEY_COMMA},
            {"Period", KEY_DOT}, {"Slash", KEY_SLASH}, {"IntlBackslash", KEY_102ND}, {"IntlRo", KEY_RO}, {"IntlYen", KEY_YEN},
            {"F1", KEY_F1}, {"F2", KEY_F2}, {"F3", KEY_F3}, {"F4", KEY_F4}, {"F5", KEY_F5}, {"F6", KEY_F6}, {"F7", KEY_F7},
            {"F8", KEY_F8}, {"F9", KEY_F9}, {"F10", KEY_F10}, {"F11", KEY_F11}, {"F12", KEY_F12}, {"F13", KEY_F13},
            {"F14", KEY_F14}, {"F15", KEY_F15}, {"F16", KEY_F16}, {"F17", KEY_F17}, {"F18", KEY_F18}, {"F19", KEY_F19},
            {"F20", KEY_F20}, {"F21", KEY_F21}, {"F22", KEY_F22}, {"F23", KEY_F23}, {"F24", KEY_F24},
            {"PrintScreen", KEY_SYSRQ}, {"ScrollLock", KEY_SCROLLLOCK}, {"Pause", KEY_PAUSE}, {"Insert", KEY_INSERT},
            {"Delete", KEY_DELETE}, {"Home", KEY_HOME}, {"End", KEY_END}, {"PageUp", KEY_PAGEUP}, {"PageDown", KEY_PAGEDOWN},
            {"ArrowUp", KEY_UP}, {"ArrowDown", KEY_DOWN}, {"ArrowLeft", KEY_LEFT}, {"ArrowRight", KEY_RIGHT},
            {"NumLock", KEY_NUMLOCK}, {"Numpad0", KEY_KP0}, {"Numpad1", KEY_KP1}, {"Numpad2", KEY_KP2}, {"Numpad3", KEY_KP3},
            {"Numpad4", KEY_KP4}, {"Numpad5", KEY_KP5}, {"Numpad6", KEY_KP6}, {"Numpad7", KEY_KP7}, {"Numpad8", KEY_KP8},
            {"Numpad9", KEY_KP9}, {"NumpadDecimal", KEY_KPDOT}, {"NumpadAdd", KEY_KPPLUS}, {"NumpadSubtract", KEY_KPMINUS},
            {"NumpadMultiply", KEY_KPASTERISK}, {"NumpadDivide", KEY_KPSLASH}, {"NumpadEnter", KEY_KPENTER},
            {"NumpadEqual", KEY_KPEQUAL}, {"NumpadComma", KEY_KPCOMMA}, {"Lang1", KEY_HANGEUL}, {"Lang2", KEY_HANJA},
            {"Lang3", KEY_KATAKANA}, {"Lang4", KEY_HIRAGANA}, {"Lang5", KEY_ZENKAKUHANKAKU}, {"Convert", KEY_HENKAN},
            {"NonConvert", KEY_MUHENKAN}, {"KanaMode", KEY_KATAKANAHIRAGANA}, {"Fn", KEY_FN},
        };
        std::size_t heard = 0;
        for (const Row &row : rows) {
            const std::optional<KeyCode> expected = LinuxKeyCodes::fromEvdev(row.evdev);
            QVERIFY2(KeyTables::w3cKey(row.name) == expected, row.name);
            heard += expected.has_value();
            QVERIFY(!mechvibesDxButton(row.name));
        }
        // All but F21 to F24, Lang3 and Lang4; and the table holds no name beyond the list.
        QCOMPARE(heard, std::size(rows) - 6);
        QCOMPARE(KeyTables::w3cKeyMap().size(), heard);
        QVERIFY(!KeyTables::w3cKey("keya") && !KeyTables::w3cKey("MouseLeft") && !KeyTables::w3cKey(""));
    }

    // Windows are [start, end]; two are press and release, one a press, more the presses to draw from.
    void windows()
    {
        const QString folder = m_tmp.filePath("windows");
        QVERIFY(QDir().mkpath(folder) && writeTone(folder + "/sound.wav", 48000));
        QVERIFY(writeText(folder + "/config.json", R"({"name": "W", "author": "a", "config_version": "2",
            "definition_method": "single", "audio_file": "sound.wav",
            "options": {"recommended_volume": 0.5, "random_pitch": true},
            "definitions": {"KeyA": {"timing": [[0, 100], [100, 150]]}, "KeyS": {"timing": [[200.5, 260.5]]},
                            "KeyD": {"timing": [[300, 310], [400, 420], [500, 530]]}, "KeyF": {"timing": [[900, 950], [2000, 2100]]},
                            "MouseLeft": {"timing": [[600, 650], [650, 700]]}, "Mouse4": {"timing": [[700, 720]]},
                            "Mouse6": {"timing": [[0, 10]]}, "F21": {"timing": [[0, 10]]}, "Hyper": {"timing": [[0, 10]]}}})"));
        const std::optional<PackInfo> info = PackLoader::readInfo(folder, false);
        QVERIFY(info);
        QCOMPARE(info->format, QString("MechvibesDX v2"));
        QCOMPARE(info->ownGain, 0.5);
        QVERIFY(info->keyboard && info->mouse);
        LoadReport report;
        const LoadResult result = PackLoader::load(*info, &report);
        QVERIFY(result.ok());
        const LoadedPack &pack = *result.pack();

        const auto lengths = [](const SampleList &list) {
            QList<std::size_t> result;
            for (const SamplePtr &sample : list)
                result.append(sample->unshifted().frameCount());
            return result;
        };
        using Lengths = QList<std::size_t>;
        const auto key = [&](const char *name) { return *KeyTables::w3cKey(name); };
        QCOMPARE(lengths(pack.keyDown().at(key("KeyA"))), Lengths{4800});
        QCOMPARE(lengths(pack.keyUp().at(key("KeyA"))), Lengths{2400});
        QCOMPARE(lengths(pack.keyDown().at(key("KeyS"))), Lengths{2880});
        QCOMPARE(lengths(pack.keyDown().at(key("KeyD"))), (Lengths{480, 960, 1440}));
        // A release window past the recording's end loses the release, not the press.
        QCOMPARE(lengths(pack.keyDown().at(key("KeyF"))), Lengths{2400});
        QCOMPARE(pack.keyUp().size(), std::size_t(1));
        QCOMPARE(lengths(pack.down().at(KeyCategory::Standard)), (Lengths{4800, 480, 960, 1440, 2400, 2880}));
        QCOMPARE(lengths(pack.buttonDown()[std::size_t(PointerButton::Left)]), Lengths{2400});
        QCOMPARE(lengths(pack.buttonUp()[std::size_t(PointerButton::Left)]), Lengths{2400});
        QCOMPARE(lengths(pack.buttonDown()[std::size_t(PointerButton::Back)]), Lengths{960});
        QVERIFY(pack.buttonUp()[std::size_t(PointerButton::Back)].empty());

        QStringList ignored;
        for (const LoadReport::Entry &entry : report.ignored)
            ignored.append(entry.what + ": " + entry.reason);
        QCOMPARE(ignored, (QStringList{R"("random_pitch" of "options": pitch variation follows Plinkum's own setting)",
                                       R"("F21" of "definitions": not a key Plinkum hears)",
                                       R"("Hyper" of "definitions": not a key Plinkum hears)",
                                       R"("Mouse6" of "definitions": a mouse button Plinkum does not play)"}));

        // "multi": each definition's own file, whole.
        QVERIFY(writeTone(folder + "/a.wav", 960) && writeText(folder + "/config.json", R"({"name": "M", "config_version": 2,
            "definition_method": "multi", "definitions": {"KeyA": {"audio_file": "a.wav"}, "Space": {"audio_file": "sound.wav"}}})"));
        const LoadedPackPtr multi = loadFolder(folder);
        QVERIFY(multi);
        QCOMPARE(lengths(multi->keyDown().at(key("KeyA"))), Lengths{960});
        QCOMPARE(lengths(multi->keyDown().at(key("Space"))), Lengths{48000});
    }

    // MechvibesDX's own packs, imported from a folder and from a zip, loaded and played.
    void samples_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<int>("keys");    // with a press and a release each
        QTest::addColumn<int>("buttons"); // left and right, a press and a release each
        QTest::newRow("keyboard, slices of one Vorbis recording") << "keyboard/eg-oreo" << 99 << 0;
        for (const char *mouse : {"chat", "ping", "vibrate", "wooden"})
            QTest::newRow(mouse) << QStringLiteral("mouse/") + mouse << 0 << 2;
    }
    void samples()
    {
        QFETCH(QString, sample);
        QFETCH(int, keys);
        QFETCH(int, buttons);
        const QString name = QFileInfo(sample).fileName();
        const QString source = m_tmp.filePath("sources/" + sample);
        QVERIFY(copySample(sample, source));
        QVERIFY(zipFolder(source, source + ".zip"));

        for (const QString &from : {source, source + ".zip"}) {
            const QString home = m_tmp.filePath(QFileInfo(from).fileName() + "-home");
            const Run imported = plinkumPack({"import", from}, home);
            QVERIFY2(imported.exitCode == 0, imported.out.constData());
            QCOMPARE(imported.json["format"].toString(), QString("MechvibesDX v2"));
            QCOMPARE(imported.json["credit"].toString(), QString("Mechvibes"));
            const QString folder = home + "/Plinkum/Packs/" + name;
            QCOMPARE(plinkumPack({"check", folder}, home).json["format"].toString(), QString("MechvibesDX v2"));

            const std::optional<PackInfo> info = PackLoader::readInfo(folder, false);
            QVERIFY(info);
            QCOMPARE(info->keyboard, keys > 0);
            QCOMPARE(info->mouse, buttons > 0);
            QCOMPARE(info->ownGain, 1.0);
            const LoadedPackPtr pack = loadFolder(folder);
            QVERIFY(pack);
            QCOMPARE(int(pack->keyDown().size()), keys);
            QCOMPARE(int(pack->keyUp().size()), keys);
            for (const PointerButton button : {PointerButton::Left, PointerButton::Right}) {
                QCOMPARE(pack->buttonDown()[std::size_t(button)].size(), std::size_t(buttons > 0));
                QCOMPARE(pack->buttonUp()[std::size_t(button)].size(), std::size_t(buttons > 0));
            }
            if (keys > 0) {
                const QStringList render{"render", folder, "--keys", "a:down@0 a:up@200 space:down@400", "--out", home + "/r.wav"};
                QVERIFY(plinkumPack(render, home).json["peak"].toDouble() > 0.05);
            }
        }
    }

    // eg-oreo as MechvibesDX converted it from Mechvibes' pack: each key's press and release are
    // the two halves of the window Mechvibes' own reading plays (a duration reading would run on
    // for seconds).
    void sameSoundsAsMechvibesReading()
    {
        const QString source = m_tmp.filePath("oreo-dx");
        QVERIFY(copySample("keyboard/eg-oreo", source));
        const LoadedPackPtr dx = loadFolder(source);
        const LoadedPackPtr v1 = loadFolder(QStringLiteral(PLINKUM_DATA_DIR "/mechvibes/eg-oreo"));
        QVERIFY(dx && v1);
        QCOMPARE(dx->keyDown().size(), std::size_t(99));
        // MechvibesDX's converter read Mechvibes' Windows numbers for Print Screen, Pause, keypad
        // Enter and the navigation keys: its pack gives them other keys' windows, in its own player too.
        const std::set<KeyCode> moved{76, 105, 113, 114, 115, 116, 117, 119, 121};
        for (const auto &[keyCode, presses] : dx->keyDown()) {
            const std::vector<float> &press = presses.front()->unshifted().frames();
            const std::vector<float> &release = dx->keyUp().at(keyCode).front()->unshifted().frames();
            QVERIFY(press.size() > 480 && release.size() > 480);
            const auto halves = [&](const auto &entry) {
                const std::vector<float> &whole = entry.second.front()->unshifted().frames();
                // Times in milliseconds fall on a frame or just before it: the ends may differ by one
                // either way, `extra` frames of the release or of the whole.
                const auto endsIt = [&](std::size_t releaseExtra, std::size_t wholeExtra) {
                    const std::size_t length = release.size() - releaseExtra;
                    const std::size_t end = whole.size() - wholeExtra;
                    return end >= length && std::equal(release.begin(), release.begin() + length, whole.begin() + (end - length));
                };
                return press.size() + release.size() <= whole.size() + 1 && std::equal(press.begin(), press.end(), whole.begin())
                    && (endsIt(0, 0) || endsIt(0, 1) || endsIt(1, 0));
            };
            const auto own = v1->keyDown().find(keyCode);
            if (moved.count(keyCode))
                QVERIFY(!halves(*own) && std::any_of(v1->keyDown().begin(), v1->keyDown().end(), halves));
            else
                QVERIFY2(own != v1->keyDown().end() && halves(*own), qPrintable(QString::number(keyCode)));
        }
    }

    // A pack of a later MechvibesDX is refused by name, wherever it is read.
    void newerVersionRefused_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::newRow("string") << QByteArray(R"("3")");
        QTest::newRow("number") << QByteArray("2.5");
    }
    void newerVersionRefused()
    {
        QFETCH(QByteArray, version);
        const QString folder = m_tmp.filePath("newer");
        QVERIFY(writeFolder(folder, {{"config.json", R"({"name": "N", "author": "a", "config_version": )" + version
                                                         + R"(, "audio_file": "click.wav", "definitions": {"KeyA": {"timing": [[0, 5]]}}})"},
                                     {"click.wav", wav}}));
        const QString message = "made for a newer version of MechvibesDX";
        const LoadResult loaded = PackLoader::load(PackInfo{"folder:newer", "N", std::nullopt, 0, QUrl::fromLocalFile(folder), false});
        QVERIFY(!loaded.ok() && loaded.failure().message.contains(message));
        const QString home = m_tmp.filePath("newer-home");
        const Run checked = plinkumPack({"check", folder}, home);
        QVERIFY2(checked.exitCode == 1 && checked.out.contains(message.toUtf8()), checked.out.constData());
        const Run imported = plinkumPack({"import", folder}, home);
        QVERIFY2(imported.exitCode == 1 && imported.json["message"].toString().contains(message), imported.out.constData());
    }
};

QTEST_GUILESS_MAIN(TestMechvibesDx)
#include "tst_mechvibesdx.moc"
