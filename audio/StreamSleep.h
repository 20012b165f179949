#pragma once

#include "audio/Mixer.h"

#include <atomic>
#include <cstddef>

namespace plinkum {

// When a sound-server output's stream sleeps and wakes. After idleFrames of silence the stream
// is paused (corked, made inactive), so nothing is asked of the process or the server and the
// sink may suspend; the next start queued on the mixer resumes it. Three threads meet here: the
// render thread counts silence and falls asleep, any thread (the keyboard's) wakes, and the
// output's loop thread, whenever fd() turns readable, pauses or resumes the stream to match
// isAsleep(). The keyboard thread only writes to an eventfd: it never waits on the loop.
//
// No press may be lost while the stream falls asleep. The keyboard thread queues a start on the
// mixer and then calls wake(); the render thread sets the flag and then looks at the mixer's
// queue. Both do it with an exchange on m_asleep, and read-modify-writes of one atomic are
// ordered one after the other:
// - the render thread's exchange comes first: wake()'s reads true, so it rings and the loop
//   resumes the stream;
// - wake()'s comes first: the render thread's reads what wake() wrote, which makes the start
//   queued before it visible (release, then acquire), so the render thread stays awake.
// A ring only says "look at the flag again": rings coalesce in the eventfd, and a loop that
// finds the flag back at false leaves the stream running.
class StreamSleep {
public:
    static constexpr std::size_t idleFrames = 3 * Mixer::sampleRate;

    StreamSleep();
    ~StreamSleep();

    StreamSleep(const StreamSleep &) = delete;
    StreamSleep &operator=(const StreamSleep &) = delete;

    // The eventfd the loop watches for input; -1 when none could be made.
    int fd() const { return m_fd; }

    // A new stream starts awake. Loop thread, while no render can run.
    void reset() noexcept;

    // Render thread, after each render of frames. Rings when the stream should go to sleep.
    void rendered(const Mixer &mixer, std::size_t frames) noexcept;

    // Any thread, after a start was queued on the mixer. Takes no lock and never blocks.
    void wake() noexcept;

    // Loop thread, when fd() is readable: clears the ring and says whether the stream should now
    // be paused.
    bool settle() noexcept;

    bool isAsleep() const noexcept { return m_asleep.load(); }

private:
    void ring() noexcept;

    int m_fd = -1;
    std::size_t m_silentFrames = 0; // render thread only
    std::atomic<bool> m_asleep{false};
};

} // namespace plinkum
