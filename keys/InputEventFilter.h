#pragma once

#include "KeyEvent.h"
#include "KeySink.h"

#include <bitset>
#include <functional>

namespace plinkum {

// Reduces a key source's reports to one down per physical press and the matching up: drops
// auto-repeat, turns each modifier change into a press or a release, and reports Caps Lock only
// ever as down. Not thread-safe: one thread feeds it (the monitor thread).
class KeyEventFilter final : public KeySink {
public:
    using Handler = std::function<void(KeyEvent)>;
    using PressedKeys = std::bitset<65536>;

    static constexpr KeyCode capsLock = 57;

    explicit KeyEventFilter(Handler handler);

    void handleKeyDown(KeyCode keyCode, bool isRepeat) override;
    void handleKeyUp(KeyCode keyCode) override;
    void handleFlagsChanged(KeyCode keyCode) override;

    // Keys held down as far as this filter has seen; Caps Lock never enters.
    const PressedKeys &pressed() const { return m_pressed; }

private:
    Handler m_handler;
    PressedKeys m_pressed; // a fixed bitmap: no allocation per event
};

} // namespace plinkum
