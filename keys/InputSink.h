#pragma once

#include "keys/KeyCode.h"
#include "keys/PointerButton.h"

namespace plinkum {

// What an input source reports, before the rules that make clean events (InputEventFilter):
// ordinary keys go down (possibly as auto-repeat) and up; a modifier key only reports that its
// state changed, once when pressed and once when released (Caps Lock: when pressed), so a
// modifier held when listening began is heard out of step; pointer buttons go down and up.
class InputSink {
public:
    virtual ~InputSink() = default;

    virtual void handleKeyDown(KeyCode keyCode, bool isRepeat) = 0;
    virtual void handleKeyUp(KeyCode keyCode) = 0;
    virtual void handleModifierChanged(KeyCode keyCode) = 0;
    virtual void handleButton(PointerButton button, bool down) = 0;
};

} // namespace plinkum
