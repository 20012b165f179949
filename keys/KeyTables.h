#pragma once

#include "keys/KeyCode.h"

#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plinkum {

// Fixed tables keyed by key code. Each is built once, on first use, by a thread-safe static
// initialisation and never changes afterwards, so any thread may read them without a lock.
namespace KeyTables {

// Six rows of an ANSI keyboard, keys left to right.
const std::vector<std::vector<KeyCode>> &keyboardRows();

// Horizontal position from -1 (far left) to +1 (far right) for stereo panning; 77 keys.
const std::unordered_map<KeyCode, float> &keyPositions();
std::optional<float> keyPosition(KeyCode keyCode);

// Mechvibes key number (the numbering of a config.json `defines` object) to key code; 113 numbers,
// some sharing a key (Print Screen and F13).
const std::unordered_map<long long, KeyCode> &mechvibesKeyMap();
std::optional<KeyCode> mechvibesKey(long long mechvibesNumber);
// The numbers Mechvibes uses for Home, the arrows and their neighbours on Windows only.
bool isWindowsOnlyMechvibesKey(long long mechvibesNumber);

// W3C KeyboardEvent.code names (MechvibesDX's key names) to key codes: every key of a full-size
// keyboard and the Japanese and Korean keys the key sources report. F21 to F24, Lang3 and Lang4
// have no key code: no key source reports them.
const std::unordered_map<std::string_view, KeyCode> &w3cKeyMap();
std::optional<KeyCode> w3cKey(std::string_view code);

} // namespace KeyTables
} // namespace plinkum
