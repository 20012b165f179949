#include "EvdevReader.h"

#include "InputTestSupport.h"

#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace plinkum;

namespace {

// Records written as words: "30=1" EV_KEY code 30 value 1, "syn" SYN_REPORT, "drop"
// SYN_DROPPED, "msc" a scan code, "led" an LED change.
std::vector<input_event> records(const QString &text)
{
    std::vector<input_event> out;
    for (const QString &w : text.split(' ', Qt::SkipEmptyParts)) {
        input_event e{};
        if (w == "syn") {
            e.type = EV_SYN;
            e.code = SYN_REPORT;
        } else if (w == "drop") {
            e.type = EV_SYN;
            e.code = SYN_DROPPED;
        } else if (w == "msc") {
            e.type = EV_MSC;
            e.code = MSC_SCAN;
            e.value = 0x70004;
        } else if (w == "led") {
            e.type = EV_LED;
            e.code = LED_CAPSL;
            e.value = 1;
        } else {
            const QStringList kv = w.split('=');
            e.type = EV_KEY;
            e.code = static_cast<__u16>(kv[0].toUInt());
            e.value = kv[1].toInt();
        }
        out.push_back(e);
    }
    return out;
}

EvdevReader::KeyState keys(const QString &codes)
{
    EvdevReader::KeyState state;
    for (const QString &c : codes.split(' ', Qt::SkipEmptyParts))
        state.set(c.toUInt());
    return state;
}

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
    void send(const void *data, std::size_t size) const
    {
        QCOMPARE(::write(write.get(), data, size), ssize_t(size));
    }
    void send(const std::vector<input_event> &events) const
    {
        send(events.data(), events.size() * sizeof(input_event));
    }
};

// A device state query answering from a script: first the state at open, then after drops.
EvdevReader::KeyStateQuery scripted(EvdevReader::KeyState atOpen, std::optional<EvdevReader::KeyState> afterDrop)
{
    auto calls = std::make_shared<int>(0);
    return [=](int, EvdevReader::KeyState &state) {
        if ((*calls)++ == 0) {
            state = atOpen;
            return true;
        }
        if (afterDrop)
            state = *afterDrop;
        return afterDrop.has_value();
    };
}

} // namespace

class TestEvdevReader : public QObject {
    Q_OBJECT

private slots:
    void events_data()
    {
        QTest::addColumn<QString>("heldAtOpen");
        QTest::addColumn<QString>("stateAfterDrop"); // "unknown": the device cannot tell
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("reported");

        QTest::newRow("press, repeat, release") << "" << "" << "30=1 syn 30=2 syn 30=2 syn 30=0 syn" << "d0 r0 r0 u0";
        QTest::newRow("two keys overlapping") << "" << "" << "30=1 48=1 30=0 48=0" << "d0 d11 u0 u11";
        QTest::newRow("shift: repeats are no change") << "" << "" << "42=1 42=2 42=2 42=0" << "f56 f56";
        QTest::newRow("left and right shift") << "" << "" << "42=1 54=1 42=0 54=0" << "f56 f60 f56 f60";
        QTest::newRow("caps lock reports its press only") << "" << "" << "58=1 58=2 58=0 58=1 58=0" << "f57 f57";
        QTest::newRow("every modifier is a flags change")
            << "" << ""
            << "29=1 29=0 97=1 97=0 56=1 56=0 100=1 100=0 125=1 125=0 126=1 126=0 464=1 464=0"
            << "f59 f59 f62 f62 f58 f58 f61 f61 f55 f55 f54 f54 f63 f63";
        QTest::newRow("unknown codes and other events dropped")
            << "" << "" << "113=1 113=0 272=1 272=0 55=1 msc led syn 767=1" << "";
        QTest::newRow("values other than 0, 1, 2 ignored") << "" << "" << "30=3 30=-1 30=1" << "d0";
        QTest::newRow("modifier held at open, released") << "42" << "" << "42=0 42=1" << "f56 f56";
        QTest::newRow("SYN_DROPPED: skip to the report, then the difference")
            << "" << "42 48" << "30=1 syn 42=1 syn drop 30=0 48=1 syn 31=1 syn" << "d0 f56 u0 d11 d1";
        QTest::newRow("SYN_DROPPED: modifier released meanwhile")
            << "" << "" << "42=1 58=1 syn drop 42=0 syn" << "f56 f57 f56";
        QTest::newRow("SYN_DROPPED: nothing changed") << "" << "30" << "30=1 syn drop 30=2 syn 30=0" << "d0 u0";
        QTest::newRow("SYN_DROPPED: state unknown, keep going")
            << "" << "unknown" << "30=1 syn drop 30=0 syn 48=1" << "d0 d11";
    }
    void events()
    {
        QFETCH(QString, heldAtOpen);
        QFETCH(QString, stateAfterDrop);
        QFETCH(QString, input);
        QFETCH(QString, reported);

        Pipe pipe;
        std::optional<EvdevReader::KeyState> after;
        if (stateAfterDrop != "unknown")
            after = keys(stateAfterDrop);
        EvdevReader reader(std::move(pipe.read), scripted(keys(heldAtOpen), after));
        test::RecordingSink sink;
        pipe.send(records(input));
        QCOMPARE(reader.readAvailable(sink), EvdevReader::Status::Open);
        QCOMPARE(sink.text(), reported);
        QCOMPARE(reader.readAvailable(sink), EvdevReader::Status::Open); // nothing more: EAGAIN
        QCOMPARE(sink.text(), reported);
    }

