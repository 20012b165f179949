#pragma once

#include "keys/InputSink.h"
#include "input/UniqueFd.h"

#include <linux/input.h>

#include <bitset>
#include <cstddef>
#include <functional>

namespace plinkum {

// Reads raw `struct input_event` records from one evdev node (or any stream of such records) and
// reports its keys and pointer buttons to an InputSink: value 1 press, 2 auto-repeat, 0 release;
// modifiers as one change per press and per release (Caps Lock: press only, repeats never). Keys
// without a key code and buttons that are not clicks (touch, tool, stylus) are dropped.
//
// It keeps the device's key state so it can recover from SYN_DROPPED (the kernel's buffer
// overran): it skips to the next SYN_REPORT, asks the device for its key state and reports the
// difference, releases first. When the device goes away, keys and buttons still held are reported
// released, so nothing stays stuck down.
class EvdevReader {
public:
    using KeyState = std::bitset<KEY_CNT>;
    // Fills the current key state of fd; false when it cannot be known.
    using KeyStateQuery = std::function<bool(int fd, KeyState &state)>;

    enum class Status { Open, Closed };

    explicit EvdevReader(UniqueFd fd, KeyStateQuery query = queryDeviceKeyState);

    int fd() const { return m_fd.get(); }
    const KeyState &keyState() const { return m_state; }

    // One read() of whatever is available; call when the fd is readable. Closed: end of stream
    // or the device is gone (held keys have been released).
    Status readAvailable(InputSink &sink);

    // Reports every held key as released and forgets it.
    void releaseAll(InputSink &sink);

    // EVIOCGKEY on a real evdev node.
    static bool queryDeviceKeyState(int fd, KeyState &state);

private:
    void handle(const input_event &event, InputSink &sink);
    void resync(InputSink &sink);
    void moveTo(const KeyState &target, InputSink &sink);
    static void report(unsigned evdevCode, int value, InputSink &sink);

    UniqueFd m_fd;
    KeyStateQuery m_query;
    KeyState m_state;
    bool m_dropping = false;
    // A record split across reads (possible on pipes, never on evdev nodes).
    unsigned char m_partial[sizeof(input_event)] = {};
    std::size_t m_partialSize = 0;
};

} // namespace plinkum
