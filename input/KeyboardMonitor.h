#pragma once

#include "KeyEvent.h"
#include "KeyEventFilter.h"
#include "KeySource.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

namespace plinkum {

// Listens system-wide and read-only to the keyboard on its own thread and hands each clean key
// event (one down per press, no auto-repeat, modifiers as presses and releases, Caps Lock as down
// only) to the handler, synchronously on that thread.
class KeyboardMonitor {
public:
    using Event = KeyEvent;
    using Handler = std::function<void(Event)>;
    using SourceOpener = std::function<std::unique_ptr<KeySource>()>;

    // Linux caps thread names at 15 characters.
    static constexpr const char *threadName = "Plinkum.KeyMon";

    // Listens through the source KeyboardAccess picks for this process's session.
    explicit KeyboardMonitor(Handler handler);
    KeyboardMonitor(Handler handler, SourceOpener openSource);

    // Stops the source and joins the thread; the application keeps its monitor until exit.
    ~KeyboardMonitor();

    KeyboardMonitor(const KeyboardMonitor &) = delete;
    KeyboardMonitor &operator=(const KeyboardMonitor &) = delete;

    // True when listening afterwards (now or already). False, with nothing started, when no key
    // source is available; may be called again later.
    bool start();

    bool isListening() const;
    // "evdev", "XInput2", or empty while idle.
    std::string_view sourceName() const;

private:
    void threadBody();

    SourceOpener m_openSource;
    KeyEventFilter m_filter; // holds the handler and the pressed set; monitor thread only
    mutable std::mutex m_mutex;
    std::unique_ptr<KeySource> m_source; // set once, never replaced
    std::thread m_thread;
};

} // namespace plinkum
