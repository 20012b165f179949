#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace plinkum {

// A pointer's physical buttons that click; wheel steps are no buttons here.
enum class PointerButton : std::uint8_t { Left, Right, Middle, Back, Forward };

inline constexpr std::size_t pointerButtonCount = 5;

inline constexpr std::array<PointerButton, pointerButtonCount> allPointerButtons{
    PointerButton::Left, PointerButton::Right, PointerButton::Middle, PointerButton::Back, PointerButton::Forward};

// Exactly "left", "right", "middle", "back" or "forward": the names pack documents and key
// sequences use.
constexpr std::string_view rawValue(PointerButton button)
{
    constexpr std::array<std::string_view, pointerButtonCount> names{"left", "right", "middle", "back", "forward"};
    return names[static_cast<std::size_t>(button)];
}

constexpr std::optional<PointerButton> pointerButtonFromRaw(std::string_view raw)
{
    for (const PointerButton button : allPointerButtons) {
        if (rawValue(button) == raw)
            return button;
    }
    return std::nullopt;
}

} // namespace plinkum
