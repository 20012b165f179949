#include "packs/KeyboardSoundsKeys.h"

#include "keys/LinuxKeyCodes.h"

#include <linux/input-event-codes.h>

#include <array>

namespace plinkum::KeyboardSoundsKeys {

namespace {

struct Entry {
    const char *name;
    std::array<unsigned short, 2> evdev; // KEY_RESERVED (0) when fewer
};

constexpr Entry entries[] = {
    {"a", {KEY_A}}, {"b", {KEY_B}}, {"c", {KEY_C}}, {"d", {KEY_D}}, {"e", {KEY_E}}, {"f", {KEY_F}},
    {"g", {KEY_G}}, {"h", {KEY_H}}, {"i", {KEY_I}}, {"j", {KEY_J}}, {"k", {KEY_K}}, {"l", {KEY_L}},
    {"m", {KEY_M}}, {"n", {KEY_N}}, {"o", {KEY_O}}, {"p", {KEY_P}}, {"q", {KEY_Q}}, {"r", {KEY_R}},
    {"s", {KEY_S}}, {"t", {KEY_T}}, {"u", {KEY_U}}, {"v", {KEY_V}}, {"w", {KEY_W}}, {"x", {KEY_X}},
    {"y", {KEY_Y}}, {"z", {KEY_Z}},
    {"0", {KEY_0}}, {"1", {KEY_1}}, {"2", {KEY_2}}, {"3", {KEY_3}}, {"4", {KEY_4}},
    {"5", {KEY_5}}, {"6", {KEY_6}}, {"7", {KEY_7}}, {"8", {KEY_8}}, {"9", {KEY_9}},
    {"f1", {KEY_F1}}, {"f2", {KEY_F2}}, {"f3", {KEY_F3}}, {"f4", {KEY_F4}}, {"f5", {KEY_F5}},
    {"f6", {KEY_F6}}, {"f7", {KEY_F7}}, {"f8", {KEY_F8}}, {"f9", {KEY_F9}}, {"f10", {KEY_F10}},
    {"f11", {KEY_F11}}, {"f12", {KEY_F12}}, {"f13", {KEY_F13}}, {"f14", {KEY_F14}}, {"f15", {KEY_F15}},
    {"f16", {KEY_F16}}, {"f17", {KEY_F17}}, {"f18", {KEY_F18}}, {"f19", {KEY_F19}}, {"f20", {KEY_F20}},
    {"f21", {KEY_F21}}, {"f22", {KEY_F22}}, {"f23", {KEY_F23}}, {"f24", {KEY_F24}},
    {"space", {KEY_SPACE}}, {"enter", {KEY_ENTER}}, {"backspace", {KEY_BACKSPACE}}, {"tab", {KEY_TAB}},
    {"esc", {KEY_ESC}}, {"escape", {KEY_ESC}},
    {"caps_lock", {KEY_CAPSLOCK}}, {"capslock", {KEY_CAPSLOCK}},
    {"shift", {KEY_LEFTSHIFT, KEY_RIGHTSHIFT}}, {"shift_l", {KEY_LEFTSHIFT}}, {"shift_r", {KEY_RIGHTSHIFT}},
    {"leftshift", {KEY_LEFTSHIFT}}, {"rightshift", {KEY_RIGHTSHIFT}},
    {"ctrl", {KEY_LEFTCTRL, KEY_RIGHTCTRL}}, {"ctrl_l", {KEY_LEFTCTRL}}, {"ctrl_r", {KEY_RIGHTCTRL}},
    {"leftcontrol", {KEY_LEFTCTRL}}, {"rightcontrol", {KEY_RIGHTCTRL}},
    {"alt", {KEY_LEFTALT, KEY_RIGHTALT}}, {"alt_l", {KEY_LEFTALT}}, {"alt_r", {KEY_RIGHTALT}},
    {"alt_gr", {KEY_RIGHTALT}}, {"leftalt", {KEY_LEFTALT}}, {"rightalt", {KEY_RIGHTALT}},
    {"cmd", {KEY_LEFTMETA, KEY_RIGHTMETA}}, {"cmd_l", {KEY_LEFTMETA}}, {"cmd_r", {KEY_RIGHTMETA}},
    {"leftwin", {KEY_LEFTMETA}}, {"rightwin", {KEY_RIGHTMETA}}, {"menu", {KEY_COMPOSE}},
    {"insert", {KEY_INSERT}}, {"delete", {KEY_DELETE}}, {"home", {KEY_HOME}}, {"end", {KEY_END}},
    {"page_up", {KEY_PAGEUP}}, {"pageup", {KEY_PAGEUP}}, {"page_down", {KEY_PAGEDOWN}}, {"pagedown", {KEY_PAGEDOWN}},
    {"up", {KEY_UP}}, {"down", {KEY_DOWN}}, {"left", {KEY_LEFT}}, {"right", {KEY_RIGHT}},
    {"print_screen", {KEY_SYSRQ}}, {"scroll_lock", {KEY_SCROLLLOCK}}, {"scrolllock", {KEY_SCROLLLOCK}},
    {"pause", {KEY_PAUSE}}, {"num_lock", {KEY_NUMLOCK}}, {"numlock", {KEY_NUMLOCK}},
    {"num0", {KEY_KP0}}, {"num1", {KEY_KP1}}, {"num2", {KEY_KP2}}, {"num3", {KEY_KP3}}, {"num4", {KEY_KP4}},
    {"num5", {KEY_KP5}}, {"num6", {KEY_KP6}}, {"num7", {KEY_KP7}}, {"num8", {KEY_KP8}}, {"num9", {KEY_KP9}},
    // A character names every key that types it unshifted, the keypad's included.
    {"`", {KEY_GRAVE}}, {"-", {KEY_MINUS, KEY_KPMINUS}}, {"=", {KEY_EQUAL}}, {"+", {KEY_EQUAL, KEY_KPPLUS}},
    {"[", {KEY_LEFTBRACE}}, {"]", {KEY_RIGHTBRACE}}, {"\\", {KEY_BACKSLASH}}, {";", {KEY_SEMICOLON}},
    {"'", {KEY_APOSTROPHE}}, {",", {KEY_COMMA}}, {".", {KEY_DOT, KEY_KPDOT}}, {"/", {KEY_SLASH, KEY_KPSLASH}},
    {"*", {KEY_KPASTERISK}},
    {"grave", {KEY_GRAVE}}, {"minus", {KEY_MINUS}}, {"equal", {KEY_EQUAL}}, {"bracket_left", {KEY_LEFTBRACE}},
    {"bracket_right", {KEY_RIGHTBRACE}}, {"backslash", {KEY_BACKSLASH}}, {"semicolon", {KEY_SEMICOLON}},
    {"quote", {KEY_APOSTROPHE}}, {"comma", {KEY_COMMA}}, {"period", {KEY_DOT}}, {"slash", {KEY_SLASH}},
};

} // namespace

std::optional<std::vector<KeyCode>> keyCodes(const QString &name)
{
    for (const Entry &entry : entries) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) != 0)
            continue;
        std::vector<KeyCode> codes;
        for (const unsigned short evdev : entry.evdev) {
            if (evdev == KEY_RESERVED)
                continue;
            if (const std::optional<KeyCode> code = LinuxKeyCodes::fromEvdev(evdev))
                codes.push_back(*code);
        }
        return codes;
    }
    return std::nullopt;
}

} // namespace plinkum::KeyboardSoundsKeys
