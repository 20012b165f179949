#include "input/KeyboardMonitor.h"

#include "input/KeyboardAccess.h"
#include "common/Log.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace plinkum {
namespace {

// The highest priority granted without asking anyone: a low real-time priority where the limits
// allow it (RLIMIT_RTPRIO, as audio users often have), else the lowest nice value RLIMIT_NICE
// allows. A low real-time priority is enough to run ahead of ordinary work and stays below sound
// servers. Both fail quietly for ordinary users with default limits.
void raiseCurrentThreadPriority()
{
    sched_param param{};
    param.sched_priority = std::max(sched_get_priority_min(SCHED_FIFO), 1);
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0)
        return;

    rlimit limit{};
    if (getrlimit(RLIMIT_NICE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return;
    // RLIMIT_NICE r allows nice values down to 20 - r.
    const int lowest = std::clamp(20 - static_cast<int>(limit.rlim_cur), -20, 19);
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    if (errno == 0 && lowest < current)
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), lowest);
}

} // namespace

KeyboardMonitor::KeyboardMonitor(Handler handler)
    : KeyboardMonitor(std::move(handler), [] {
        std::string reason;
        auto source = KeyboardAccess::openSource(KeyboardAccess::Environment::fromProcess(), &reason);
        if (source)
            plinkum::log("keyboard monitor listening through " + reason);
        return source;
    })
{
}

KeyboardMonitor::KeyboardMonitor(Handler handler, SourceOpener openSource)
    : m_openSource(std::move(openSource))
    , m_handler(std::move(handler))
{
}

KeyboardMonitor::~KeyboardMonitor()
{
    stop();
}

bool KeyboardMonitor::start()
{
    const std::lock_guard lock(m_mutex);
    if (m_source && !m_ended.load())
        return true;
    closeSource();
    std::unique_ptr<InputSource> source = m_openSource();
    if (!source)
        return false;
    m_source = std::move(source);
    // A fresh pressed set: keys released while nothing listened must not swallow their next press.
    m_filter = std::make_unique<InputEventFilter>(m_handler);
    m_stopping = false;
    m_ended = false;
    m_thread = std::thread([this] { threadBody(); });
    // Named from here so the name is there as soon as start returns.
    pthread_setname_np(m_thread.native_handle(), threadName);
    return true;
}

void KeyboardMonitor::stop()
{
    const std::lock_guard lock(m_mutex);
    closeSource();
}

void KeyboardMonitor::closeSource()
{
    if (!m_source)
        return;
    m_stopping = true;
    m_source->stop();
    if (m_thread.joinable())
        m_thread.join();
    m_source.reset();
    m_filter.reset();
}

bool KeyboardMonitor::isListening() const
{
    const std::lock_guard lock(m_mutex);
    return m_source != nullptr && !m_ended.load();
}

std::string_view KeyboardMonitor::sourceName() const
{
    const std::lock_guard lock(m_mutex);
    return m_source && !m_ended.load() ? m_source->name() : std::string_view();
}

void KeyboardMonitor::threadBody()
{
    raiseCurrentThreadPriority();
    m_source->run(*m_filter);
    if (m_stopping.load())
        return;
    m_ended = true;
    if (m_endedHandler)
        m_endedHandler();
}

} // namespace plinkum
