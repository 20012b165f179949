#pragma once

#include <optional>
#include <string>
#include <vector>

namespace plinkum {

// Which sound-server sink the key sounds go to. Pure decisions over what the server reported,
// so they are testable without a server.
class OutputRouting {
public:
    enum class PortType { Other, Speaker, Headphones, Hdmi, Spdif };

    struct Port {
        std::string name;
        PortType type = PortType::Other;
        bool unavailable = false;
    };

    struct Sink {
        std::string name;
        std::string formFactor;  // device.form_factor
        std::string bus;         // device.bus
        std::string busPath;     // device.bus_path
        std::string profileName; // device.profile.name
        std::vector<Port> ports;
        std::string activePort;
    };

    // The built-in speakers: among sinks that are internal (by form factor, or when that is
    // unset, by sitting on the main PCI bus or a platform device) and not on USB or Bluetooth,
    // and whose active port or profile is not HDMI or S/PDIF, the first with a usable speaker
    // port, else the first. HDMI of an integrated GPU is internal too, hence the port check.
    static std::optional<std::string> builtInSink(const std::vector<Sink> &sinks);

    // The sink to play on: the built-in one when preferred and present, else the default sink;
    // none when there is no default either (the stream is then left where it is).
    static std::optional<std::string> target(const std::vector<Sink> &sinks, const std::string &defaultSink,
                                             bool preferBuiltIn);
};

} // namespace plinkum
