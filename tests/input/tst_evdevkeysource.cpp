#include "EvdevKeySource.h"

#include "InputTestSupport.h"

#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>

#include <thread>

using namespace plinkum;

namespace {

// Records as words: "30=1" EV_KEY code 30 value 1, "syn" SYN_REPORT, "drop" SYN_DROPPED,
// "msc" another type of event.
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
    Running(KeySource &s, KeySink &sink)
        : source(s)
        , thread([&s, &sink] { s.run(sink); })
    {
    }
    ~Running() { source.stop(); }
    KeySource &source;
    std::jthread thread;
};

// A virtual keyboard made through /dev/uinput.
struct VirtualKeyboard {
    libevdev *dev = libevdev_new();
    libevdev_uinput *uinput = nullptr;

    VirtualKeyboard()
    {
        libevdev_set_name(dev, "Plinkum test keyboard");
        libevdev_enable_event_type(dev, EV_KEY);
        for (unsigned code = KEY_ESC; code <= KEY_COMPOSE; ++code)
            libevdev_enable_event_code(dev, EV_KEY, code, nullptr);
        if (libevdev_uinput_create_from_device(dev, LIBEVDEV_UINPUT_OPEN_MANAGED, &uinput) != 0)
            uinput = nullptr;
    }
    ~VirtualKeyboard()
    {
        if (uinput)
            libevdev_uinput_destroy(uinput);
        libevdev_free(dev);
    }
    const char *devnode() const { return uinput ? libevdev_uinput_get_devnode(uinput) : nullptr; }
    void key(unsigned code, int value) const
    {
        libevdev_uinput_write_event(uinput, EV_KEY, code, value);
        libevdev_uinput_write_event(uinput, EV_SYN, SYN_REPORT, 0);
    }
};

} // namespace

class TestEvdevKeySource : public QObject {
    Q_OBJECT

private slots:
    void reader_data()
    {
        // The device's key state, as the reader asks for it: at open, then after a drop ("at open/
        // after"; none after: the device cannot tell).
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("reported");
        QTest::newRow("press, repeat, release") << "" << "30=1 syn 30=2 syn 30=0 syn" << "d0 r0 u0";
        QTest::newRow("modifiers: one change per press and release, repeats none")
            << "" << "42=1 54=1 42=2 42=0 54=0" << "f56 f60 f56 f60";
        QTest::newRow("caps lock reports its press only") << "" << "58=1 58=2 58=0 58=1 58=0" << "f57 f57";
        QTest::newRow("unknown codes, other events and values dropped")
            << "" << "113=1 113=0 272=1 767=1 msc syn 30=3 30=-1" << "";
        QTest::newRow("modifier held at open, released") << "42" << "42=0 42=1" << "f56 f56";
        QTest::newRow("SYN_DROPPED: skip to the report, then the difference, releases first")
            << "/42 48" << "30=1 syn 42=1 syn drop 30=0 48=1 syn 31=1 syn" << "d0 f56 u0 d11 d1";
        QTest::newRow("SYN_DROPPED: modifier and caps lock released meanwhile")
            << "/" << "42=1 58=1 syn drop 42=0 syn" << "f56 f57 f56";
        QTest::newRow("SYN_DROPPED: state unknown, keep going") << "" << "30=1 syn drop 30=0 syn 48=1" << "d0 d11";
    }
    void reader()
    {
        QFETCH(QString, device);
        QFETCH(QString, input);
        QFETCH(QString, reported);
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
        QCOMPARE(sink.text(), reported);
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
        QTRY_COMPARE(sink.text(), "d0 f56 d11 f57");

        // Unplugged with Shift, B and Caps Lock held: the keys come back up, in code order;
        // Caps Lock's release is no change.
        second.write.reset();
        QTRY_COMPARE(source->deviceCount(), 1u);
        QCOMPARE(sink.text(), "d0 f56 d11 f57 f56 u11");

        first.key(KEY_A, 0);
        QTRY_COMPARE(sink.text(), "d0 f56 d11 f57 f56 u11 u0");
    }

    // The monitor may be destroyed before its thread reaches run().
    void stopBeforeRun()
    {
        auto source = EvdevKeySource::fromDescriptors({});
        test::Recorder sink;
        source->stop();
        source->run(sink); // returns at once
    }

    void realDeviceThroughUinput()
    {
        if (::access("/dev/uinput", W_OK) != 0)
            QSKIP("no writable /dev/uinput on this machine: the real-device test does not run");
        VirtualKeyboard keyboard;
        if (!keyboard.devnode())
            QSKIP("/dev/uinput made no device node here: the real-device test does not run");

        // The key state query of a real node: a key held at open is known.
        keyboard.key(KEY_LEFTSHIFT, 1);
        UniqueFd fd;
        QTRY_VERIFY((fd = UniqueFd(::open(keyboard.devnode(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))));
        QVERIFY(EvdevReader(std::move(fd)).keyState().test(KEY_LEFTSHIFT));
        keyboard.key(KEY_LEFTSHIFT, 0);

        // Found by the scan (udev's keyboard tag, or its rule when no udev daemon runs).
        std::unique_ptr<EvdevKeySource> source;
        QTRY_VERIFY((source = EvdevKeySource::open("/dev/input")));
        test::Recorder sink;
        Running running(*source, sink);
        QTRY_VERIFY_WITH_TIMEOUT((keyboard.key(KEY_C, 1), keyboard.key(KEY_C, 0), sink.text().contains("d8 u8")), 5000);

        if (::access("/run/udev/control", F_OK) != 0)
            QSKIP("no udev daemon: hot-plug is not tested here");
        const std::size_t before = source->deviceCount();
        {
            VirtualKeyboard plugged;
            QVERIFY(plugged.devnode());
            QTRY_COMPARE_WITH_TIMEOUT(source->deviceCount(), before + 1, 5000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(source->deviceCount(), before, 5000);
    }
};

QTEST_GUILESS_MAIN(TestEvdevKeySource)
#include "tst_evdevkeysource.moc"
