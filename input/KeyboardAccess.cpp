#include "input/KeyboardAccess.h"

#include "input/EvdevKeySource.h"
#include "input/XInputKeySource.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

namespace plinkum {

KeyboardAccess::Environment KeyboardAccess::Environment::fromProcess()
{
    Environment environment;
    if (const char *display = std::getenv("DISPLAY"))
        environment.display = display;
    const char *sessionType = std::getenv("XDG_SESSION_TYPE");
    const char *waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    environment.waylandSession = (sessionType && std::string_view(sessionType) == "wayland")
        || (waylandDisplay && *waylandDisplay);
    return environment;
}

std::unique_ptr<InputSource> KeyboardAccess::openSource(const Environment &environment, std::string *reason)
{
    EvdevKeySource::Scan scan;
    if (auto evdev = EvdevKeySource::open(environment.deviceDir, &scan)) {
        if (reason) {
            *reason = "evdev: " + std::to_string(scan.readable) + " of "
                + std::to_string(scan.keyboards) + " keyboard devices readable";
            if (!evdev->watchesHotplug())
                *reason += ", no udev hot-plug notices";
        }
        return evdev;
    }

    std::string why = scan.keyboards > 0
        ? "none of " + std::to_string(scan.keyboards) + " keyboard devices under "
            + environment.deviceDir + " is readable (needs membership of group 'input')"
        : "no keyboard device under " + environment.deviceDir;
    std::unique_ptr<InputSource> source;
    if (environment.waylandSession) {
        why += "; Wayland session, where X11 would only hear XWayland windows";
    } else if (environment.display.empty()) {
        why += "; no X11 display";
    } else if ((source = XInputKeySource::open(environment.display))) {
        why = "XInput2 on display " + environment.display + " (" + why + ")";
    } else {
        why += "; X11 display " + environment.display + " unreachable or without XInput 2.1";
    }
    if (reason)
        *reason = why;
    return source;
}

bool KeyboardAccess::ruleInstalled(const std::string &path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool KeyboardAccess::inInputGroup()
{
    const struct group *input = ::getgrnam("input");
    if (!input)
        return false;
    const int count = ::getgroups(0, nullptr);
    if (count < 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (::getgroups(count, groups.data()) < 0)
        return false;
    for (const gid_t group : groups)
        if (group == input->gr_gid)
            return true;
    return ::getegid() == input->gr_gid;
}

KeyboardAccess::Result KeyboardAccess::check(const Environment &environment)
{
    Result result;
    result.canListen = openSource(environment, &result.reason) != nullptr;
    return result;
}

} // namespace plinkum
