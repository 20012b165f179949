// Loading each testdata pack, beside libsndfile alone decoding the same audio files. The load
// should take at most 1.5 times the bare decode: everything it adds (mixing to mono, converting
// the rate, trimming, slicing, five variants per sample) must stay small beside decoding.
// A hostile pack.json of 1,025 missing names many folders deep (4 MB) loads in well under 1 s.

#include "packs/PackLoader.h"
#include "packs/SampleDecoding.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <vector>

using namespace plinkum;

namespace {

const QString packsDir = QStringLiteral(PLINKUM_DATA_DIR "/mechvibes");

// The testdata packs use every audio file they hold, so the bare decode reads them all.
QStringList audioFiles(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, {"*.ogg", "*.wav", "*.mp3"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    return files;
}

void bareDecode(benchmark::State &state, const QStringList &files)
{
    std::vector<float> buffer;
    for (auto _ : state) {
        for (const QString &file : files) {
            SF_INFO info{};
            SNDFILE *sf = sf_open(QFile::encodeName(file).constData(), SFM_READ, &info);
            buffer.resize(std::size_t(16384) * std::size_t(info.channels));
            while (sf_readf_float(sf, buffer.data(), 16384) > 0)
                benchmark::DoNotOptimize(buffer.data());
            sf_close(sf);
        }
    }
}

void load(benchmark::State &state, const PackInfo &info)
{
    for (auto _ : state) {
        const PackLoader::LoadResult result = PackLoader::load(info);
        if (!result.ok())
            state.SkipWithError("pack did not load");
        benchmark::DoNotOptimize(result.pack().get());
    }
}

void resampleSecond(benchmark::State &state)
{
    const std::vector<float> samples(48000, 0.5f);
    for (auto _ : state)
        benchmark::DoNotOptimize(PackLoader::resample(samples, 1.02).data());
    state.SetItemsProcessed(state.iterations() * 48000);
}
BENCHMARK(resampleSecond);

void variants200ms(benchmark::State &state)
{
    const std::vector<float> samples(9600, 0.5f);
    for (auto _ : state)
        benchmark::DoNotOptimize(PackLoader::makeVariants(samples).data());
}
BENCHMARK(variants200ms);

} // namespace

int main(int argc, char **argv)
{
    for (const QString &name : QDir(packsDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString folder = packsDir + '/' + name;
        const std::optional<PackInfo> info = PackLoader::readInfo(folder, false);
        if (!info)
            continue;
        const QStringList files = audioFiles(folder);
        benchmark::RegisterBenchmark(("bareDecode/" + name).toStdString().c_str(), bareDecode, files)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("load/" + name).toStdString().c_str(), load, *info)->Unit(benchmark::kMillisecond);
    }
    // Missing names within the depth taken (each folder looked at once) and far beyond it.
    const QTemporaryDir hostile;
    for (int depth : {62, 2000}) {
        const QString folder = hostile.filePath(QString::number(depth));
        QByteArray json = R"({"name": "Deep", "down": {"standard": [)";
        for (int i = 0; i < 1025; ++i)
            json += '"' + QByteArray("d/").repeated(depth) + QByteArray::number(i) + ".wav\", ";
        QFile document(folder + "/pack.json");
        if (!QDir().mkpath(folder) || !QFile::copy(packsDir + "/nk-cream/a.wav", folder + "/a.wav")
            || !document.open(QIODevice::WriteOnly) || document.write(json + R"("a.wav"]}})") < 0)
            return 1;
        document.close();
        const PackInfo info{"folder:deep", "Deep", std::nullopt, 0, QUrl::fromLocalFile(folder), false};
        benchmark::RegisterBenchmark(("load/missing-names-" + std::to_string(depth) + "-deep").c_str(), load, info)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
