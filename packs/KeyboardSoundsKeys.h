#pragma once

#include "keys/KeyCode.h"

#include <QString>

#include <optional>
#include <vector>

// The key names of keyboardsounds profiles: its Python version's (pynput's names, and the
// character a key types: "space", "ctrl_l", "a", ",") and its Go version's ("Space",
// "LeftControl", "Num0"), case ignored.
namespace plinkum::KeyboardSoundsKeys {

// The keys `name` means: a name without side ("shift") means both keys. Nothing for a name
// keyboardsounds does not use; an empty list for a key Plinkum does not hear (F21 to F24).
std::optional<std::vector<KeyCode>> keyCodes(const QString &name);

} // namespace plinkum::KeyboardSoundsKeys
