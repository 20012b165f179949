#include "app/Settings.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace plinkum;

// A volume slider dragged across its range assigns a few dozen values a second; each one is
// stored and synced at once.
static void settingsSyncedWrite(benchmark::State &state)
{
    QTemporaryDir dir;
    Settings settings(dir.filePath(QStringLiteral("Plinkum/Plinkum.conf")));
    double volume = 0;
    for (auto _ : state) {
        volume = volume >= 1 ? 0 : volume + 0.01;
        benchmark::DoNotOptimize(settings.store(Settings::Key::Volume, volume));
    }
}
BENCHMARK(settingsSyncedWrite)->Unit(benchmark::kMicrosecond);

static void settingsRead(benchmark::State &state)
{
    QTemporaryDir dir;
    Settings settings(dir.filePath(QStringLiteral("Plinkum/Plinkum.conf")));
    settings.store(Settings::Key::Volume, 0.3);
    for (auto _ : state)
        benchmark::DoNotOptimize(settings.value(Settings::Key::Volume));
}
BENCHMARK(settingsRead)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
