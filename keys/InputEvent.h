#pragma once

#include "KeyCode.h"

#include <cstdint>

namespace plinkum {

// One clean key event: a press (for Caps Lock: a toggle) or a release, with its key code.
struct KeyEvent {
    enum class Type : std::uint8_t { Down, Up };

    Type type = Type::Down;
    KeyCode keyCode = 0;

    static constexpr KeyEvent down(KeyCode code) { return {Type::Down, code}; }
    static constexpr KeyEvent up(KeyCode code) { return {Type::Up, code}; }

    friend constexpr bool operator==(const KeyEvent &, const KeyEvent &) = default;
};

} // namespace plinkum
