#include "audio/OutputRouting.h"

#include <algorithm>
#include <string_view>

namespace plinkum {

namespace {

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool isDigitalOut(std::string_view name)
{
    return startsWith(name, "hdmi") || startsWith(name, "iec958");
}

bool isInternal(const OutputRouting::Sink &sink)
{
    if (sink.bus == "usb" || sink.bus == "bluetooth")
        return false;
    if (!sink.formFactor.empty())
        return sink.formFactor == "internal";
    // A platform device (a system-on-chip codec) reports no PCI bus; only its path tells.
    return (sink.bus == "pci" && startsWith(sink.busPath, "pci-0000:00:")) || startsWith(sink.busPath, "platform-");
}

bool playsDigital(const OutputRouting::Sink &sink)
{
    if (isDigitalOut(sink.profileName))
        return true;
    const auto active = std::find_if(sink.ports.begin(), sink.ports.end(),
                                     [&](const auto &port) { return port.name == sink.activePort; });
    if (active != sink.ports.end())
        return active->type == OutputRouting::PortType::Hdmi || active->type == OutputRouting::PortType::Spdif
            || isDigitalOut(active->name);
    return isDigitalOut(sink.activePort);
}

bool hasSpeaker(const OutputRouting::Sink &sink)
{
    return std::any_of(sink.ports.begin(), sink.ports.end(), [](const auto &port) {
        return !port.unavailable && (port.type == OutputRouting::PortType::Speaker || port.name == "analog-output-speaker");
    });
}

} // namespace

std::optional<std::string> OutputRouting::builtInSink(const std::vector<Sink> &sinks)
{
    const Sink *first = nullptr;
    for (const Sink &sink : sinks) {
        if (!isInternal(sink) || playsDigital(sink))
            continue;
        if (hasSpeaker(sink))
            return sink.name;
        if (!first)
            first = &sink;
    }
    if (first)
        return first->name;
    return std::nullopt;
}

std::optional<std::string> OutputRouting::target(const std::vector<Sink> &sinks, const std::string &defaultSink,
                                                 bool preferBuiltIn)
{
    if (preferBuiltIn)
        if (auto builtIn = builtInSink(sinks))
            return builtIn;
    if (defaultSink.empty())
        return std::nullopt;
    return defaultSink;
}

} // namespace plinkum
