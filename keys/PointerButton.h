#pragma once

#include <cstddef>
#include <cstdint>

namespace plinkum {

// A pointer's physical buttons that click; wheel steps are no buttons here.
enum class PointerButton : std::uint8_t { Left, Right, Middle, Back, Forward };

inline constexpr std::size_t pointerButtonCount = 5;

} // namespace plinkum
