#pragma once

#include "KeyCode.h"

namespace plinkum {

// What a key source reports, in the terms of the macOS event stream the key rules were made for:
// ordinary keys go down (possibly as auto-repeat) and up; modifier keys only report that their
// state changed.
class KeySink {
public:
    virtual ~KeySink() = default;

    virtual void handleKeyDown(KeyCode keyCode, bool isRepeat) = 0;
    virtual void handleKeyUp(KeyCode keyCode) = 0;
    virtual void handleFlagsChanged(KeyCode keyCode) = 0;
};

} // namespace plinkum
