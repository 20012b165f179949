#pragma once

#include "input/InputSource.h"

#include <memory>
#include <string>

namespace plinkum {

// Whether this process can hear the keyboard, and the key source to do it with. The rule: evdev
// when at least one keyboard node is readable; else XInput2 in an X11 session; else nothing.
// Inside a Wayland session the X server would hear only XWayland windows, so it is not used.
class KeyboardAccess {
public:
    struct Environment {
        std::string deviceDir = "/dev/input";
        std::string display;         // X display name; empty: none
        bool waylandSession = false; // XDG_SESSION_TYPE=wayland or WAYLAND_DISPLAY set

        static Environment fromProcess();
    };

    struct Result {
        bool canListen = false;
        std::string reason; // one line for diagnostics; names sources, never keys
    };

    static Result check(const Environment &environment = Environment::fromProcess());
    static bool canListen(const Environment &environment = Environment::fromProcess())
    {
        return check(environment).canListen;
    }

    // The udev rule Plinkum's helper installs for the user at the seat; only while it is there
    // is there access Plinkum can take back.
    static constexpr const char *ruleFile = "/etc/udev/rules.d/70-plinkum-keyboard-access.rules";
    static bool ruleInstalled(const std::string &path = ruleFile);
    // Whether this process counts the group "input" among its groups, which reads every input
    // device; a membership added since login only counts after the next login.
    static bool inInputGroup();

    // The source the rule picks, opened; null when there is none.
    static std::unique_ptr<InputSource> openSource(const Environment &environment, std::string *reason = nullptr);
};

} // namespace plinkum
