#pragma once

#include <cstdint>

namespace plinkum {

// A macOS virtual key code (ANSI layout). It stays the system's only key identifier on Linux so
// that pack documents and the Mechvibes table keep their meaning; the key sources translate
// evdev codes into it.
using KeyCode = std::uint16_t;

} // namespace plinkum
