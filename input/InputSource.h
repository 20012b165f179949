#pragma once

#include "KeySink.h"

#include <string_view>

namespace plinkum {

// A system-wide, read-only source of key events. It is opened (and its access proven) before
// the monitor thread starts, then run on that thread.
class KeySource {
public:
    virtual ~KeySource() = default;

    // Reports every key event to sink until stop() is called or the source is lost for good.
    virtual void run(KeySink &sink) = 0;
    // Safe from any thread; makes run() return soon.
    virtual void stop() = 0;
    // For diagnostics: "evdev" or "XInput2".
    virtual std::string_view name() const = 0;
};

} // namespace plinkum
