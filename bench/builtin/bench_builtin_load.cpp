// Decoding every sound file of all 21 built-in packs, the part of pack loading these packs decide.
#include "AudioFile.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QDirIterator>

using namespace plinkum;

static void BM_DecodeAllBuiltInPacks(benchmark::State &state)
{
    QStringList files;
    QDirIterator it(QStringLiteral(PLINKUM_BUILTIN_PACKS_DIR), {QStringLiteral("*.flac")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    std::size_t frames = 0;
    for (auto _ : state) {
        frames = 0;
        for (const QString &file : files) {
            auto audio = AudioFile::read(file);
            frames += audio ? audio->frames.size() : 0;
            benchmark::DoNotOptimize(audio);
        }
    }
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["frames"] = static_cast<double>(frames);
}
BENCHMARK(BM_DecodeAllBuiltInPacks)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
