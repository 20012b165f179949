// The audio thread keeps the real-time contract: no allocation, free or lock, and under seccomp strict mode no system call.

#include "audio/SoundEngine.h"
#include "audio/StreamSleep.h"
#include "tests/support/TestPacks.h"

#include <QtTest>

#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <linux/seccomp.h>
#include <new>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PLINKUM_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define PLINKUM_SANITIZED 1
#endif
#endif

namespace {
thread_local bool armed = false;
std::atomic<int> allocations{0};
std::atomic<int> frees{0};
std::atomic<int> locks{0};
} // namespace

void *operator new(std::size_t size)
{
    if (armed)
        ++allocations;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept
{
    if (armed && p)
        ++frees;
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    operator delete(p);
}

extern "C" int pthread_mutex_lock(pthread_mutex_t *mutex)
{
    using Lock = int (*)(pthread_mutex_t *);
    static const Lock real = reinterpret_cast<Lock>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    if (armed)
        ++locks;
    return real(mutex);
}

using namespace plinkum;

namespace {

LoadedPackPtr bigPack()
{
    SampleList list;
    for (int i = 0; i < 8; ++i)
        list.push_back(TestPacks::constant({0.1f, 0.2f, 0.3f, 0.4f, 0.5f}, 2000 + 100 * i));
    return std::make_shared<LoadedPack>(PackInfo{}, LoadedPack::CategoryMap{{KeyCategory::Standard, list}},
                                        LoadedPack::CategoryMap{{KeyCategory::Standard, list}}, LoadedPack::KeyMap{}, LoadedPack::KeyMap{});
}

} // namespace

class TestRealtimeMixer : public QObject {
    Q_OBJECT

private slots:
    // The counters see operator new and pthread_mutex_lock; seccomp strict mode catches every other call.
    void renderKeepsTheRealtimeContract()
    {
        SoundEngine engine(24, nullptr, 1);
        engine.setPack(bigPack());
        // Clicks play the keyboard pack's lent key sound; a mouse pack is swapped beside it.
        SoundEngine::Config config = engine.config();
        config.mouseFromKeyboardPack = true;
        config.lendKeySound = true;
        engine.setConfig(config);
        engine.setMousePack(bigPack());
        StreamSleep sleep;
        std::atomic<bool> audioDone{false};
        std::thread audio([&] {
            std::array<float, Mixer::periodFrames * Mixer::channelCount> block{};
#ifndef PLINKUM_SANITIZED
            if (prctl(PR_SET_SECCOMP, SECCOMP_MODE_STRICT) != 0)
                std::abort();
#endif
            armed = true;
            for (int i = 0; i < 3000; ++i) {
                engine.mixer().render(block.data(), Mixer::periodFrames);
                sleep.rendered(engine.mixer(), Mixer::periodFrames);
            }
            armed = false;
            audioDone = true;
#ifndef PLINKUM_SANITIZED
            // Strict mode kills a normal thread exit; the kernel still clears the thread id join waits for.
            syscall(SYS_exit, 0);
#endif
        });
        // Play and swap packs on this thread while the audio thread renders.
        for (int n = 0; !audioDone.load(); std::this_thread::yield()) {
            engine.play(n % 3 == 0 ? InputEvent::button(PointerButton(n % 5), n % 2 == 0) : InputEvent::key(KeyCode(n % 50), n % 2 == 0));
            sleep.wake();
            if (++n % 200 == 0)
                engine.setPack(bigPack());
            if (n % 300 == 0)
                engine.setMousePack(bigPack());
        }
        audio.join();
        QCOMPARE(allocations.load(), 0);
        QCOMPARE(frees.load(), 0);
        QCOMPARE(locks.load(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRealtimeMixer)
#include "tst_realtimemixer.moc"
