// Prints the figures the built-in packs are tuned against, each taken on the typing phrase
// rendered through the real engine (volume 1, stereo and pitch variation on, a fixed seed):
// where its sounds come from (pack.json's source), loudness, peak, press length and onset, the
// attack flatness of its ordinary presses, its nearest neighbour by spectral shape and the
// nearest real recording (the Mechvibes packs and the recorded built-in packs but itself); then
// the closest and median pairs and the distance matrix, and how far apart the recordings are.
// Usage: builtin_measure [PACKS_DIR [RECORDINGS_DIR]]
//        builtin_measure --phrase   (prints the phrase as a plinkum-pack render key script)
//        builtin_measure --shapes   (also prints every spectral shape, in dB per band)
//        builtin_measure --mice     (the mouse packs on the click phrase, as recorded and as built)
#include "audio/PackLoudness.h"
#include "audio/TypingPhrase.h"
#include "keys/KeyCategory.h"
#include "packs/PackLoader.h"
#include "tools/packgen/AudioFile.h"
#include "tools/packgen/MouseRecordingImport.h"
#include "tools/packgen/RecordedMouse.h"
#include "tools/packgen/SoundMeasure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace plinkum;

namespace {

struct Rendered {
    QString folder;
    QString source;
    qint64 order = 0;
    std::vector<float> stereo;
    std::vector<double> shape;
    double pressMs = 0;
    double onsetMs = 0;
    double flatness = 0; // geometric mean over the ordinary keys' presses
};

std::vector<Rendered> renderAll(const QDir &dir, bool builtIn)
{
    std::vector<Rendered> out;
    for (const QString &folder : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const auto info = PackLoader::readInfo(dir.filePath(folder), builtIn);
        // Mouse packs have no keys to type the phrase on; the tests measure them on clicks.
        if (!info || !info->keyboard)
            continue;
        const auto result = PackLoader::load(*info);
        if (!result.ok()) {
            std::fprintf(stderr, "builtin_measure: %s does not load\n", qPrintable(folder));
            continue;
        }
        Rendered r;
        r.folder = folder;
        r.order = info->order;
        QFile manifest(dir.filePath(folder + QStringLiteral("/pack.json")));
        if (manifest.open(QIODevice::ReadOnly))
            r.source = QJsonDocument::fromJson(manifest.readAll()).object().value(QStringLiteral("source")).toString();
        r.stereo = TypingPhrase::render(result.pack());
        r.shape = SoundMeasure::spectralShape(r.stereo, 2, 48000);
        // Press length and onset over the sounds of an ordinary letter.
        const SampleList &presses = result.pack()->samples(InputEvent::keyDown(0));
        for (const SamplePtr &sample : presses) {
            const auto &frames = sample->unshifted().frames();
            r.pressMs += 1000.0 * frames.size() / 48000 / presses.size();
            r.onsetMs += 1000.0 * SoundMeasure::onsetSeconds(frames, 48000) / presses.size();
        }
        // Over the ordinary keys' presses, as the tests take it.
        const SampleList &ordinary = result.pack()->down().at(KeyCategory::Standard);
        for (const SamplePtr &sample : ordinary)
            r.flatness += std::log(SoundMeasure::attackFlatness(sample->unshifted().frames(), 48000)) / ordinary.size();
        r.flatness = std::exp(r.flatness);
        out.push_back(std::move(r));
    }
    return out;
}

struct Pair {
    double distance;
    std::size_t a, b;
};

std::vector<Pair> pairs(const std::vector<Rendered> &packs)
{
    std::vector<Pair> out;
    for (std::size_t i = 0; i < packs.size(); ++i)
        for (std::size_t j = i + 1; j < packs.size(); ++j)
            out.push_back({SoundMeasure::spectralDistance(packs[i].shape, packs[j].shape), i, j});
    std::sort(out.begin(), out.end(), [](const Pair &x, const Pair &y) { return x.distance < y.distance; });
    return out;
}

std::size_t nearest(const std::vector<double> &shape, const std::vector<Rendered> &among, const QString &except,
                    double *distance)
{
    std::size_t best = 0;
    *distance = HUGE_VAL;
    for (std::size_t j = 0; j < among.size(); ++j) {
        const double d = SoundMeasure::spectralDistance(shape, among[j].shape);
        if (among[j].folder != except && d < *distance)
            *distance = d, best = j;
    }
    return best;
}

void printPairs(const char *what, const std::vector<Rendered> &packs)
{
    const auto all = pairs(packs);
    if (all.empty())
        return;
    const Pair &low = all.front();
    const Pair &median = all[all.size() / 2];
    std::printf("%s: closest %s / %s %.2f, median %s / %s %.2f (%zu pairs)\n", what, qPrintable(packs[low.a].folder),
                qPrintable(packs[low.b].folder), low.distance, qPrintable(packs[median.a].folder),
                qPrintable(packs[median.b].folder), median.distance, all.size());
}

// Each mouse pack's click phrase: as recorded (cut, cleaned and its buttons balanced, before
// any scaling) and as built, with the built phrase's and sound files' peaks.
int printMice(const QDir &packs)
{
    std::printf("%-32s %12s %9s %16s %15s\n", "pack", "recorded LUFS", "built LUFS", "phrase peak dBFS", "file peak dBFS");
    const QTemporaryDir scratch;
    for (const RecordedMouse &mouse : recordedMice()) {
        PackWriter writer(mouse.name, QStringLiteral("Mouse"), mouse.order);
        MouseRecordingImport::Report report;
        QString error;
        const QString recorded = QDir(scratch.path()).filePath(mouse.folder);
        if (!MouseRecordingImport::build(QDir(QStringLiteral(PLINKUM_MOUSE_CLICKS_DIR)).filePath(mouse.source), writer, &report)
            || !writer.write(recorded, &error))
            return 1;
        const auto info = PackLoader::readInfo(packs.filePath(mouse.folder), true);
        if (!info)
            return 1;
        const auto built = PackLoader::load(*info);
        if (!built.ok())
            return 1;
        const std::vector<float> played = TypingPhrase::render(built.pack());
        float filePeak = 0;
        const QDir folder(packs.filePath(mouse.folder));
        for (const QString &file : folder.entryList({QStringLiteral("*.flac")}, QDir::Files))
            if (const auto audio = AudioFile::read(folder.filePath(file)))
                filePeak = std::max(filePeak, SoundMeasure::peak(audio->frames));
        std::printf("%-32s %12.2f %9.2f %16.2f %15.2f\n", qPrintable(mouse.folder),
                    PackLoudness::phraseLoudness(recorded, true).value_or(-HUGE_VAL),
                    PackLoudness::loudness(played, 2, 48000), 20 * std::log10(SoundMeasure::peak(played)),
                    20 * std::log10(filePeak));
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == QLatin1String("--phrase")) {
        for (const auto &event : TypingPhrase::events())
            std::printf("%02u:%s@%d ", event.keyCode, event.down ? "down" : "up", event.milliseconds);
        std::printf("\n");
        return 0;
    }
    QStringList args = app.arguments().mid(1);
    if (args.removeAll(QStringLiteral("--mice")) > 0)
        return printMice(QDir(args.value(0, QStringLiteral(PLINKUM_BUILTIN_PACKS_DIR))));
    const bool shapes = args.removeAll(QStringLiteral("--shapes")) > 0;
    auto builtIn = renderAll(QDir(args.value(0, QStringLiteral(PLINKUM_BUILTIN_PACKS_DIR))), true);
    std::sort(builtIn.begin(), builtIn.end(), [](const auto &a, const auto &b) { return a.order < b.order; });
    const auto mechvibes = renderAll(QDir(args.value(1, QStringLiteral(PLINKUM_RECORDINGS_DIR))), false);
    auto real = mechvibes;
    for (const Rendered &pack : builtIn) {
        if (pack.source == QLatin1String("recorded"))
            real.push_back(pack);
    }

    std::printf("%-16s %-8s %7s %9s %8s %8s %8s %-16s %5s %-24s %5s\n", "pack", "source", "LUFS", "peak dBFS",
                "press ms", "onset ms", "flatness", "nearest", "dist", "nearest recording", "dist");
    for (const Rendered &pack : builtIn) {
        double d = 0, dr = 0;
        const std::size_t n = nearest(pack.shape, builtIn, pack.folder, &d);
        const std::size_t r = nearest(pack.shape, real, pack.folder, &dr);
        std::printf("%-16s %-8s %7.2f %9.2f %8.1f %8.2f %8.4f %-16s %5.2f %-24s %5.2f\n", qPrintable(pack.folder),
                    qPrintable(pack.source), PackLoudness::loudness(pack.stereo, 2, 48000),
                    20 * std::log10(std::max(SoundMeasure::peak(pack.stereo), 1e-9f)), pack.pressMs, pack.onsetMs,
                    pack.flatness, qPrintable(builtIn[n].folder), d, qPrintable(real[r].folder), dr);
    }
    std::printf("\n");
    printPairs("built-in packs", builtIn);
    printPairs("recordings", real);
    printPairs("Mechvibes recordings", mechvibes);
    for (const Rendered &pack : mechvibes)
        std::printf("%-24s flatness %.4f\n", qPrintable(pack.folder), pack.flatness);

    std::printf("\nspectral distance on the phrase\n%-16s", "");
    for (const Rendered &pack : builtIn)
        std::printf(" %5.5s", qPrintable(pack.folder));
    std::printf("\n");
    for (const Rendered &a : builtIn) {
        std::printf("%-16s", qPrintable(a.folder));
        for (const Rendered &b : builtIn)
            std::printf(" %5.2f", SoundMeasure::spectralDistance(a.shape, b.shape));
        std::printf("\n");
    }
    if (shapes) {
        std::printf("\nspectral shapes (dB, 150 Hz to 20 kHz)\n");
        for (const std::vector<Rendered> *set : {static_cast<const std::vector<Rendered> *>(&builtIn), &mechvibes}) {
            for (const Rendered &pack : *set) {
                std::printf("%-24.24s", qPrintable(pack.folder));
                for (double v : pack.shape)
                    std::printf("%4.0f", 20 * v);
                std::printf("\n");
            }
        }
    }
    return 0;
}
