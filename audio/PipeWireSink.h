#pragma once

#include "audio/OutputRouting.h"

struct spa_dict;

namespace plinkum {

// What the routing rule needs to know of one PipeWire sink node. Device properties are spelt
// with dashes on PipeWire (device.form-factor) and may sit on the node or only on its device,
// so the node's properties are read first and the device's fill the gaps.
OutputRouting::Sink pipeWireSink(const spa_dict &node, const spa_dict *device);

} // namespace plinkum
