#pragma once

#include "keys/InputEvent.h"
#include "keys/InputSink.h"

#include <bitset>
#include <functional>

namespace plinkum {

// Reduces a source's reports to one down per physical press and the matching up: drops
// auto-repeat and a second down of what is already held, turns each modifier change into a press
// or a release, and reports Caps Lock only ever as down. Not thread-safe: one thread feeds it
// (the monitor thread).
class InputEventFilter final : public InputSink {
public:
    using Handler = std::function<void(InputEvent)>;

    static constexpr KeyCode capsLock = 57;

    explicit InputEventFilter(Handler handler);

    void handleKeyDown(KeyCode keyCode, bool isRepeat) override;
    void handleKeyUp(KeyCode keyCode) override;
    void handleModifierChanged(KeyCode keyCode) override;
    void handleButton(PointerButton button, bool down) override;

private:
    Handler m_handler;
    // What is held down as far as this filter has seen (Caps Lock never enters), in fixed
    // bitmaps: no allocation per event.
    std::bitset<65536> m_pressed;
    std::bitset<pointerButtonCount> m_pressedButtons;
};

} // namespace plinkum
