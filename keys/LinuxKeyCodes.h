#pragma once

#include "keys/KeyCode.h"

#include <optional>

namespace plinkum::LinuxKeyCodes {

// The macOS key code of a Linux evdev key code (an X11 keycode is the evdev code + 8); none for
// keys without a counterpart, which the key sources drop.
std::optional<KeyCode> fromEvdev(unsigned evdevCode);
std::optional<KeyCode> fromX11(unsigned x11Keycode);

} // namespace plinkum::LinuxKeyCodes
