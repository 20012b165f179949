#include "MuteShortcut.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace plinkum {

MuteShortcut::MuteShortcut()
    : m_toggles(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

std::uint64_t MuteShortcut::takeToggles()
{
    std::uint64_t count = 0;
    if (!m_toggles || read(m_toggles.get(), &count, sizeof count) != sizeof count)
        return 0;
    return count;
}

bool MuteShortcut::handle(KeyEvent event, Clock::time_point now)
{
    const bool down = event.type == KeyEvent::Type::Down;
    if (!down) {
        bool *swallow = event.keyCode == leftShift    ? &m_swallowLeftUp
                        : event.keyCode == rightShift ? &m_swallowRightUp
                        : event.keyCode == scrollLock ? &m_swallowScrollLockUp
                                                      : nullptr;
        if (event.keyCode == leftShift)
            m_leftHeld = false;
        if (event.keyCode == rightShift)
            m_rightHeld = false;
        if (swallow && *swallow) {
            *swallow = false;
            return false;
        }
        return true;
    }
    if (!completes(event, now))
        return true;
    if (event.keyCode == leftShift)
        m_swallowLeftUp = true;
    else if (event.keyCode == rightShift)
        m_swallowRightUp = true;
    else
        m_swallowScrollLockUp = true;
    if (m_toggles) {
        const std::uint64_t one = 1;
        // Fails only when the count would overflow, long after anyone could notice.
        [[maybe_unused]] const ssize_t written = write(m_toggles.get(), &one, sizeof one);
    }
    return false;
}

// Follows every press whatever the mode, so that a change of mode starts from the keyboard as it is.
bool MuteShortcut::completes(KeyEvent event, Clock::time_point now)
{
    const Mode mode = m_mode.load(std::memory_order_relaxed);
    const KeyCode code = event.keyCode;

    bool bothShifts = false;
    if (code == leftShift || code == rightShift) {
        const bool otherHeld = code == leftShift ? m_rightHeld : m_leftHeld;
        bothShifts = otherHeld && m_shiftAlone;
        // Only a Shift pressed with nothing else held starts a gesture; after one, both must
        // be let go before the next.
        m_shiftAlone = !otherHeld;
        (code == leftShift ? m_leftHeld : m_rightHeld) = true;
    } else {
        m_shiftAlone = false;
    }

    bool scrollLockTwice = false;
    if (code == scrollLock) {
        scrollLockTwice = m_scrollLockPending && now - m_scrollLockPressed <= doublePressGap;
        m_scrollLockPending = !scrollLockTwice;
        m_scrollLockPressed = now;
    } else {
        m_scrollLockPending = false;
    }

    return (mode == Mode::BothShifts && bothShifts) || (mode == Mode::ScrollLockTwice && scrollLockTwice);
}

} // namespace plinkum
