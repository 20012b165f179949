#pragma once

#include "audio/OutputRouting.h"

#include <pulse/introspect.h>

namespace plinkum {

// What the routing rule needs to know of one PulseAudio sink, read from the server's answer.
OutputRouting::Sink pulseSink(const pa_sink_info &info);

} // namespace plinkum
