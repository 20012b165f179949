#include "EvdevKeySource.h"

#include "InputTestSupport.h"

#include <QtTest>

#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>

#include <fcntl.h>
#include <unistd.h>

#include <thread>

using namespace plinkum;

namespace {

struct Pipe {
    UniqueFd read, write;
    Pipe()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
            read.reset(fds[0]);
            write.reset(fds[1]);
        }
    }
    void key(unsigned code, int value) const
    {
        const input_event events[2] = {{{}, EV_KEY, static_cast<__u16>(code), value}, {{}, EV_SYN, SYN_REPORT, 0}};
        QCOMPARE(::write(write.get(), events, sizeof(events)), ssize_t(sizeof(events)));
    }
};

// Runs a source on its own thread for the length of a test.
class Running {
public:
    Running(KeySource &source, KeySink &sink)
        : m_source(source)
        , m_thread([&] { source.run(sink); })
    {
    }
    ~Running()
    {
        m_source.stop();
        m_thread.join();
    }

private:
    KeySource &m_source;
    std::thread m_thread;
};

// A virtual keyboard made through /dev/uinput.
struct VirtualKeyboard {
    libevdev *dev = nullptr;
    libevdev_uinput *uinput = nullptr;

    explicit VirtualKeyboard(const char *name)
    {
        dev = libevdev_new();
        libevdev_set_name(dev, name);
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
    void readsEveryDeviceAndDropsTheOnesThatGoAway()
    {
        Pipe first, second;
        std::vector<UniqueFd> fds;
        fds.push_back(std::move(first.read));
        fds.push_back(std::move(second.read));
        auto source = EvdevKeySource::fromDescriptors(std::move(fds));
        QCOMPARE(source->deviceCount(), 2u);
        test::RecordingSink sink;
        Running running(*source, sink);

        first.key(KEY_A, 1);
        QTRY_COMPARE(sink.text(), "d0");
        second.key(KEY_LEFTSHIFT, 1);
        QTRY_COMPARE(sink.text(), "d0 f56");
        second.key(KEY_B, 1);
        second.key(KEY_B, 2);
        QTRY_COMPARE(sink.text(), "d0 f56 d11 r11");

        // The second keyboard is unplugged with Shift and B held: both come back up.
        second.write.reset();
        QTRY_COMPARE(source->deviceCount(), 1u);
        QCOMPARE(sink.text(), "d0 f56 d11 r11 f56 u11");

        first.key(KEY_A, 0);
        QTRY_COMPARE(sink.text(), "d0 f56 d11 r11 f56 u11 u0");
    }

    void stopBeforeRun()
    {
        Pipe pipe;
        std::vector<UniqueFd> fds;
        fds.push_back(std::move(pipe.read));
        auto source = EvdevKeySource::fromDescriptors(std::move(fds));
        test::RecordingSink sink;
        source->stop();
        source->run(sink); // returns at once
        QCOMPARE(sink.text(), QString());
    }

    void noKeyboardInAnEmptyDirectory()
    {
        QTemporaryDir dir;
        EvdevKeySource::Scan scan{7, 7};
        QVERIFY(!EvdevKeySource::open(dir.path().toStdString(), &scan));
        QCOMPARE(scan.keyboards, 0);
        QCOMPARE(scan.readable, 0);
    }

    void realDeviceThroughUinput()
    {
        if (::access("/dev/uinput", W_OK) != 0)
            QSKIP("no writable /dev/uinput on this machine: the real-device test does not run");
        VirtualKeyboard keyboard("Plinkum test keyboard");
        if (!keyboard.devnode())
            QSKIP("/dev/uinput made no device node here: the real-device test does not run");

        // The node as a real evdev device: key state query and reading.
        UniqueFd fd;
        QTRY_VERIFY((fd = UniqueFd(::open(keyboard.devnode(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))));
        EvdevReader reader(std::move(fd));
        test::RecordingSink direct;
        keyboard.key(KEY_A, 1);
        keyboard.key(KEY_LEFTSHIFT, 1);
        QTRY_VERIFY((reader.readAvailable(direct), direct.text() == "d0 f56"));
        EvdevReader::KeyState state;
        QVERIFY(EvdevReader::queryDeviceKeyState(reader.fd(), state));
        QVERIFY(state.test(KEY_A) && state.test(KEY_LEFTSHIFT));
        keyboard.key(KEY_A, 0);
        keyboard.key(KEY_LEFTSHIFT, 0);
        QTRY_VERIFY((reader.readAvailable(direct), direct.text() == "d0 f56 u0 f56"));

        // Found by the scan (udev's keyboard tag, or its rule when no udev daemon runs).
        std::unique_ptr<EvdevKeySource> source;
        QTRY_VERIFY((source = EvdevKeySource::open("/dev/input")));
        test::RecordingSink sink;
        Running running(*source, sink);
        QTRY_VERIFY_WITH_TIMEOUT((keyboard.key(KEY_C, 1), keyboard.key(KEY_C, 0), sink.text().contains("d8 u8")), 5000);

        if (::access("/run/udev/control", F_OK) != 0)
            QSKIP("no udev daemon: hot-plug is not tested here");
        const std::size_t before = source->deviceCount();
        {
            VirtualKeyboard plugged("Plinkum test keyboard 2");
            QVERIFY(plugged.devnode());
            QTRY_COMPARE_WITH_TIMEOUT(source->deviceCount(), before + 1, 5000);
            QTRY_VERIFY_WITH_TIMEOUT((plugged.key(KEY_V, 1), plugged.key(KEY_V, 0), sink.text().contains("d9 u9")), 5000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(source->deviceCount(), before, 5000);
    }
};

QTEST_GUILESS_MAIN(TestEvdevKeySource)
#include "tst_evdevkeysource.moc"
