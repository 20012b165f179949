// Prints, for every built-in pack: the loudness of a typing run, the press-sound length, onset
// and peak, and each pack's spectral distance to its nearest neighbour; then the full distance
// matrix. Usage: builtin_measure [PACKS_DIR]
#include "AudioFile.h"
#include "SoundMeasure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

using namespace plinkum;

namespace {

struct PackSounds {
    QString folder;
    qint64 order = 0;
    int sampleRate = 0;
    std::vector<std::vector<float>> presses;  // down.standard
    std::vector<std::vector<float>> releases; // up.standard
    std::vector<std::vector<float>> all;      // every file of the pack
    std::vector<QString> allNames;
};

std::vector<std::vector<float>> decode(const QDir &dir, const QJsonArray &files, int *rate)
{
    std::vector<std::vector<float>> out;
    for (const auto &file : files) {
        if (auto audio = AudioFile::read(dir.filePath(file.toString()))) {
            *rate = audio->sampleRate;
            out.push_back(std::move(audio->frames));
        }
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QDir packs(app.arguments().value(1, QStringLiteral(PLINKUM_BUILTIN_PACKS_DIR)));
    std::vector<PackSounds> all;
    for (const QString &folder : packs.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir dir(packs.filePath(folder));
        QFile file(dir.filePath(QStringLiteral("pack.json")));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject manifest = QJsonDocument::fromJson(file.readAll()).object();
        PackSounds pack;
        pack.folder = folder;
        pack.order = manifest.value(QStringLiteral("order")).toInteger();
        const QJsonObject down = manifest.value(QStringLiteral("down")).toObject();
        const QJsonObject up = manifest.value(QStringLiteral("up")).toObject();
        pack.presses = decode(dir, down.value(QStringLiteral("standard")).toArray(), &pack.sampleRate);
        pack.releases = decode(dir, up.value(QStringLiteral("standard")).toArray(), &pack.sampleRate);
        for (const QString &name : dir.entryList({QStringLiteral("*.flac")}, QDir::Files)) {
            if (auto audio = AudioFile::read(dir.filePath(name))) {
                pack.all.push_back(std::move(audio->frames));
                pack.allNames.push_back(name);
            }
        }
        all.push_back(std::move(pack));
    }
    std::sort(all.begin(), all.end(), [](const auto &a, const auto &b) { return a.order < b.order; });

    std::vector<std::vector<double>> bands;
    for (const auto &pack : all)
        bands.push_back(SoundMeasure::bandLevels(pack.presses, pack.sampleRate));

    std::printf("%-16s %7s %8s %8s %9s %9s %-15s %6s %6s  %s\n", "pack", "LUFS", "press ms", "onset ms",
                "max onset", "peak dBFS", "nearest", "dist", "self", "latest file");
    for (std::size_t i = 0; i < all.size(); ++i) {
        const auto &pack = all[i];
        double length = 0, onset = 0, worstOnset = -1;
        QString latest;
        float peak = 0;
        for (const auto &press : pack.presses) {
            length += 1000.0 * press.size() / pack.sampleRate / pack.presses.size();
            onset += 1000.0 * SoundMeasure::onsetSeconds(press, pack.sampleRate) / pack.presses.size();
        }
        for (std::size_t k = 0; k < pack.all.size(); ++k) {
            peak = std::max(peak, SoundMeasure::peak(pack.all[k]));
            const double o = 1000.0 * SoundMeasure::onsetSeconds(pack.all[k], pack.sampleRate);
            if (o > worstOnset)
                worstOnset = o, latest = pack.allNames[k];
        }
        // The spread between a pack's own alternatives: what the same switch parameters give.
        const std::size_t half = pack.presses.size() / 2;
        const double self = SoundMeasure::spectralDistance(
            SoundMeasure::bandLevels({pack.presses.begin(), pack.presses.begin() + half}, pack.sampleRate),
            SoundMeasure::bandLevels({pack.presses.begin() + half, pack.presses.end()}, pack.sampleRate));
        std::size_t nearest = i;
        double best = 1e9;
        for (std::size_t j = 0; j < all.size(); ++j) {
            const double d = SoundMeasure::spectralDistance(bands[i], bands[j]);
            if (j != i && d < best)
                best = d, nearest = j;
        }
        std::printf("%-16s %7.2f %8.1f %8.2f %9.2f %9.2f %-15s %6.2f %6.2f  %s\n", qPrintable(pack.folder),
                    SoundMeasure::typingLoudness(pack.presses, pack.releases, pack.sampleRate), length, onset,
                    worstOnset, 20 * std::log10(std::max(peak, 1e-9f)), qPrintable(all[nearest].folder), best, self,
                    qPrintable(latest));
    }
    std::printf("\nspectral distance (dB, third-octave shape of the standard presses)\n%-16s", "");
    for (std::size_t j = 0; j < all.size(); ++j)
        std::printf(" %5.5s", qPrintable(all[j].folder));
    std::printf("\n");
    for (std::size_t i = 0; i < all.size(); ++i) {
        std::printf("%-16s", qPrintable(all[i].folder));
        for (std::size_t j = 0; j < all.size(); ++j)
            std::printf(" %5.1f", SoundMeasure::spectralDistance(bands[i], bands[j]));
        std::printf("\n");
    }
    return 0;
}
