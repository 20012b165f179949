// Loading all 21 built-in packs, as selecting each of them in turn would: the document, then
// every file decoded, trimmed and turned into its five pitch variants.
#include "packs/PackLoader.h"

#include <benchmark/benchmark.h>

#include <QDir>

using namespace plinkum;

static void BM_LoadAllBuiltInPacks(benchmark::State &state)
{
    const QDir packs(QStringLiteral(PLINKUM_BUILTIN_PACKS_DIR));
    std::vector<PackInfo> infos;
    for (const QString &folder : packs.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (auto info = PackLoader::readInfo(packs.filePath(folder), true))
            infos.push_back(*info);
    }
    if (infos.size() != 21) {
        state.SkipWithError("expected 21 built-in packs; build the builtin_packs target");
        return;
    }
    for (auto _ : state) {
        for (const PackInfo &info : infos) {
            const auto result = PackLoader::load(info);
            if (!result.ok()) {
                state.SkipWithError("a built-in pack failed to load");
                return;
            }
            benchmark::DoNotOptimize(result.pack());
        }
    }
    state.counters["packs"] = static_cast<double>(infos.size());
}
BENCHMARK(BM_LoadAllBuiltInPacks)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
