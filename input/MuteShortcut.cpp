#include "input/MuteShortcut.h"

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

bool MuteShortcut::handle(InputEvent event, Clock::time_point now)
{
    if (!event.down) {
        bool *swallow = event.isKey(leftShift)    ? &m_swallowLeftUp
                        : event.isKey(rightShift) ? &m_swallowRightUp
                        : event.isKey(scrollLock) ? &m_swallowScrollLockUp
                                                  : nullptr;
        if (event.isKey(leftShift))
            m_leftHeld = false;
        if (event.isKey(rightShift))
            m_rightHeld = false;
        if (swallow && *swallow) {
            *swallow = false;
            return false;
        }
        return true;
    }
    if (!completes(event, now))
        return true;
    if (event.isKey(leftShift))
        m_swallowLeftUp = true;
    else if (event.isKey(rightShift))
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

// Follows every press whatever the mode, so that a change of mode starts from the keyboard as it
// is. A button pressed meanwhile breaks a gesture as another key does: Shift-click is no toggle.
bool MuteShortcut::completes(InputEvent event, Clock::time_point now)
{
    const Mode mode = m_mode.load(std::memory_order_relaxed);
    const bool isShift = event.isKey(leftShift) || event.isKey(rightShift);
    const KeyCode code = event.code;

    bool bothShifts = false;
    if (isShift) {
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
    if (event.isKey(scrollLock)) {
        scrollLockTwice = m_scrollLockPending && now - m_scrollLockPressed <= doublePressGap;
        m_scrollLockPending = !scrollLockTwice;
        m_scrollLockPressed = now;
    } else {
        m_scrollLockPending = false;
    }

    return (mode == Mode::BothShifts && bothShifts) || (mode == Mode::ScrollLockTwice && scrollLockTwice);
}

} // namespace plinkum
