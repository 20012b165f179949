#include "keys/KeyTables.h"

#include "keys/LinuxKeyCodes.h"

#include <linux/input-event-codes.h>

#include <utility>

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
    // W3C names by the evdev key they name. The key code is the one the key sources give that key
    // (LinuxKeyCodes), so Print Screen plays as F13, Lang1 as Kana, as typing them does.
    static constexpr std::pair<std::string_view, unsigned> names[] = {
        {"KeyA", KEY_A}, {"KeyB", KEY_B}, {"KeyC", KEY_C}, {"KeyD", KEY_D}, {"KeyE", KEY_E}, {"KeyF", KEY_F},
        {"KeyG", KEY_G}, {"KeyH", KEY_H}, {"KeyI", KEY_I}, {"KeyJ", KEY_J}, {"KeyK", KEY_K}, {"KeyL", KEY_L},
        {"KeyM", KEY_M}, {"KeyN", KEY_N}, {"KeyO", KEY_O}, {"KeyP", KEY_P}, {"KeyQ", KEY_Q}, {"KeyR", KEY_R},
        {"KeyS", KEY_S}, {"KeyT", KEY_T}, {"KeyU", KEY_U}, {"KeyV", KEY_V}, {"KeyW", KEY_W}, {"KeyX", KEY_X},
        {"KeyY", KEY_Y}, {"KeyZ", KEY_Z}, {"Digit0", KEY_0}, {"Digit1", KEY_1}, {"Digit2", KEY_2},
        {"Digit3", KEY_3}, {"Digit4", KEY_4}, {"Digit5", KEY_5}, {"Digit6", KEY_6}, {"Digit7", KEY_7},
        {"Digit8", KEY_8}, {"Digit9", KEY_9}, {"Space", KEY_SPACE}, {"Enter", KEY_ENTER},
        {"Backspace", KEY_BACKSPACE}, {"Tab", KEY_TAB}, {"Escape", KEY_ESC}, {"CapsLock", KEY_CAPSLOCK},
        {"ShiftLeft", KEY_LEFTSHIFT}, {"ShiftRight", KEY_RIGHTSHIFT}, {"ControlLeft", KEY_LEFTCTRL},
        {"ControlRight", KEY_RIGHTCTRL}, {"AltLeft", KEY_LEFTALT}, {"AltRight", KEY_RIGHTALT},
        {"MetaLeft", KEY_LEFTMETA}, {"MetaRight", KEY_RIGHTMETA}, {"ContextMenu", KEY_COMPOSE},
        {"Fn", KEY_FN}, {"Minus", KEY_MINUS}, {"Equal", KEY_EQUAL}, {"BracketLeft", KEY_LEFTBRACE},
        {"BracketRight", KEY_RIGHTBRACE}, {"Backslash", KEY_BACKSLASH}, {"Semicolon", KEY_SEMICOLON},
        {"Quote", KEY_APOSTROPHE}, {"Backquote", KEY_GRAVE}, {"Comma", KEY_COMMA}, {"Period", KEY_DOT},
        {"Slash", KEY_SLASH}, {"IntlBackslash", KEY_102ND}, {"IntlRo", KEY_RO}, {"IntlYen", KEY_YEN},
        {"F1", KEY_F1}, {"F2", KEY_F2}, {"F3", KEY_F3}, {"F4", KEY_F4}, {"F5", KEY_F5}, {"F6", KEY_F6},
        {"F7", KEY_F7}, {"F8", KEY_F8}, {"F9", KEY_F9}, {"F10", KEY_F10}, {"F11", KEY_F11}, {"F12", KEY_F12},
        {"F13", KEY_F13}, {"F14", KEY_F14}, {"F15", KEY_F15}, {"F16", KEY_F16}, {"F17", KEY_F17},
        {"F18", KEY_F18}, {"F19", KEY_F19}, {"F20", KEY_F20}, {"PrintScreen", KEY_SYSRQ},
        {"ScrollLock", KEY_SCROLLLOCK}, {"Pause", KEY_PAUSE}, {"Insert", KEY_INSERT}, {"Delete", KEY_DELETE},
        {"Home", KEY_HOME}, {"End", KEY_END}, {"PageUp", KEY_PAGEUP}, {"PageDown", KEY_PAGEDOWN},
        {"ArrowUp", KEY_UP}, {"ArrowDown", KEY_DOWN}, {"ArrowLeft", KEY_LEFT}, {"ArrowRight", KEY_RIGHT},
        {"NumLock", KEY_NUMLOCK}, {"Numpad0", KEY_KP0}, {"Numpad1", KEY_KP1}, {"Numpad2", KEY_KP2},
        {"Numpad3", KEY_KP3}, {"Numpad4", KEY_KP4}, {"Numpad5", KEY_KP5}, {"Numpad6", KEY_KP6},
        {"Numpad7", KEY_KP7}, {"Numpad8", KEY_KP8}, {"Numpad9", KEY_KP9}, {"NumpadDecimal", KEY_KPDOT},
        {"NumpadAdd", KEY_KPPLUS}, {"NumpadSubtract", KEY_KPMINUS}, {"NumpadMultiply", KEY_KPASTERISK},
        {"NumpadDivide", KEY_KPSLASH}, {"NumpadEnter", KEY_KPENTER}, {"NumpadEqual", KEY_KPEQUAL},
        {"NumpadComma", KEY_KPCOMMA}, {"Lang1", KEY_HANGEUL}, {"KanaMode", KEY_KATAKANAHIRAGANA},
        {"Convert", KEY_HENKAN}, {"Lang2", KEY_HANJA}, {"NonConvert", KEY_MUHENKAN},
        {"Lang5", KEY_ZENKAKUHANKAKU}
    };
    static const std::unordered_map<std::string_view, KeyCode> map = [] {
        std::unordered_map<std::string_view, KeyCode> built;
        for (const auto &[name, evdev] : names) {
            if (const std::optional<KeyCode> code = LinuxKeyCodes::fromEvdev(evdev))
                built.emplace(name, *code);
        }
        return built;
    }();
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
