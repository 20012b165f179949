#include "input/EvdevReader.h"

#include "keys/InputEventFilter.h"
#include "keys/KeyCategory.h"
#include "keys/LinuxKeyCodes.h"

#include <sys/ioctl.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

namespace plinkum {

EvdevReader::EvdevReader(UniqueFd fd, KeyStateQuery query)
    : m_fd(std::move(fd))
    , m_query(std::move(query))
{
    // Keys held while we start are known, so their later release is seen as a change.
    KeyState initial;
    if (m_query && m_query(m_fd.get(), initial))
        m_state = initial;
}

bool EvdevReader::queryDeviceKeyState(int fd, KeyState &state)
{
    constexpr std::size_t bitsPerLong = sizeof(unsigned long) * CHAR_BIT;
    std::array<unsigned long, (KEY_CNT + bitsPerLong - 1) / bitsPerLong> bits{};
    if (::ioctl(fd, EVIOCGKEY(sizeof(bits)), bits.data()) < 0)
        return false;
    state.reset();
    for (std::size_t code = 0; code < KEY_CNT; ++code) {
        if (bits[code / bitsPerLong] & (1UL << (code % bitsPerLong)))
            state.set(code);
    }
    return true;
}

EvdevReader::Status EvdevReader::readAvailable(InputSink &sink)
{
    constexpr std::size_t batch = 64;
    alignas(input_event) unsigned char buffer[batch * sizeof(input_event)];
    std::memcpy(buffer, m_partial, m_partialSize);

    ssize_t n;
    do {
        n = ::read(m_fd.get(), buffer + m_partialSize, sizeof(buffer) - m_partialSize);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return Status::Open;
    if (n <= 0) { // end of stream, or ENODEV: the device was unplugged
        releaseAll(sink);
        return Status::Closed;
    }

    const std::size_t total = m_partialSize + static_cast<std::size_t>(n);
    const std::size_t whole = total / sizeof(input_event);
    for (std::size_t i = 0; i < whole; ++i) {
        input_event event;
        std::memcpy(&event, buffer + i * sizeof(input_event), sizeof(event));
        handle(event, sink);
    }
    m_partialSize = total - whole * sizeof(input_event);
    std::memcpy(m_partial, buffer + whole * sizeof(input_event), m_partialSize);
    return Status::Open;
}

void EvdevReader::handle(const input_event &event, InputSink &sink)
{
    if (event.type == EV_SYN) {
        if (event.code == SYN_DROPPED) {
            m_dropping = true;
        } else if (event.code == SYN_REPORT && m_dropping) {
            m_dropping = false;
            resync(sink);
        }
        return;
    }
    if (m_dropping || event.type != EV_KEY || event.code >= KEY_CNT)
        return;

    switch (event.value) {
    case 0:
        m_state.reset(event.code);
        break;
    case 1:
        m_state.set(event.code);
        break;
    case 2:
        break;
    default:
        return;
    }
    report(event.code, event.value, sink);
}

void EvdevReader::resync(InputSink &sink)
{
    KeyState now;
    // Without the device's state there is nothing better than what we had.
    if (m_query && m_query(m_fd.get(), now))
        moveTo(now, sink);
}

void EvdevReader::releaseAll(InputSink &sink)
{
    moveTo(KeyState{}, sink);
}

void EvdevReader::moveTo(const KeyState &target, InputSink &sink)
{
    const KeyState changed = m_state ^ target;
    if (changed.none())
        return;
    for (std::size_t code = 0; code < KEY_CNT; ++code) {
        if (changed.test(code) && !target.test(code))
            report(static_cast<unsigned>(code), 0, sink);
    }
    for (std::size_t code = 0; code < KEY_CNT; ++code) {
        if (changed.test(code) && target.test(code))
            report(static_cast<unsigned>(code), 1, sink);
    }
    m_state = target;
}

void EvdevReader::report(unsigned evdevCode, int value, InputSink &sink)
{
    if (const auto button = LinuxKeyCodes::buttonFromEvdev(evdevCode)) {
        if (value != 2)
            sink.handleButton(*button, value == 1);
        return;
    }
    const auto keyCode = LinuxKeyCodes::fromEvdev(evdevCode);
    if (!keyCode)
        return;
    if (isModifierKey(*keyCode)) {
        // A modifier's state changes on press and release; its auto-repeat changes nothing, and
        // Caps Lock reports its press only, like the toggle it is.
        const bool change = value == 1 || (value == 0 && *keyCode != InputEventFilter::capsLock);
        if (change)
            sink.handleModifierChanged(*keyCode);
        return;
    }
    if (value == 0)
        sink.handleKeyUp(*keyCode);
    else
        sink.handleKeyDown(*keyCode, value == 2);
}

} // namespace plinkum
