#pragma once

#include "keys/InputEvent.h"
#include "input/UniqueFd.h"

#include <atomic>
#include <chrono>
#include <cstdint>

namespace plinkum {

// Hears the gesture that switches the sounds on and off among the clean input events and says
// which events may still sound: a press that completes the gesture, and its release, stay silent;
// every other key or button, the gesture's first key included, plays as usual. A completed gesture is
// counted on an eventfd that the application thread watches, so the keyboard thread neither
// allocates nor waits. handle runs on the keyboard thread only; setMode and the toggle side from
// any one other thread. Nothing about the keys is kept beyond the gesture's own.
class MuteShortcut {
public:
    enum class Mode : std::uint8_t { Off, BothShifts, ScrollLockTwice };
    using Clock = std::chrono::steady_clock;

    static constexpr KeyCode leftShift = 56;
    static constexpr KeyCode rightShift = 60;
    // Scroll Lock sits where F14 is on the extended keyboards the key codes come from.
    static constexpr KeyCode scrollLock = 0x6B;
    // The longest gap between the two Scroll Lock presses.
    static constexpr std::chrono::milliseconds doublePressGap{500};

    MuteShortcut();

    void setMode(Mode mode) { m_mode.store(mode, std::memory_order_relaxed); }
    Mode mode() const { return m_mode.load(std::memory_order_relaxed); }

    // Whether the event may sound. now is the time the event was seen.
    bool handle(InputEvent event, Clock::time_point now);

    // Readable while toggles are waiting; -1 when no eventfd could be made (the shortcut then
    // stays silent but never toggles).
    int toggleNotifier() const { return m_toggles.get(); }
    // Gestures completed since the last call.
    std::uint64_t takeToggles();

private:
    bool completes(InputEvent event, Clock::time_point now);

    std::atomic<Mode> m_mode{Mode::BothShifts};
    UniqueFd m_toggles;
    bool m_leftHeld = false;
    bool m_rightHeld = false;
    // No other key has gone down since the Shift now held alone went down.
    bool m_shiftAlone = false;
    // The last Scroll Lock press, while it may still begin a double press.
    bool m_scrollLockPending = false;
    Clock::time_point m_scrollLockPressed{};
    // Releases of the presses that completed a gesture, not to be heard either.
    bool m_swallowLeftUp = false;
    bool m_swallowRightUp = false;
    bool m_swallowScrollLockUp = false;
};

} // namespace plinkum
