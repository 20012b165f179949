#include "audio/PipeWireSink.h"

#include <spa/utils/dict.h>

namespace plinkum {

namespace {

std::string property(const spa_dict &node, const spa_dict *device, const char *key)
{
    if (const char *value = spa_dict_lookup(&node, key))
        return value;
    if (device)
        if (const char *value = spa_dict_lookup(device, key))
            return value;
    return {};
}

} // namespace

OutputRouting::Sink pipeWireSink(const spa_dict &node, const spa_dict *device)
{
    OutputRouting::Sink sink;
    sink.name = property(node, nullptr, "node.name");
    sink.formFactor = property(node, device, "device.form-factor");
    sink.bus = property(node, device, "device.bus");
    sink.busPath = property(node, device, "device.bus-path");
    sink.profileName = property(node, device, "device.profile.name");
    return sink;
}

} // namespace plinkum
