#include "common/Log.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include <pthread.h>
#include <syslog.h>

namespace plinkum {

namespace {

// Lines queued by logLater, written in order by one thread that starts with the first line and
// is joined at exit, after writing what is left.
class LaterLines {
public:
    ~LaterLines()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_one();
        if (m_writer.joinable())
            m_writer.join();
    }

    void push(std::string line)
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_lines.size() >= maxBacklog)
                return;
            m_lines.push_back(std::move(line));
            if (!m_writer.joinable())
                m_writer = std::thread([this] { write(); });
        }
        m_wake.notify_one();
    }

private:
    static constexpr std::size_t maxBacklog = 64;

    void write()
    {
        // A new thread takes the name of the one that made it, the keyboard thread here.
        pthread_setname_np(pthread_self(), "plinkum-log");
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopping || !m_lines.empty(); });
            while (!m_lines.empty()) {
                const std::string line = std::move(m_lines.front());
                m_lines.pop_front();
                lock.unlock();
                log(line);
                lock.lock();
            }
            if (m_stopping)
                return;
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::string> m_lines;
    std::thread m_writer;
    bool m_stopping = false;
};

} // namespace

void log(std::string_view message)
{
    static std::once_flag opened;
    std::call_once(opened, [] { openlog("plinkum", LOG_PID, LOG_USER); });

    std::string line = "Plinkum: ";
    line.reserve(line.size() + message.size());
    // Messages carry names from packs: control characters would split a journal entry (newline)
    // or drive the terminal showing it (escape sequences), so none gets through. C1 controls are
    // dropped in their UTF-8 form (C2 80 to C2 9F) as well.
    for (std::size_t i = 0; i < message.size(); ++i) {
        const auto c = static_cast<unsigned char>(message[i]);
        if (c == 0xc2 && i + 1 < message.size() && static_cast<unsigned char>(message[i + 1]) >= 0x80
            && static_cast<unsigned char>(message[i + 1]) <= 0x9f) {
            line += '?';
            ++i;
        } else if (c == '\n' || c == '\r' || c == '\t') {
            line += ' ';
        } else if (c < 0x20 || c == 0x7f) {
            line += '?';
        } else {
            line += static_cast<char>(c);
        }
    }
    std::fprintf(stderr, "%s\n", line.c_str());
    syslog(LOG_NOTICE, "%s", line.c_str() + 9);
}

void logLater(std::string message)
{
    static LaterLines lines;
    lines.push(std::move(message));
}

} // namespace plinkum
