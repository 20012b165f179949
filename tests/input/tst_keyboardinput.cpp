#include "input/EvdevKeySource.h"
#include "keys/KeyCategory.h"
#include "keys/KeyTables.h"
#include "input/KeyboardAccess.h"
#include "input/KeyboardMonitor.h"
#include "keys/LinuxKeyCodes.h"
#include "input/MuteShortcut.h"

#include "tests/support/InputTestSupport.h"

#include <poll.h>

#include <algorithm>
#include <bit>
#include <set>
#include <thread>

using namespace plinkum;

namespace {

// Records as words: "30=1" EV_KEY code 30 value 1, "syn", "drop" SYN_DROPPED, "msc" other.
std::vector<input_event> records(const QString &text)
{
    std::vector<input_event> out;
    for (const QString &w : text.split(' ')) {
        if (w == "syn" || w == "drop" || w == "msc")
            out.push_back({{}, __u16(w == "msc" ? EV_MSC : EV_SYN), __u16(w == "drop" ? SYN_DROPPED : 0), 0});
        else
            out.push_back({{}, EV_KEY, __u16(w.section('=', 0, 0).toUInt()), w.section('=', 1).toInt()});
    }
    return out;
}

// Runs a source on its own thread until the scope ends (stop, then join).
struct Running {
    Running(InputSource &s, InputSink &sink)
        : source(s)
        , thread([&s, &sink] { s.run(sink); })
    {
    }
    ~Running() { source.stop(); }
    InputSource &source;
    std::jthread thread;
};

} // namespace

