#include "tools/packgen/MouseRecordingImport.h"

#include "audio/PackLoudness.h"
#include "tools/packgen/AudioFile.h"
#include "tools/packgen/SoundMeasure.h"
#include "tools/packgen/StrokeCleaner.h"

#include <QDir>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace plinkum {

namespace {

struct Names {
    PointerButton button;
    bool down;
    std::array<const char *, 2> stems; // MechVibesPlusPlus' name, keyboardsounds' own
};

constexpr Names names[] = {
    {PointerButton::Left, true, {"left-down", "primary_down"}},
    {PointerButton::Left, false, {"left-up", "primary_up"}},
    {PointerButton::Right, true, {"right-down", "secondary_down"}},
    {PointerButton::Right, false, {"right-up", "secondary_up"}},
    {PointerButton::Middle, true, {"scroll-down", "middle"}},
    {PointerButton::Middle, false, {"scroll-up", nullptr}},
};

// K-weighted loudness of one short sound, padded to a 400 ms measuring block so that sounds of
// different lengths compare by their energy. Measured at full scale and scaled back: a quiet
// recording's click would otherwise fall under the measurement's -70 LUFS gate.
double loudnessOf(const std::vector<float> &frames, int rate)
{
    const float peak = SoundMeasure::peak(frames);
    std::vector<float> padded(std::max(frames.size(), static_cast<std::size_t>(0.4 * rate)));
    std::transform(frames.begin(), frames.end(), padded.begin(), [peak](float x) { return x / peak; });
    return PackLoudness::loudness(padded, 1, rate) + 20 * std::log10(peak);
}

} // namespace

std::optional<QString> MouseRecordingImport::unusable(const std::optional<std::vector<float>> &frames)
{
    if (!frames || frames->empty())
        return QStringLiteral("empty");
    if (SoundMeasure::peak(*frames) < 0.00316f)
        return QStringLiteral("silent (below -50 dBFS)");
    std::size_t run = 0;
    for (float x : *frames) {
        run = std::abs(x) >= 0.999f ? run + 1 : 0;
        if (run >= 3)
            return QStringLiteral("clipped");
    }
    return std::nullopt;
}

bool MouseRecordingImport::build(const QString &folder, PackWriter &writer, Report *report)
{
    const QDir dir(folder);
    std::map<std::pair<PointerButton, bool>, StrokeCleaner::Source> found;
    for (const Names &n : names) {
        for (const char *stem : n.stems) {
            const QStringList files = stem ? dir.entryList({QLatin1String(stem) + QStringLiteral(".*")}, QDir::Files)
                                           : QStringList();
            if (files.isEmpty())
                continue;
            const QString path = dir.filePath(files.first());
            const auto audio = AudioFile::read(path);
            if (const auto why = unusable(audio ? std::optional(audio->frames) : std::nullopt)) {
                report->leftOut << dir.dirName() + QLatin1Char('/') + files.first() + QStringLiteral(": ") + *why;
                continue;
            }
            if (auto source = StrokeCleaner::read(path))
                found[{n.button, n.down}] = std::move(*source);
        }
    }
    if (found.empty())
        return false;
    const int rate = found.begin()->second.rate;
    std::vector<const std::vector<float> *> all;
    for (const auto &[key, source] : found) {
        if (source.rate != rate)
            return false;
        all.push_back(&source.frames);
    }
    const StrokeCleaner::Floor floor = StrokeCleaner::noiseFloor(all, rate);
    std::map<std::pair<PointerButton, bool>, std::vector<float>> cut;
    for (const auto &[key, source] : found) {
        if (auto sound = StrokeCleaner::cut(source.frames, {0, source.frames.size()}, rate, floor); !sound.empty())
            cut[key] = std::move(sound);
    }
    const auto has = [&](PointerButton b) { return cut.contains({b, true}) && cut.contains({b, false}); };
    if (!has(PointerButton::Left) || !has(PointerButton::Right))
        return false;

    const double leftPress = loudnessOf(cut.at({PointerButton::Left, true}), rate);
    // A recording used for two buttons (one physical button under both) is stored once.
    std::vector<std::pair<std::vector<float>, QString>> written;
    for (const PointerButton button : allPointerButtons) {
        const auto press = cut.find({button, true});
        if (press == cut.end())
            continue;
        const double excess = loudnessOf(press->second, rate) - (leftPress + 1.0);
        const auto gain = static_cast<float>(excess > 0 ? std::pow(10.0, -excess / 20) : 1.0);
        for (const bool down : {true, false}) {
            const auto sound = cut.find({button, down});
            if (sound == cut.end())
                continue;
            std::vector<float> frames = sound->second;
            for (float &x : frames)
                x *= gain;
            auto same = std::find_if(written.begin(), written.end(), [&](const auto &w) { return w.first == frames; });
            if (same == written.end()) {
                const QString stem = QString::fromLatin1(rawValue(button))
                    + (down ? QStringLiteral("-press") : QStringLiteral("-release"));
                written.emplace_back(frames, writer.addSound(stem, frames, rate));
                same = written.end() - 1;
            }
            if (down)
                writer.addButton(button, same->second);
            else
                writer.addButtonUp(button, same->second);
        }
    }
    return true;
}

} // namespace plinkum
