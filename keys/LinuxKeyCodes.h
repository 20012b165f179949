#pragma once

#include "keys/KeyCode.h"
#include "keys/PointerButton.h"

#include <optional>

namespace plinkum::LinuxKeyCodes {

// The macOS key code of a Linux evdev key code (an X11 keycode is the evdev code + 8); none for
// keys without a counterpart, which the key sources drop.
std::optional<KeyCode> fromEvdev(unsigned evdevCode);
std::optional<KeyCode> fromX11(unsigned x11Keycode);

// The pointer button of an evdev button code (BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE,
// BTN_EXTRA) or of an X11 button number (1 to 3, 8, 9); none for every other code, so a
// touchpad's touch and tool codes and the wheel's buttons 4 to 7 never click.
std::optional<PointerButton> buttonFromEvdev(unsigned evdevCode);
std::optional<PointerButton> buttonFromX11(int x11Button);

} // namespace plinkum::LinuxKeyCodes
