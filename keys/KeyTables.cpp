#include "keys/KeyTables.h"

namespace plinkum::KeyTables {

const std::vector<std::vector<KeyCode>> &keyboardRows()
{
    static const std::vector<std::vector<KeyCode>> rows{
        // Escape, F1 … F12
        {53, 122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111},
        // Grave, 1 … 0, Minus, Equal, Delete
        {50, 18, 19, 20, 21, 23, 22, 26, 28, 25, 29, 27, 24, 51},
        // Tab, Q … P, brackets, Backslash
        {48, 12, 13, 14, 15, 17, 16, 32, 34, 31, 35, 33, 30, 42},
        // Caps Lock, A … L, Semicolon, Quote, Return
        {57, 0, 1, 2, 3, 5, 4, 38, 40, 37, 41, 39, 36},
        // Shift, Z … M, Comma, Period, Slash, Right Shift
        {56, 6, 7, 8, 9, 11, 45, 46, 43, 47, 44, 60},
        // Function, Control, Option, Command, Space, Right Command, Right Option, arrows
        {63, 59, 58, 55, 49, 54, 61, 123, 125, 124},
    };
    return rows;
}

const std::unordered_map<KeyCode, float> &keyPositions()
{
    static const std::unordered_map<KeyCode, float> positions = [] {
        std::unordered_map<KeyCode, float> map;
        for (const auto &row : keyboardRows()) {
            const float last = static_cast<float>(row.size() - 1);
            for (std::size_t i = 0; i < row.size(); ++i) {
                const float q = static_cast<float>(i) / last;
                map.try_emplace(row[i], q + q - 1.0f);
            }
        }
        map[49] = 0.0f;  // Space sits in the middle, whatever its row index says.
        map[126] = 0.85f; // Up Arrow, above Down Arrow.
        return map;
    }();
    return positions;
}

std::optional<float> keyPosition(KeyCode keyCode)
{
    const auto &map = keyPositions();
    const auto it = map.find(keyCode);
    if (it == map.end())
        return std::nullopt;
    return it->second;
}

const std::unordered_map<long long, KeyCode> &mechvibesKeyMap()
{
    // Every key of Mechvibes' own key table (libuiohook's numbering, which its packs use), and
    // F16 to F20, which its key hook reports too. Print Screen, Scroll Lock and Pause play as F13,
    // F14 and F15, where Apple's extended keyboards have them and where the key sources put them.
    static const std::unordered_map<long long, KeyCode> map{
        {1, 53},     {2, 18},     {3, 19},     {4, 20},     {5, 21},     {6, 23},
        {7, 22},     {8, 26},     {9, 28},     {10, 25},    {11, 29},    {12, 27},
        {13, 24},    {14, 51},    {15, 48},    {16, 12},    {17, 13},    {18, 14},
        {19, 15},    {20, 17},    {21, 16},    {22, 32},    {23, 34},    {24, 31},
        {25, 35},    {26, 33},    {27, 30},    {28, 36},    {29, 59},    {30, 0},
        {31, 1},     {32, 2},     {33, 3},     {34, 5},     {35, 4},     {36, 38},
        {37, 40},    {38, 37},    {39, 41},    {40, 39},    {41, 50},    {42, 56},
        {43, 42},    {44, 6},     {45, 7},     {46, 8},     {47, 9},     {48, 11},
        {49, 45},    {50, 46},    {51, 43},    {52, 47},    {53, 44},    {54, 60},
        {56, 58},    {57, 49},    {58, 57},    {59, 122},   {60, 120},   {61, 99},
        {62, 118},   {63, 96},    {64, 97},    {65, 98},    {66, 100},   {67, 101},
        {68, 109},   {87, 103},   {88, 111},   {3612, 76},  {3613, 62},  {3640, 61},
        {3675, 55},  {3676, 54},  {3655, 115}, {3657, 116}, {3663, 119}, {3665, 121},
        {3666, 114}, {3667, 117}, {57416, 126}, {57424, 125}, {57419, 123}, {57421, 124},
        // Keypad: Num Lock (Clear on Apple's keypads), operators, digits.
        {69, 71},    {3637, 75},  {55, 67},    {74, 78},    {78, 69},    {3597, 81},
        {83, 65},    {82, 82},    {79, 83},    {80, 84},    {81, 85},    {75, 86},
        {76, 87},    {77, 88},    {71, 89},    {72, 91},    {73, 92},
        // F13 to F20, Print Screen, Scroll Lock, Pause, Menu.
        {91, 105},   {92, 107},   {93, 113},   {99, 106},   {100, 64},   {101, 79},
        {102, 80},   {103, 90},   {3639, 105}, {70, 107},   {3653, 113}, {3677, 110},
    };
    return map;
}

bool isWindowsOnlyMechvibesKey(long long mechvibesNumber)
{
    // Mechvibes moves the navigation keys to these numbers on Windows only; elsewhere they never
    // play, and the pack's own numbers for those keys are the ones above.
    return mechvibesNumber >= 60999 && mechvibesNumber <= 61011;
}

const std::unordered_map<std::string_view, KeyCode> &w3cKeyMap()
{
    // Where a W3C name and an evdev key are the same physical key, the key code is the one the
    // key sources give that evdev key (LinuxKeyCodes), so a pack's sound plays for that key.
    static const std::unordered_map<std::string_view, KeyCode> map{
        {"KeyA", 0x00}, {"KeyB", 0x0B}, {"KeyC", 0x08}, {"KeyD", 0x02}, {"KeyE", 0x0E}, {"KeyF", 0x03},
        {"KeyG", 0x05}, {"KeyH", 0x04}, {"KeyI", 0x22}, {"KeyJ", 0x26}, {"KeyK", 0x28}, {"KeyL", 0x25},
        {"KeyM", 0x2E}, {"KeyN", 0x2D}, {"KeyO", 0x1F}, {"KeyP", 0x23}, {"KeyQ", 0x0C}, {"KeyR", 0x0F},
        {"KeyS", 0x01}, {"KeyT", 0x11}, {"KeyU", 0x20}, {"KeyV", 0x09}, {"KeyW", 0x0D}, {"KeyX", 0x07},
        {"KeyY", 0x10}, {"KeyZ", 0x06},
        {"Digit0", 0x1D}, {"Digit1", 0x12}, {"Digit2", 0x13}, {"Digit3", 0x14}, {"Digit4", 0x15},
        {"Digit5", 0x17}, {"Digit6", 0x16}, {"Digit7", 0x1A}, {"Digit8", 0x1C}, {"Digit9", 0x19},
        {"Space", 0x31}, {"Enter", 0x24}, {"Backspace", 0x33}, {"Tab", 0x30}, {"Escape", 0x35},
        {"CapsLock", 0x39}, {"ShiftLeft", 0x38}, {"ShiftRight", 0x3C}, {"ControlLeft", 0x3B},
        {"ControlRight", 0x3E}, {"AltLeft", 0x3A}, {"AltRight", 0x3D}, {"MetaLeft", 0x37},
        {"MetaRight", 0x36}, {"ContextMenu", 0x6E}, {"Fn", 0x3F},
        {"Minus", 0x1B}, {"Equal", 0x18}, {"BracketLeft", 0x21}, {"BracketRight", 0x1E},
        {"Backslash", 0x2A}, {"Semicolon", 0x29}, {"Quote", 0x27}, {"Backquote", 0x32},
        {"Comma", 0x2B}, {"Period", 0x2F}, {"Slash", 0x2C}, {"IntlBackslash", 0x0A},
        {"IntlRo", 0x5E}, {"IntlYen", 0x5D},
        {"F1", 0x7A}, {"F2", 0x78}, {"F3", 0x63}, {"F4", 0x76}, {"F5", 0x60}, {"F6", 0x61},
        {"F7", 0x62}, {"F8", 0x64}, {"F9", 0x65}, {"F10", 0x6D}, {"F11", 0x67}, {"F12", 0x6F},
        {"F13", 0x69}, {"F14", 0x6B}, {"F15", 0x71}, {"F16", 0x6A}, {"F17", 0x40}, {"F18", 0x4F},
        {"F19", 0x50}, {"F20", 0x5A},
        // Print Screen, Scroll Lock and Pause play as F13, F14 and F15, as the key sources give them.
        {"PrintScreen", 0x69}, {"ScrollLock", 0x6B}, {"Pause", 0x71},
        {"Insert", 0x72}, {"Delete", 0x75}, {"Home", 0x73}, {"End", 0x77}, {"PageUp", 0x74},
        {"PageDown", 0x79}, {"ArrowUp", 0x7E}, {"ArrowDown", 0x7D}, {"ArrowLeft", 0x7B},
        {"ArrowRight", 0x7C},
        {"NumLock", 0x47}, {"Numpad0", 0x52}, {"Numpad1", 0x53}, {"Numpad2", 0x54}, {"Numpad3", 0x55},
        {"Numpad4", 0x56}, {"Numpad5", 0x57}, {"Numpad6", 0x58}, {"Numpad7", 0x59}, {"Numpad8", 0x5B},
        {"Numpad9", 0x5C}, {"NumpadDecimal", 0x41}, {"NumpadAdd", 0x45}, {"NumpadSubtract", 0x4E},
        {"NumpadMultiply", 0x43}, {"NumpadDivide", 0x4B}, {"NumpadEnter", 0x4C},
        {"NumpadEqual", 0x51}, {"NumpadComma", 0x5F},
        // Kana and Hangul right of Space, Eisu and Hanja left of it, Zenkaku/Hankaku in Grave's place.
        {"Lang1", 0x68}, {"KanaMode", 0x68}, {"Convert", 0x68}, {"Lang2", 0x66}, {"NonConvert", 0x66},
        {"Lang5", 0x32},
    };
    return map;
}

std::optional<KeyCode> w3cKey(std::string_view code)
{
    const auto &map = w3cKeyMap();
    const auto it = map.find(code);
    if (it == map.end())
        return std::nullopt;
    return it->second;
}

std::optional<KeyCode> mechvibesKey(long long mechvibesNumber)
{
    const auto &map = mechvibesKeyMap();
    const auto it = map.find(mechvibesNumber);
    if (it == map.end())
        return std::nullopt;
    return it->second;
}

} // namespace plinkum::KeyTables
