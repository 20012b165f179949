#include "keys/KeyCategory.h"

namespace plinkum {

KeyCategory keyCategory(KeyCode keyCode)
{
    switch (keyCode) {
    case 36: // Return
    case 76: // keypad Enter
        return KeyCategory::Enter;
    case 49:
        return KeyCategory::Space;
    case 51:  // Delete (backspace)
    case 117: // Forward Delete
        return KeyCategory::Backspace;
    default:
        return isModifierKey(keyCode) ? KeyCategory::Modifier : KeyCategory::Standard;
    }
}

namespace {
constexpr std::array<std::string_view, 5> rawValues{"standard", "space", "enter", "backspace",
                                                    "modifier"};
}

std::optional<KeyCategory> keyCategoryFromRaw(std::string_view raw)
{
    for (std::size_t i = 0; i < rawValues.size(); ++i) {
        if (rawValues[i] == raw)
            return allKeyCategories[i];
    }
    return std::nullopt;
}

std::string_view rawValue(KeyCategory category)
{
    return rawValues[static_cast<std::size_t>(category)];
}

} // namespace plinkum