// Key input without a display: event rules, monitor thread, evdev reader and source, key tables.
class TestKeyboardInput : public QObject {
    Q_OBJECT

private slots:
    // Input: "D<code>" down, "R<code>" repeat, "U<code>" up, "M<code>" modifier, "BD<n>"/"BU<n>" button.
    void rules_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("delivered");
        QTest::newRow("held key: repeats dropped") << "D0 R0 R0 U0" << "d0 u0";
        QTest::newRow("down while pressed delivers nothing") << "D0 D0 U0 D0" << "d0 u0 d0";
        QTest::newRow("repeat without a down delivers nothing") << "R0 D11" << "d11";
        QTest::newRow("unmatched up still delivered") << "U0 D65535 U65535 U65535" << "u0 d65535 u65535 u65535";
        QTest::newRow("left and right shift independent") << "M56 M60 M56 M60 M60" << "d56 d60 u56 u60 d60";
        QTest::newRow("modifier range: 54 to 63") << "M53 M54 M63 M64 M0 M54" << "d54 d63 u54";
        QTest::newRow("caps lock only ever down") << "M56 M57 M56 M57" << "d56 d57 u56 d57";
        // Two pointers holding one button are one press; buttons and keys of one code are apart.
        QTest::newRow("held button: one press, one release")
            << "BD0 D0 BD0 BU0 BD1 U0 BU1 BU4" << "bd0 d0 bu0 bd1 u0 bu1 bu4";
    }
    void rules()
    {
        QFETCH(QString, input);
        test::Recorder events;
        InputEventFilter filter(events.handler());
        for (const QString &step : input.split(' ')) {
            const auto code = static_cast<KeyCode>(step.mid(step.startsWith('B') ? 2 : 1).toUInt());
            switch (step.at(0).toLatin1()) {
            case 'D': filter.handleKeyDown(code, false); break;
            case 'R': filter.handleKeyDown(code, true); break;
            case 'U': filter.handleKeyUp(code); break;
            case 'M': filter.handleModifierChanged(code); break;
            case 'B': filter.handleButton(PointerButton(code), step.at(1) == 'D'); break;
            }
        }
        QTEST(events.text(), "delivered");
    }

    // Mute shortcut. Input "d<code>@<ms>"/"u<code>@<ms>", "bd<n>@<ms>"/"bu<n>@<ms>"; 56/60 Shifts, 107 Scroll Lock.
    void muteShortcut_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("heard");
        QTest::addColumn<int>("toggles");
        const QString shifts = "bothShifts", scroll = "scrollLockTwice";
        QTest::newRow("left then right shift") << shifts << "d56@0 d60@40 u60@90 u56@100" << "d56 u56" << 1;
        QTest::newRow("twice toggles twice") << shifts << "d56@0 d60@10 u60@20 u56@30 d60@40 d56@50 u56@60 u60@70" << "d56 u56 d60 u60" << 2;
        QTest::newRow("a key typed between") << shifts << "d56@0 d0@10 u0@20 d60@30 u60@40 u56@50" << "d56 d0 u0 d60 u60 u56" << 0;
        QTest::newRow("shift-click, then the other shift") << shifts << "d56@0 bd0@10 bu0@20 d60@30 u60@40 u56@50" << "d56 bd0 bu0 d60 u60 u56" << 0;
        QTest::newRow("no second gesture while a shift is held") << shifts << "d56@0 d60@10 u60@20 d60@30 u60@40 u56@50" << "d56 d60 u60 u56" << 1;
        QTest::newRow("scroll lock while shifts chosen") << shifts << "d107@0 u107@10 d107@100 u107@110" << "d107 u107 d107 u107" << 0;
        QTest::newRow("scroll lock twice") << scroll << "d107@0 u107@60 d107@300 u107@360" << "d107 u107" << 1;
        QTest::newRow("scroll lock thrice") << scroll << "d107@0 u107@10 d107@100 u107@110 d107@200 u107@210" << "d107 u107 d107 u107" << 1;
        QTest::newRow("scroll lock too slow") << scroll << "d107@0 u107@60 d107@560 u107@600" << "d107 u107 d107 u107" << 0;
        QTest::newRow("a click between presses") << scroll << "d107@0 bd1@10 bu1@20 d107@30" << "d107 bd1 bu1 d107" << 0;
    }
    void muteShortcut()
    {
        QFETCH(QString, mode);
        QFETCH(QString, input);
        MuteShortcut shortcut;
        QVERIFY(shortcut.toggleNotifier() >= 0);
        shortcut.setMode(mode == "bothShifts" ? MuteShortcut::Mode::BothShifts : MuteShortcut::Mode::ScrollLockTwice);
        const MuteShortcut::Clock::time_point start{};
        QStringList heard;
        for (const QString &step : input.split(' ')) {
            const bool button = step.startsWith('b');
            const auto code = KeyCode(step.mid(button ? 2 : 1).section('@', 0, 0).toUInt());
            const bool down = step.at(button ? 1 : 0) == 'd';
            const InputEvent event = button ? InputEvent::button(PointerButton(code), down) : InputEvent::key(code, down);
            if (shortcut.handle(event, start + std::chrono::milliseconds(step.section('@', 1).toInt())))
                heard << step.section('@', 0, 0);
        }
        QTEST(heard.join(' '), "heard");
        QTEST(int(shortcut.takeToggles()), "toggles");
        QCOMPARE(shortcut.takeToggles(), std::uint64_t(0));
    }

    // One source and thread however often started; restarted, a key held at the close is heard again.
    void startStopAndStartAgain()
    {
        test::Pipe first, second;
        test::Pipe *pipes[] = {&first, &second};
        test::Recorder delivered;
        int opened = 0;
        KeyboardMonitor monitor(delivered.handler(), [&] {
            std::vector<UniqueFd> streams;
            streams.push_back(std::move(pipes[opened++]->read));
            return EvdevKeySource::fromDescriptors(std::move(streams));
        });
        int ended = 0;
        monitor.setEndedHandler([&ended] { ++ended; });
        QVERIFY(monitor.start() && monitor.start());
        QCOMPARE(opened, 1);
        QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 1);
        for (const auto &[code, value] : {std::pair{KEY_A, 1}, {KEY_A, 2}, {KEY_A, 0}, {KEY_CAPSLOCK, 1}, {KEY_CAPSLOCK, 0}, {KEY_A, 1}})
            first.key(code, value);
        QTRY_COMPARE(delivered.text(), "d0 u0 d57 d0");

        monitor.stop();
        QVERIFY(!monitor.isListening());
        QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 0);
        pollfd writer{first.write.get(), POLLOUT, 0};
        QCOMPARE(::poll(&writer, 1, 0), 1);
        QVERIFY(writer.revents & POLLERR); // the device's reading end is closed
        monitor.stop();

        QVERIFY(monitor.start());
        QCOMPARE(opened, 2);
        QCOMPARE(monitor.sourceName(), "evdev");
        second.key(KEY_A, 1);
        QTRY_COMPARE(delivered.text(), "d0 u0 d57 d0 d0");
        QCOMPARE(ended, 0); // stopping is not ending
        QVERIFY(!delivered.offThread);
    }

    // Buttons travel as keys do; a source that ends by itself may be started again.
    void sourceThatEndsIsReported()
    {
        int opened = 0;
        std::atomic<int> ended = 0;
        test::Recorder delivered;
        KeyboardMonitor monitor(delivered.handler(), [&] {
            ++opened;
            return std::make_unique<test::EndingSource>([](InputSink &sink) {
                sink.handleButton(PointerButton::Forward, true);
                sink.handleButton(PointerButton::Forward, true); // a second mouse
                sink.handleButton(PointerButton::Forward, false);
            });
        });
        monitor.setEndedHandler([&ended] { ++ended; });
        QVERIFY(monitor.start());
        QTRY_COMPARE(ended.load(), 1);
        QCOMPARE(delivered.text(), "bd4 bu4");
        QVERIFY(!monitor.isListening());
        QCOMPARE(monitor.sourceName(), "");
        QVERIFY(monitor.start());
        QCOMPARE(opened, 2);
        QTRY_COMPARE(ended.load(), 2);
    }

    void withoutAccess()
    {
        QTemporaryDir empty;
        const KeyboardAccess::Environment env{empty.path().toStdString(), "", false};
        KeyboardMonitor monitor([](InputEvent) {}, [&] { return KeyboardAccess::openSource(env); });
        QVERIFY(!monitor.start() && !monitor.isListening());
        QCOMPARE(test::threadsNamed(KeyboardMonitor::threadName), 0);
    }

    // Every row spans exactly -1 to +1, no key is in two places, and Space is centred.
    void positions()
    {
        std::set<KeyCode> keys;
        std::size_t total = 0;
        for (const auto &row : KeyTables::keyboardRows()) {
            keys.insert(row.begin(), row.end());
            total += row.size();
            QCOMPARE(KeyTables::keyPosition(row.front()), std::optional(-1.0f));
            QCOMPARE(KeyTables::keyPosition(row.back()), std::optional(1.0f));
        }
        QCOMPARE(keys.size(), total);
        QCOMPARE(std::bit_cast<std::uint32_t>(*KeyTables::keyPosition(49)), 0u); // Space: +0
    }

    // The Mechvibes table is checked against evdev, key by key, with the pack readers' tests.
    void linuxCodesAtTheEdges()
    {
        // Function is beyond X11's highest keycode; codes outside the tables are dropped.
        QCOMPARE(LinuxKeyCodes::fromEvdev(464), std::optional<KeyCode>(0x3F));
        QVERIFY(!LinuxKeyCodes::fromX11(464 + 8));
        for (unsigned x11 : {0u, 7u, 0xFFFFFFFFu})
            QVERIFY(!LinuxKeyCodes::fromX11(x11));
        QVERIFY(!LinuxKeyCodes::fromEvdev(0x10000));
    }

    // Keys beyond the main block, through evdev and X11: standard keys, centred, no modifiers.
    void fullSizeKeys_data()
    {
        QTest::addColumn<unsigned>("evdev");
        QTest::addColumn<int>("mac");
        const std::pair<const char *, std::pair<unsigned, int>> rows[] = {
            {"keypad 0", {KEY_KP0, 0x52}}, {"keypad 1", {KEY_KP1, 0x53}}, {"keypad 2", {KEY_KP2, 0x54}}, {"keypad 3", {KEY_KP3, 0x55}},
            {"keypad 4", {KEY_KP4, 0x56}}, {"keypad 5", {KEY_KP5, 0x57}}, {"keypad 6", {KEY_KP6, 0x58}}, {"keypad 7", {KEY_KP7, 0x59}},
            {"keypad 8", {KEY_KP8, 0x5B}}, {"keypad 9", {KEY_KP9, 0x5C}}, {"keypad .", {KEY_KPDOT, 0x41}}, {"keypad *", {KEY_KPASTERISK, 0x43}},
            {"keypad +", {KEY_KPPLUS, 0x45}}, {"Num Lock", {KEY_NUMLOCK, 0x47}}, {"keypad /", {KEY_KPSLASH, 0x4B}}, {"keypad -", {KEY_KPMINUS, 0x4E}},
            {"keypad =", {KEY_KPEQUAL, 0x51}}, {"keypad ,", {KEY_KPCOMMA, 0x5F}}, {"JIS keypad ,", {KEY_KPJPCOMMA, 0x5F}}, {"F13", {KEY_F13, 0x69}},
            {"F14", {KEY_F14, 0x6B}}, {"F15", {KEY_F15, 0x71}}, {"F16", {KEY_F16, 0x6A}}, {"F17", {KEY_F17, 0x40}},
            {"F18", {KEY_F18, 0x4F}}, {"F19", {KEY_F19, 0x50}}, {"F20", {KEY_F20, 0x5A}}, {"Print Screen", {KEY_SYSRQ, 0x69}},
            {"Scroll Lock", {KEY_SCROLLLOCK, 0x6B}}, {"Pause", {KEY_PAUSE, 0x71}}, {"Yen", {KEY_YEN, 0x5D}}, {"Ro", {KEY_RO, 0x5E}},
            {"Hanja", {KEY_HANJA, 0x66}}, {"Muhenkan", {KEY_MUHENKAN, 0x66}}, {"Hangul", {KEY_HANGEUL, 0x68}}, {"Henkan", {KEY_HENKAN, 0x68}},
            {"Katakana/Hiragana", {KEY_KATAKANAHIRAGANA, 0x68}}, {"Zenkaku/Hankaku", {KEY_ZENKAKUHANKAKU, 0x32}}};
        for (const auto &[name, codes] : rows)
            QTest::newRow(name) << codes.first << codes.second;
    }
    void fullSizeKeys()
    {
        QFETCH(unsigned, evdev);
        QFETCH(int, mac);
        const auto code = static_cast<KeyCode>(mac);
        QCOMPARE(LinuxKeyCodes::fromEvdev(evdev), std::optional(code));
        QCOMPARE(LinuxKeyCodes::fromX11(evdev + 8), std::optional(code));
        if (mac == 0x32)
            return; // Grave's own place and category
        QCOMPARE(keyCategory(code), KeyCategory::Standard);
        QVERIFY(!KeyTables::keyPosition(code));
    }

    void reader_data()
    {
        // The device's key state at open, then after a drop ("at open/after"; none after: cannot tell).
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("reported");
        QTest::newRow("press, repeat, release") << "" << "30=1 syn 30=2 syn 30=0 syn" << "d0 r0 u0";
        QTest::newRow("modifiers: one change per press and release, repeats none")
            << "" << "42=1 54=1 42=2 42=0 54=0" << "m56 m60 m56 m60";
        QTest::newRow("caps lock reports its press only") << "" << "58=1 58=2 58=0 58=1 58=0" << "m57 m57";
        QTest::newRow("unknown codes, other events and values dropped")
            << "" << "113=1 113=0 767=1 msc syn 30=3 30=-1" << "";
        // BTN_LEFT 272, RIGHT, MIDDLE, SIDE, EXTRA 276; a touchpad's BTN_TOUCH 330 and BTN_TOOL_FINGER 325 are no clicks.
        QTest::newRow("buttons: the five that click, touches not")
            << "" << "272=1 syn 272=0 273=1 273=0 274=1 275=1 276=1 330=1 325=1 330=0 276=0" << "bd0 bu0 bd1 bu1 bd2 bd3 bd4 bu4";
        QTest::newRow("button held at open, released while dropping") << "272 330/" << "drop 272=0 syn" << "bu0";
        QTest::newRow("modifier held at open, released") << "42" << "42=0 42=1" << "m56 m56";
        QTest::newRow("SYN_DROPPED: skip to the report, then the difference, releases first")
            << "/42 48" << "30=1 syn 42=1 syn drop 30=0 48=1 syn 31=1 syn" << "d0 m56 u0 d11 d1";
        QTest::newRow("SYN_DROPPED: modifier and caps lock released meanwhile")
            << "/" << "42=1 58=1 syn drop 42=0 syn" << "m56 m57 m56";
        QTest::newRow("SYN_DROPPED: state unknown, keep going") << "" << "30=1 syn drop 30=0 syn 48=1" << "d0 d11";
    }
    void reader()
    {
        QFETCH(QString, device);
        QFETCH(QString, input);
        test::Pipe pipe;
        auto calls = std::make_shared<qsizetype>(0);
        EvdevReader reader(std::move(pipe.read), [=](int, EvdevReader::KeyState &state) {
            const QStringList states = device.split('/');
            const qsizetype call = std::min<qsizetype>((*calls)++, 1);
            if (call >= states.size())
                return false;
            state.reset();
            for (const QString &code : states[call].split(' ', Qt::SkipEmptyParts))
                state.set(code.toUInt());
            return true;
        });
        test::Recorder sink;
        pipe.send(::records(input));
        QCOMPARE(reader.readAvailable(sink), EvdevReader::Status::Open);
        QCOMPARE(reader.readAvailable(sink), EvdevReader::Status::Open); // nothing more: EAGAIN
        QTEST(sink.text(), "reported");
    }

    void readsEveryDeviceAndDropsTheOnesThatGoAway()
    {
        test::Pipe first, second;
        std::vector<UniqueFd> fds;
        fds.push_back(std::move(first.read));
        fds.push_back(std::move(second.read));
        auto source = EvdevKeySource::fromDescriptors(std::move(fds));
        test::Recorder sink;
        Running running(*source, sink);

        first.key(KEY_A, 1);
        QTRY_COMPARE(sink.text(), "d0");
        second.key(KEY_LEFTSHIFT, 1);
        second.key(KEY_B, 1);
        second.key(KEY_CAPSLOCK, 1);
        QTRY_COMPARE(sink.text(), "d0 m56 d11 m57");

        second.key(BTN_RIGHT, 1);
        QTRY_COMPARE(sink.text(), "d0 m56 d11 m57 bd1");

        // Unplugged with Shift, B, Caps Lock and a button held: they come back up in code order, Caps Lock unchanged.
        second.write.reset();
        QTRY_COMPARE(source->deviceCount(), 1u);
        QCOMPARE(sink.text(), "d0 m56 d11 m57 bd1 m56 u11 bu1");

        first.key(KEY_A, 0);
        QTRY_COMPARE(sink.text(), "d0 m56 d11 m57 bd1 m56 u11 bu1 u0");
    }

    // The monitor may be destroyed before its thread reaches run().
    void stopBeforeRun()
    {
        auto source = EvdevKeySource::fromDescriptors({});
        test::Recorder sink;
        source->stop();
        source->run(sink); // returns at once
    }
};

QTEST_GUILESS_MAIN(TestKeyboardInput)
#include "tst_keyboardinput.moc"
