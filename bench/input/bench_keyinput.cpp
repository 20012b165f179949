#include "input/EvdevKeySource.h"
#include "input/EvdevReader.h"
#include "keys/InputEventFilter.h"
#include "input/KeyboardMonitor.h"
#include "keys/LinuxKeyCodes.h"
#include "input/MuteShortcut.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <vector>

using namespace plinkum;

namespace {

class CountingSink final : public InputSink {
public:
    void handleKeyDown(KeyCode code, bool) override { count += code + 1; }
    void handleKeyUp(KeyCode code) override { count += code + 1; }
    void handleModifierChanged(KeyCode code) override { count += code + 1; }
    void handleButton(PointerButton button, bool) override { count += unsigned(button) + 1; }
    std::uint64_t count = 0;
};

input_event keyRecord(unsigned code, int value)
{
    return {{}, EV_KEY, static_cast<__u16>(code), value};
}

// One press and release of a letter through the rules, handler included.
void BM_FilterPressRelease(benchmark::State &state)
{
    std::uint64_t delivered = 0;
    InputEventFilter filter([&](InputEvent e) { delivered += e.code; });
    for (auto _ : state) {
        filter.handleKeyDown(0x0E, false);
        filter.handleKeyDown(0x0E, true);
        filter.handleKeyUp(0x0E);
        filter.handleModifierChanged(56);
    }
    benchmark::DoNotOptimize(delivered);
}
BENCHMARK(BM_FilterPressRelease);

// What the mute shortcut adds to each key event on the keyboard thread: a letter pressed and
// released while a Shift is held, clock read included; no gesture completes.
void BM_MuteShortcutPerEvent(benchmark::State &state)
{
    MuteShortcut shortcut;
    std::uint64_t heard = 0;
    shortcut.handle(InputEvent::keyDown(MuteShortcut::leftShift), MuteShortcut::Clock::now());
    for (auto _ : state) {
        heard += shortcut.handle(InputEvent::keyDown(0x0E), MuteShortcut::Clock::now());
        heard += shortcut.handle(InputEvent::keyUp(0x0E), MuteShortcut::Clock::now());
    }
    benchmark::DoNotOptimize(heard);
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_MuteShortcutPerEvent);

void BM_EvdevCodeLookup(benchmark::State &state)
{
    unsigned code = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(LinuxKeyCodes::fromEvdev(code));
        code = (code + 1) & 127;
    }
}
BENCHMARK(BM_EvdevCodeLookup);

// A batch of 64 records (32 key presses/releases with SYN_REPORTs) written to a pipe and read.
void BM_EvdevReaderBatch(benchmark::State &state)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        state.SkipWithError("pipe");
        return;
    }
    UniqueFd writeEnd(fds[1]);
    EvdevReader reader{UniqueFd(fds[0])};
    std::vector<input_event> batch;
    for (int i = 0; i < 16; ++i) {
        batch.push_back(keyRecord(KEY_A + static_cast<unsigned>(i % 8), 1));
        batch.push_back({{}, EV_SYN, SYN_REPORT, 0});
        batch.push_back(keyRecord(KEY_A + static_cast<unsigned>(i % 8), 0));
        batch.push_back({{}, EV_SYN, SYN_REPORT, 0});
    }
    CountingSink sink;
    const auto bytes = batch.size() * sizeof(input_event);
    for (auto _ : state) {
        if (::write(writeEnd.get(), batch.data(), bytes) != ssize_t(bytes))
            state.SkipWithError("write");
        reader.readAvailable(sink);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(batch.size()));
    benchmark::DoNotOptimize(sink.count);
}
BENCHMARK(BM_EvdevReaderBatch);

// From a record written into a "device" to the handler running on the monitor thread.
void BM_MonitorRecordToHandler(benchmark::State &state)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        state.SkipWithError("pipe");
        return;
    }
    UniqueFd writeEnd(fds[1]);
    UniqueFd readEnd(fds[0]);
    std::atomic<std::uint64_t> delivered{0};
    KeyboardMonitor monitor([&](InputEvent) { delivered.fetch_add(1, std::memory_order_release); }, [&] {
        std::vector<UniqueFd> streams;
        streams.push_back(std::move(readEnd));
        return EvdevKeySource::fromDescriptors(std::move(streams));
    });
    monitor.start();
    bool down = true;
    for (auto _ : state) {
        const input_event records[2] = {keyRecord(KEY_A, down ? 1 : 0), {{}, EV_SYN, SYN_REPORT, 0}};
        down = !down;
        const auto target = delivered.load(std::memory_order_acquire) + 1;
        const auto start = std::chrono::steady_clock::now();
        if (::write(writeEnd.get(), records, sizeof(records)) != ssize_t(sizeof(records)))
            state.SkipWithError("write");
        while (delivered.load(std::memory_order_acquire) < target) {
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_MonitorRecordToHandler)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
