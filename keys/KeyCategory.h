#pragma once

#include "keys/KeyCode.h"

#include <array>
#include <optional>
#include <string_view>

namespace plinkum {

// The sound category of a key. The raw values are read from and written to pack documents.
enum class KeyCategory : std::uint8_t { Standard, Space, Enter, Backspace, Modifier };

inline constexpr std::array<KeyCategory, 5> allKeyCategories{
    KeyCategory::Standard, KeyCategory::Space, KeyCategory::Enter, KeyCategory::Backspace,
    KeyCategory::Modifier};

KeyCategory keyCategory(KeyCode keyCode);

// Exactly "standard", "space", "enter", "backspace" or "modifier" (case-sensitive).
std::optional<KeyCategory> keyCategoryFromRaw(std::string_view raw);
std::string_view rawValue(KeyCategory category);

// Right Command (54) up to Function (63).
constexpr bool isModifierKey(KeyCode keyCode) { return keyCode >= 54 && keyCode < 64; }

} // namespace plinkum
