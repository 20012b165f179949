#pragma once

#include "keys/InputEventFilter.h"
#include "input/InputSource.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

namespace plinkum {

// Listens system-wide and read-only to the keyboard (and whatever else its source reports) on its
// own thread and hands each clean event (one down per press, no auto-repeat, modifiers as presses
// and releases, Caps Lock as down only) to the handler, synchronously on that thread.
class KeyboardMonitor {
public:
    using Handler = InputEventFilter::Handler;
    using SourceOpener = std::function<std::unique_ptr<InputSource>()>;
    using EndedHandler = std::function<void()>;

    // Linux caps thread names at 15 characters.
    static constexpr const char *threadName = "Plinkum.KeyMon";

    // Listens through the source KeyboardAccess picks for this process's session.
    explicit KeyboardMonitor(Handler handler);
    KeyboardMonitor(Handler handler, SourceOpener openSource);

    // Stops the source and joins the thread.
    ~KeyboardMonitor();

    KeyboardMonitor(const KeyboardMonitor &) = delete;
    KeyboardMonitor &operator=(const KeyboardMonitor &) = delete;

    // Called on the monitor thread when the source ends by itself (device or X server gone, read
    // error); never after stop(). Set before start().
    void setEndedHandler(EndedHandler handler) { m_endedHandler = std::move(handler); }

    // True when listening afterwards (now or already). False, with nothing started, when no key
    // source is available; may be called again later, also after the source has ended.
    bool start();
    // Closes the source (every device, the X connection) and joins the thread; start() opens a
    // new one. Keys and buttons held now count as released.
    void stop();

    // False once the source has ended by itself.
    bool isListening() const;
    // "evdev", "XInput2", or empty while idle.
    std::string_view sourceName() const;

private:
    void threadBody();
    void closeSource();

    SourceOpener m_openSource;
    Handler m_handler;
    EndedHandler m_endedHandler;
    mutable std::mutex m_mutex;
    // Replaced only under the mutex and while no thread runs; the thread reads them unlocked.
    std::unique_ptr<InputEventFilter> m_filter; // what one source's keys and buttons hold down
    std::unique_ptr<InputSource> m_source;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_ended{false};
};

} // namespace plinkum
