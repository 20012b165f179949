#pragma once

#include "audio/OutputRouting.h"

#include <optional>
#include <string>
#include <vector>

namespace plinkum {

// A one-off look at the sound server for diagnostics: its name, its default sink and every sink
// with the properties the routing decides by.
struct SinkSurvey {
    std::string server;
    std::string defaultSink;
    std::vector<OutputRouting::Sink> sinks;

    // Nothing when no server answers within the time.
    static std::optional<SinkSurvey> take(int timeoutMs = 3000);
};

} // namespace plinkum