    void deviceGoneReleasesHeldKeys()
    {
        Pipe pipe;
        EvdevReader reader(std::move(pipe.read));
        test::RecordingSink sink;
        pipe.send(records("42=1 30=1 54=1 54=0 58=1 syn"));
        QCOMPARE(reader.readAvailable(sink), EvdevReader::Status::Open);
        QCOMPARE(sink.text(), "f56 d0 f60 f60 f57");
        sink.clear();
        pipe.write.reset();
        QCOMPARE(reader.readAvailable(sink), EvdevReader::Status::Closed);
        QCOMPARE(sink.text(), "u0 f56"); // in code order; Caps Lock's release is no change
        QVERIFY(reader.keyState().none());
    }

    void recordSplitAcrossReads()
    {
        Pipe pipe;
        EvdevReader reader(std::move(pipe.read));
        test::RecordingSink sink;
        const auto events = records("30=1 30=0");
        const auto *bytes = reinterpret_cast<const char *>(events.data());
        const std::size_t cut = sizeof(input_event) + 5;
        pipe.send(bytes, cut);
        QCOMPARE(reader.readAvailable(sink), EvdevReader::Status::Open);
        QCOMPARE(sink.text(), "d0");
        pipe.send(bytes + cut, 2 * sizeof(input_event) - cut);
        QCOMPARE(reader.readAvailable(sink), EvdevReader::Status::Open);
        QCOMPARE(sink.text(), "d0 u0");
    }

    void moreThanOneBatch()
    {
        Pipe pipe;
        EvdevReader reader(std::move(pipe.read));
        test::RecordingSink sink;
        QString input, expected;
        for (int i = 0; i < 100; ++i) {
            input += " 30=1 syn 30=0 syn";
            expected += " d0 u0";
        }
        pipe.send(records(input));
        while (sink.text() != expected.trimmed())
            QCOMPARE(reader.readAvailable(sink), EvdevReader::Status::Open);
    }

    void queryOnANonDevice()
    {
        Pipe pipe;
        EvdevReader::KeyState state;
        QVERIFY(!EvdevReader::queryDeviceKeyState(pipe.read.get(), state));
    }
};

QTEST_GUILESS_MAIN(TestEvdevReader)
#include "tst_evdevreader.moc"
