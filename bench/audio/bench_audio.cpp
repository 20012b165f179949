#include "audio/NullOutput.h"
#include "audio/PulseOutput.h"
#include "audio/SoundEngine.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>

using namespace plinkum;

namespace {
thread_local bool counting = false;
std::size_t allocations = 0;
} // namespace

void *operator new(std::size_t size)
{
    if (counting)
        ++allocations;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

// A pack like a real one: per-category lists of a few recordings with five pitch variants.
LoadedPackPtr pack(std::size_t frames)
{
    LoadedPack::CategoryMap down;
    LoadedPack::CategoryMap up;
    for (KeyCategory category : allKeyCategories) {
        for (int i = 0; i < 4; ++i) {
            auto sample = std::make_shared<Sample>();
            for (int v = 0; v < 5; ++v)
                sample->variants.emplace_back(std::vector<float>(frames, 0.25f + 0.01f * v));
            down[category].push_back(sample);
            up[category].push_back(sample);
        }
    }
    return std::make_shared<LoadedPack>(PackInfo{}, std::move(down), std::move(up), LoadedPack::KeyMap{},
                                        LoadedPack::KeyMap{});
}

void play(benchmark::State &state)
{
    SoundEngine engine(24, nullptr, 1);
    engine.setPack(pack(4800));
    std::array<float, 2> frame{};
    allocations = 0;
    std::size_t n = 0;
    for (auto _ : state) {
        counting = true;
        engine.play(InputEvent::key(KeyCode(n % 60), n % 2 == 0));
        counting = false;
        // Drain the command ring now and then, as the audio thread would.
        if (++n % 64 == 0)
            engine.mixer().render(frame.data(), 1);
    }
    state.counters["allocations"] = static_cast<double>(allocations);
}
BENCHMARK(play);

void callback24Voices(benchmark::State &state)
{
    SoundEngine engine(24, nullptr, 1);
    engine.setPack(pack(48000 * 10));
    std::array<float, 2 * Mixer::periodFrames> block{};
    std::size_t n = 0;
    for (auto _ : state) {
        if (n++ % 1024 == 0) {
            for (int v = 0; v < 24; ++v)
                engine.play(InputEvent::keyDown(KeyCode(v)));
        }
        engine.mixer().render(block.data(), Mixer::periodFrames);
        benchmark::DoNotOptimize(block.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * Mixer::periodFrames);
}
BENCHMARK(callback24Voices);

// From play() returning to the end of the render that produced the sound's first sample, as
// seen inside the process: the wait for the output's next request.
void keyToFirstSample(benchmark::State &state, bool pulseAudio)
{
    std::unique_ptr<AudioOutput> output;
    if (pulseAudio)
        output = std::make_unique<PulseOutput>();
    else
        output = std::make_unique<NullOutput>();
    SoundEngine engine(24, std::move(output), 1);
    engine.setPack(pack(3 * Mixer::periodFrames));
    if (!engine.start()) {
        state.SkipWithError("the output did not start");
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (auto _ : state) {
        const std::size_t voice = engine.nextVoice();
        const auto start = std::chrono::steady_clock::now();
        engine.play(InputEvent::keyDown(0));
        while (!engine.mixer().isPlaying(voice))
            std::this_thread::yield();
        const auto heard = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(heard - start).count());
        while (engine.mixer().isPlaying(voice))
            std::this_thread::yield();
        // Start at a random point in the output's period, as a key press would.
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + std::rand() % 5000));
    }
}
BENCHMARK_CAPTURE(keyToFirstSample, null_output, false)
    ->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(keyToFirstSample, pulseaudio, true)
    ->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
