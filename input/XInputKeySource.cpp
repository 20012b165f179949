#include "input/XInputKeySource.h"

#include "keys/InputEventFilter.h"
#include "keys/KeyCategory.h"
#include "keys/LinuxKeyCodes.h"
#include "common/Log.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <poll.h>
#include <sys/eventfd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <set>

namespace plinkum {
namespace {

// Xlib's default reaction to a lost server connection is to end the process. For our displays
// it only marks the connection lost; every other display keeps the handler it had.
std::mutex displaysMutex;
std::set<Display *> ourDisplays;
XIOErrorHandler previousIOErrorHandler = nullptr;

int ioErrorHandler(Display *display)
{
    {
        const std::lock_guard lock(displaysMutex);
        if (ourDisplays.contains(display))
            return 0;
    }
    return previousIOErrorHandler ? previousIOErrorHandler(display) : 0;
}

void markLost(Display *, void *userData)
{
    *static_cast<bool *>(userData) = true;
}

} // namespace

std::unique_ptr<XInputKeySource> XInputKeySource::open(const std::string &displayName)
{
    if (displayName.empty())
        return nullptr;
    static std::once_flag initialised;
    std::call_once(initialised, [] {
        XInitThreads();
        previousIOErrorHandler = XSetIOErrorHandler(ioErrorHandler);
    });

    Display *display = XOpenDisplay(displayName.c_str());
    if (!display)
        return nullptr;
    int opcode = 0, firstEvent = 0, firstError = 0;
    int major = 2, minor = 1;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError)
        || XIQueryVersion(display, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1)) {
        XCloseDisplay(display);
        return nullptr;
    }

    unsigned char maskBits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(maskBits, XI_RawKeyPress);
    XISetMask(maskBits, XI_RawKeyRelease);
    XISetMask(maskBits, XI_RawButtonPress);
    XISetMask(maskBits, XI_RawButtonRelease);
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof(maskBits);
    mask.mask = maskBits;
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);

    std::unique_ptr<XInputKeySource> source(new XInputKeySource(display, opcode));
    if (!source->m_stop)
        return nullptr;
    // Modifiers already held are known, so their release counts as a change.
    char keys[32] = {};
    XQueryKeymap(display, keys);
    for (int keycode = 0; keycode < 256; ++keycode) {
        if (keys[keycode / 8] & (1 << (keycode % 8)))
            source->m_down.set(static_cast<std::size_t>(keycode));
    }
    XSync(display, False);
    return source;
}

XInputKeySource::XInputKeySource(Display *display, int xiOpcode)
    : m_display(display)
    , m_xiOpcode(xiOpcode)
    , m_stop(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    XSetIOErrorExitHandler(m_display, markLost, &m_connectionLost);
    const std::lock_guard lock(displaysMutex);
    ourDisplays.insert(m_display);
}

XInputKeySource::~XInputKeySource()
{
    // Closing a connection Xlib has declared lost can hang; a lost one stays registered (and
    // allocated) until the process ends.
    if (m_connectionLost)
        return;
    XCloseDisplay(m_display);
    const std::lock_guard lock(displaysMutex);
    ourDisplays.erase(m_display);
}

void XInputKeySource::stop()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_stop.get(), &one, sizeof(one));
}

void XInputKeySource::run(InputSink &sink)
{
    pollfd fds[2] = {{ConnectionNumber(m_display), POLLIN, 0}, {m_stop.get(), POLLIN, 0}};
    while (!m_connectionLost) {
        // Xlib may have read events into its queue already; handle those before sleeping.
        while (!m_connectionLost && XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            XGenericEventCookie *cookie = &event.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != m_xiOpcode
                || !XGetEventData(m_display, cookie))
                continue;
            if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
                const auto *raw = static_cast<const XIRawEvent *>(cookie->data);
                handleRawKey(cookie->evtype, raw->detail, (raw->flags & XIKeyRepeat) != 0, sink);
            } else if (cookie->evtype == XI_RawButtonPress || cookie->evtype == XI_RawButtonRelease) {
                const auto *raw = static_cast<const XIRawEvent *>(cookie->data);
                // A touchscreen's emulated pointer is a touch, not a click; wheel steps are buttons
                // 4 to 7 and have no PointerButton.
                const auto button = LinuxKeyCodes::buttonFromX11(raw->detail);
                if (button && !(raw->flags & XIPointerEmulated))
                    sink.handleButton(*button, cookie->evtype == XI_RawButtonPress);
            }
            XFreeEventData(m_display, cookie);
        }
        if (m_connectionLost)
            break;
        fds[0].revents = fds[1].revents = 0;
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        if (fds[1].revents & POLLIN)
            return;
    }
    plinkum::logLater("keyboard input stopped: the X server connection was lost");
}

void XInputKeySource::handleRawKey(int evtype, int keycode, bool isRepeat, InputSink &sink)
{
    if (keycode < 0 || keycode > 255)
        return;
    const auto index = static_cast<std::size_t>(keycode);
    const bool press = evtype == XI_RawKeyPress;
    const bool wasDown = m_down.test(index);
    m_down.set(index, press);

    const auto keyCode = LinuxKeyCodes::fromX11(static_cast<unsigned>(keycode));
    if (!keyCode)
        return;
    if (isModifierKey(*keyCode)) {
        const bool change = press ? !wasDown : (wasDown && *keyCode != InputEventFilter::capsLock);
        if (change)
            sink.handleModifierChanged(*keyCode);
        return;
    }
    if (press)
        sink.handleKeyDown(*keyCode, isRepeat);
    else
        sink.handleKeyUp(*keyCode);
}

} // namespace plinkum
