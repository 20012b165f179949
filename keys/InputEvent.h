#pragma once

#include "keys/KeyCode.h"
#include "keys/PointerButton.h"

#include <cstdint>

namespace plinkum {

// One clean input event: a key or a pointer button going down (for Caps Lock: a toggle) or up.
// Small and trivially copied, so it travels by value from the source to the sound engine.
struct InputEvent {
    enum class Kind : std::uint8_t { Key, Button };

    Kind kind = Kind::Key;
    bool down = true;
    // A KeyCode, or a PointerButton's value; kind says which.
    std::uint16_t code = 0;

    static constexpr InputEvent keyDown(KeyCode key) { return {Kind::Key, true, key}; }
    static constexpr InputEvent keyUp(KeyCode key) { return {Kind::Key, false, key}; }
    static constexpr InputEvent key(KeyCode key, bool down) { return {Kind::Key, down, key}; }
    static constexpr InputEvent button(PointerButton button, bool down)
    {
        return {Kind::Button, down, static_cast<std::uint16_t>(button)};
    }

    constexpr bool isKey() const { return kind == Kind::Key; }
    constexpr bool isKey(KeyCode key) const { return kind == Kind::Key && code == key; }
    constexpr PointerButton pointerButton() const { return static_cast<PointerButton>(code); }

    friend constexpr bool operator==(const InputEvent &, const InputEvent &) = default;
};

} // namespace plinkum
