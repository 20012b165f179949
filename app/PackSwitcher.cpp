#include "app/PackSwitcher.h"

#include "audio/PackLoudness.h"
#include "packs/PackLoader.h"
#include "audio/SoundEngine.h"

#include <QTimer>

namespace plinkum {

PackSwitcher::PackSwitcher(SoundEngine &engine, Slot slot, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
    , m_slot(slot)
{
}

PackSwitcher::~PackSwitcher()
{
    m_cancelled = true;
    if (m_thread.joinable())
        m_thread.join();
}

void PackSwitcher::load(const PackInfo &pack, bool preview)
{
    setLoading(true);
    if (!m_thread.joinable()) {
        start({pack, preview});
        return;
    }
    // The running load already brings this pack: it only has to play the preview as well.
    if (!m_next && m_running.info == pack) {
        m_running.preview = m_running.preview || preview;
        return;
    }
    m_cancelled = true;
    const bool previewAsked = m_next && m_next->info == pack && m_next->preview;
    m_next = Request{pack, preview || previewAsked};
}

void PackSwitcher::start(Request request)
{
    m_cancelled = false;
    m_running = std::move(request);
    m_thread = std::thread([this, info = m_running.info] {
        LoadedPackPtr pack;
        try {
            PackInfo levelled = info;
            // An imported pack whose level was never stored (lost, or copied in by hand) is measured
            // now, once: the file then holds it.
            if (!info.isBuiltIn && !info.loudnessGainDb) {
                if (const auto level = PackLoudness::measure(info.url.toLocalFile(), &m_cancelled)) {
                    levelled.loudnessGainDb = level->gainDb;
                    levelled.trimDb = level->trimDb.value_or(info.trimDb);
                }
            }
            pack = PackLoader::load(levelled, nullptr, &m_cancelled).pack();
        } catch (...) {
            // Cancelled, or failed: the engine keeps the pack it has.
        }
        std::lock_guard lock(m_mutex);
        m_result = std::move(pack);
        QMetaObject::invokeMethod(this, &PackSwitcher::takeResult, Qt::QueuedConnection);
    });
}

void PackSwitcher::takeResult()
{
    std::optional<LoadedPackPtr> result;
    {
        std::lock_guard lock(m_mutex);
        result.swap(m_result);
    }
    if (!result)
        return;
    m_thread.join();
    if (m_next) {
        // Another pack was asked for while this one loaded: this result is not wanted.
        Request next = std::move(*m_next);
        m_next.reset();
        start(std::move(next));
        return;
    }
    setLoading(false);
    const bool loaded = *result != nullptr;
    if (loaded) {
        const bool mouse = m_slot == Slot::Mouse;
        if (mouse)
            m_engine.setMousePack(std::move(*result));
        else
            m_engine.setPack(std::move(*result));
        if (m_running.preview)
            m_engine.play(mouse ? InputEvent::button(PointerButton::Left, true) : InputEvent::keyDown(0));
        releaseRetiredPacks();
    }
    emit finished(loaded);
}

void PackSwitcher::releaseRetiredPacks()
{
    // A pack a voice still plays is tried again later; no timer runs once none waits.
    m_releaseScheduled = false;
    if (!m_engine.releaseRetiredPacks() || m_releaseScheduled)
        return;
    m_releaseScheduled = true;
    QTimer::singleShot(retiredPackRetryMs, this, &PackSwitcher::releaseRetiredPacks);
}

void PackSwitcher::setLoading(bool loading)
{
    if (m_isLoading == loading)
        return;
    m_isLoading = loading;
    emit isLoadingChanged();
}

} // namespace plinkum
