#pragma once

#include "packs/LoadedPack.h"
#include "packs/PackInfo.h"

#include <QObject>

#include <atomic>
#include <mutex>
#include <optional>
#include <thread>

namespace plinkum {

class SoundEngine;

// Loads packs into the engine, one at a time on a thread of its own. A newer request cancels
// the running load and waits until it has stopped, so only the last pack asked for reaches the
// engine; a stale result is dropped. Replaced packs are freed here on the main thread, never on
// the keyboard thread. Main thread only; the load itself touches nothing of this object but the
// result slot and the cancel flag.
class PackSwitcher : public QObject {
    Q_OBJECT

public:
    // How often a replaced pack that a voice still plays is tried again.
    static constexpr int retiredPackRetryMs = 2000;

    // Which of the engine's packs this switcher fills: the keyboard's, or the one clicks play.
    enum class Slot { Keyboard, Mouse };

    explicit PackSwitcher(SoundEngine &engine, Slot slot = Slot::Keyboard, QObject *parent = nullptr);
    // Cancels a running load; it stops within one chunk, so quitting never waits for it.
    ~PackSwitcher() override;

    // With `preview` the engine plays the new pack once it is in.
    void load(const PackInfo &pack, bool preview);
    // From the first request until the last one has finished (loaded or not).
    [[nodiscard]] bool isLoading() const { return m_isLoading; }

signals:
    void isLoadingChanged();
    // The last pack asked for has finished loading; when it failed, the engine keeps its pack.
    void finished(bool loaded);

private:
    struct Request {
        PackInfo info;
        bool preview = false;
    };

    void start(Request request);
    void takeResult();
    void releaseRetiredPacks();
    void setLoading(bool loading);

    SoundEngine &m_engine;
    Slot m_slot;
    // The result comes back under the mutex, and the thread is joined once it has been taken,
    // so nothing outlives this object.
    std::mutex m_mutex;
    std::thread m_thread;
    std::atomic<bool> m_cancelled{false};
    Request m_running;
    std::optional<Request> m_next;
    std::optional<LoadedPackPtr> m_result;
    bool m_isLoading = false;
    bool m_releaseScheduled = false;
};

} // namespace plinkum
