#include "audio/KeySequence.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

namespace plinkum {

namespace {

template <typename Number>
std::optional<Number> decimal(std::string_view text)
{
    Number value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<KeyCode> KeySequence::keyCode(std::string_view name)
{
    static const std::unordered_map<std::string_view, KeyCode> names{
        {"a", 0},         {"s", 1},        {"d", 2},         {"f", 3},        {"h", 4},        {"g", 5},
        {"z", 6},         {"x", 7},        {"c", 8},         {"v", 9},        {"b", 11},       {"q", 12},
        {"w", 13},        {"e", 14},       {"r", 15},        {"y", 16},       {"t", 17},       {"1", 18},
        {"2", 19},        {"3", 20},       {"4", 21},        {"6", 22},       {"5", 23},       {"9", 25},
        {"7", 26},        {"8", 28},       {"0", 29},        {"o", 31},       {"u", 32},       {"i", 34},
        {"p", 35},        {"return", 36},  {"l", 37},        {"j", 38},       {"k", 40},       {"n", 45},
        {"m", 46},        {"tab", 48},     {"space", 49},    {"backspace", 51}, {"escape", 53}, {"lcommand", 55},
        {"lshift", 56},   {"capslock", 57}, {"rshift", 60},  {"left", 123},   {"right", 124},  {"down", 125},
        {"up", 126},
    };
    if (const auto it = names.find(name); it != names.end())
        return it->second;
    // Single digits are names, so a decimal code needs two digits or more ("07" is code 7).
    if (name.size() > 1)
        return decimal<KeyCode>(name);
    return std::nullopt;
}

std::optional<KeySequence> KeySequence::parse(std::string_view text, std::string *error)
{
    KeySequence sequence;
    std::size_t position = 0;
    while (true) {
        const std::size_t start = text.find_first_not_of(' ');
        if (start == std::string_view::npos)
            break;
        text.remove_prefix(start);
        const std::size_t length = std::min(text.find(' '), text.size());
        const std::string_view token = text.substr(0, length);
        text.remove_prefix(length);
        ++position;

        const std::size_t colon = token.find(':');
        const std::size_t at = token.find('@');
        std::optional<KeyCode> key;
        std::optional<PointerButton> button;
        std::optional<std::uint64_t> milliseconds;
        std::string_view direction;
        if (colon != std::string_view::npos && at != std::string_view::npos && colon < at) {
            const std::string_view name = token.substr(0, colon);
            constexpr std::string_view mouse = "mouse-";
            if (name.starts_with(mouse))
                button = pointerButtonFromRaw(name.substr(mouse.size()));
            else
                key = keyCode(name);
            direction = token.substr(colon + 1, at - colon - 1);
            milliseconds = decimal<std::uint64_t>(token.substr(at + 1));
        }
        if ((!key && !button) || !milliseconds || (direction != "down" && direction != "up")) {
            if (error)
                *error = "event " + std::to_string(position) + " is not KEY:down@MS or KEY:up@MS";
            return std::nullopt;
        }
        if (*milliseconds > maxMilliseconds) {
            if (error)
                *error = "event " + std::to_string(position) + " is later than ten minutes";
            return std::nullopt;
        }
        const bool down = direction == "down";
        sequence.m_events.push_back({button ? InputEvent::button(*button, down) : InputEvent::key(*key, down), *milliseconds});
    }
    std::stable_sort(sequence.m_events.begin(), sequence.m_events.end(),
                     [](const Event &a, const Event &b) { return a.milliseconds < b.milliseconds; });
    return sequence;
}

} // namespace plinkum
