#pragma once

#include "keys/InputSink.h"

#include <string_view>

namespace plinkum {

// A system-wide, read-only source of key and button events. It is opened (and its access proven)
// before the monitor thread starts, then run on that thread.
class InputSource {
public:
    virtual ~InputSource() = default;

    // Reports every event to sink until stop() is called or the source is lost for good.
    virtual void run(InputSink &sink) = 0;
    // Safe from any thread; makes run() return soon.
    virtual void stop() = 0;
    // For diagnostics: "evdev" or "XInput2".
    virtual std::string_view name() const = 0;
};

} // namespace plinkum
