#include "audio/PulseSink.h"

namespace plinkum {

namespace {

std::string property(const pa_proplist *properties, const char *key)
{
    const char *value = pa_proplist_gets(properties, key);
    return value ? value : "";
}

OutputRouting::PortType portType(std::uint32_t type)
{
    switch (type) {
    case PA_DEVICE_PORT_TYPE_SPEAKER:
        return OutputRouting::PortType::Speaker;
    case PA_DEVICE_PORT_TYPE_HEADPHONES:
        return OutputRouting::PortType::Headphones;
    case PA_DEVICE_PORT_TYPE_HDMI:
        return OutputRouting::PortType::Hdmi;
    case PA_DEVICE_PORT_TYPE_SPDIF:
        return OutputRouting::PortType::Spdif;
    default:
        return OutputRouting::PortType::Other;
    }
}

} // namespace

OutputRouting::Sink pulseSink(const pa_sink_info &info)
{
    OutputRouting::Sink sink;
    sink.name = info.name ? info.name : "";
    sink.formFactor = property(info.proplist, PA_PROP_DEVICE_FORM_FACTOR);
    sink.bus = property(info.proplist, PA_PROP_DEVICE_BUS);
    sink.busPath = property(info.proplist, PA_PROP_DEVICE_BUS_PATH);
    sink.profileName = property(info.proplist, PA_PROP_DEVICE_PROFILE_NAME);
    for (std::uint32_t i = 0; i < info.n_ports; ++i) {
        const pa_sink_port_info *port = info.ports[i];
        sink.ports.push_back({port->name ? port->name : "", portType(port->type), port->available == PA_PORT_AVAILABLE_NO});
    }
    if (info.active_port && info.active_port->name)
        sink.activePort = info.active_port->name;
    return sink;
}

} // namespace plinkum
