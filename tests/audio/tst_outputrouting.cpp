#include "OutputRouting.h"

#include <QtTest>

using namespace plinkum;
using Sink = OutputRouting::Sink;
using Port = OutputRouting::Port;
using PortType = OutputRouting::PortType;

// Which sink counts as built-in; which one a stream ends up on is shown against a real daemon
// in tst_pulseoutput.

Q_DECLARE_METATYPE(std::vector<OutputRouting::Sink>)

namespace {
Sink sink(std::string name, std::string formFactor, std::string bus, std::string busPath = {})
{
    Sink s;
    s.name = std::move(name);
    s.formFactor = std::move(formFactor);
    s.bus = std::move(bus);
    s.busPath = std::move(busPath);
    return s;
}
Sink withPorts(Sink s, std::vector<Port> ports, std::string active)
{
    s.ports = std::move(ports);
    s.activePort = std::move(active);
    return s;
}
} // namespace

class TestOutputRouting : public QObject {
    Q_OBJECT

private slots:
    void builtIn_data()
    {
        QTest::addColumn<std::vector<Sink>>("sinks");
        QTest::addColumn<QString>("expected"); // empty: none

        const Sink headset = sink("usb-headset", "headset", "usb");
        const Sink internal = sink("laptop", "internal", "pci");
        const Sink hdmi = withPorts(sink("hdmi", "internal", "pci"), {{"hdmi-output-0", PortType::Hdmi, false}},
                                    "hdmi-output-0");
        const Sink speakers = withPorts(sink("analog", "internal", "pci"),
                                        {{"analog-output-speaker", PortType::Speaker, false},
                                         {"analog-output-headphones", PortType::Headphones, true}},
                                        "analog-output-speaker");
        Sink spdifProfile = sink("spdif", "internal", "pci");
        spdifProfile.profileName = "iec958-stereo";

        QTest::newRow("internal form factor after an external") << std::vector{headset, internal} << "laptop";
        QTest::newRow("hdmi of the integrated gpu is not speakers") << std::vector{hdmi, headset} << "";
        QTest::newRow("s/pdif profile is not speakers") << std::vector{spdifProfile} << "";
        QTest::newRow("speaker port preferred over first") << std::vector{internal, speakers} << "analog";
        QTest::newRow("usb with internal form factor") << std::vector{sink("dock", "internal", "usb")} << "";
        QTest::newRow("no form factor, main pci bus") << std::vector{sink("pci", "", "pci", "pci-0000:00:1f.3")} << "pci";
        QTest::newRow("no form factor, platform device") << std::vector{sink("soc", "", "pci", "platform-sound")} << "soc";
        QTest::newRow("no form factor, add-in pci card") << std::vector{sink("card", "", "pci", "pci-0000:03:00.1")} << "";
        QTest::newRow("unplugged speaker port is no speaker")
            << std::vector{withPorts(sink("a", "internal", "pci"), {{"analog-output-speaker", PortType::Speaker, true}}, ""),
                           speakers}
            << "analog";
    }
    void builtIn()
    {
        QFETCH(std::vector<Sink>, sinks);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(OutputRouting::builtInSink(sinks).value_or("")), expected);
    }
};

QTEST_GUILESS_MAIN(TestOutputRouting)
#include "tst_outputrouting.moc"
