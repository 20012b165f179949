#include "audio/StreamSleep.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace plinkum {

StreamSleep::StreamSleep() : m_fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

StreamSleep::~StreamSleep()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void StreamSleep::reset() noexcept
{
    m_asleep = false;
    m_silentFrames = 0;
}

void StreamSleep::rendered(const Mixer &mixer, std::size_t frames) noexcept
{
    if (!mixer.isSilent()) {
        m_silentFrames = 0;
        return;
    }
    m_silentFrames += frames;
    if (m_silentFrames < idleFrames || m_asleep.load())
        return;
    m_asleep.exchange(true);
    if (mixer.hasPendingStarts()) {
        m_asleep.exchange(false);
        return;
    }
    m_silentFrames = 0;
    ring();
}

void StreamSleep::wake() noexcept
{
    if (m_asleep.exchange(false))
        ring();
}

bool StreamSleep::settle() noexcept
{
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = ::read(m_fd, &count, sizeof count);
    return m_asleep.load();
}

void StreamSleep::ring() noexcept
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_fd, &one, sizeof one);
}

} // namespace plinkum
