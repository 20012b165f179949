#pragma once

#include "keys/InputEvent.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plinkum {

// A scripted run of key and button events for offline rendering: space-separated `KEY:down@MS`
// or `KEY:up@MS`, where KEY is a decimal key code, one of the names keyCode() knows, or a pointer
// button as `mouse-left` (right, middle, back, forward), and MS the time in milliseconds from the
// start.
class KeySequence {
public:
    struct Event {
        InputEvent input;
        std::uint64_t milliseconds = 0;
    };

    // Scripts are rendered into memory whole; this bounds them to about 230 MB of sound.
    static constexpr std::uint64_t maxMilliseconds = 10 * 60 * 1000;

    // Events come back in time order; events at the same time keep their written order. On a
    // malformed script error says which event is wrong (by position, not by what was typed).
    static std::optional<KeySequence> parse(std::string_view text, std::string *error = nullptr);

    // a–z, 0–9, space, return, backspace, tab, escape, lshift, rshift, lcommand, capslock,
    // left, right, up, down.
    static std::optional<KeyCode> keyCode(std::string_view name);

    const std::vector<Event> &events() const { return m_events; }

private:
    std::vector<Event> m_events;
};

} // namespace plinkum
