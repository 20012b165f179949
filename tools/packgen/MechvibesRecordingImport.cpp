#include "tools/packgen/MechvibesRecordingImport.h"

#include "tools/packgen/AudioFile.h"
#include "tools/packgen/Biquad.h"
#include "keys/KeyCategory.h"
#include "keys/KeyTables.h"
#include "packs/MechvibesConfig.h"
#include "tools/packgen/SoundMeasure.h"
#include "tools/packgen/StrokeCleaner.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>
#include <set>

namespace plinkum {

namespace {

using PackLoader::MechvibesConfig;
using Floor = StrokeCleaner::Floor;
using Source = StrokeCleaner::Source;
using Span = StrokeCleaner::Span;

double decibels(double linear) { return 20 * std::log10(std::max(linear, 1e-9)); }

// Level of one frequency in a Hann-windowed stretch, in dB.
double toneLevel(const float *frames, std::size_t n, double frequency, double rate)
{
    const double k = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
    double s1 = 0, s2 = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / n);
        const double s0 = frames[i] * window + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return 10 * std::log10(std::max(s1 * s1 + s2 * s2 - k * s1 * s2, 1e-30) / (n * n));
}

// Looks for mains hum in the eight quietest half seconds, averaged so that a single noisy bin
// does not pass for hum, and notches each harmonic that stands out.
void removeHum(std::vector<float> &frames, double rate, MechvibesRecordingImport::Report &report)
{
    const auto n = static_cast<std::size_t>(0.5 * rate);
    std::vector<std::pair<double, std::size_t>> stretches;
    for (std::size_t at = 0; at + n <= frames.size(); at += n) {
        double energy = 0;
        for (std::size_t i = at; i < at + n; ++i)
            energy += double(frames[i]) * frames[i];
        stretches.emplace_back(energy, at);
    }
    if (stretches.size() < 8)
        return;
    std::partial_sort(stretches.begin(), stretches.begin() + 8, stretches.end());
    const auto level = [&](double frequency) {
        double power = 0;
        for (std::size_t s = 0; s < 8; ++s)
            power += std::pow(10, toneLevel(frames.data() + stretches[s].second, n, frequency, rate) / 10);
        return 10 * std::log10(power / 8);
    };
    for (int mains : {50, 60}) {
        std::vector<double> harmonics;
        double strongest = 0;
        for (int k = 1; k <= 4; ++k) {
            const double f = mains * k;
            const double neighbourhood = (level(f - 9) + level(f - 5) + level(f + 5) + level(f + 9)) / 4;
            const double tone = level(f);
            const double prominence = tone - neighbourhood;
            // Below -95 dBFS a tone is under the 16-bit dither the packs are stored with; once
            // one harmonic is above it, the quieter ones that stand out are notched as well.
            if (tone >= -95)
                strongest = std::max(strongest, prominence);
            if (prominence >= 6)
                harmonics.push_back(f);
        }
        if (strongest < 10 || strongest <= report.humDb)
            continue;
        report.humFrequency = mains;
        report.humDb = strongest;
        for (double f : harmonics)
            Biquad::notch(f, 30, rate).apply(frames);
    }
}

struct Stroke {
    Span press, release;
    bool releaseFound = false;
    QString fault; // why the sound is not clean enough to stand for its key; empty when it is
};

// Finds the press near `nominal` inside [from, to) and, some tens of milliseconds later, the
// release: the first sharp rise after the press has rung out for 30 ms. Each ends where it
// falls into the noise floor or where the next sound starts.
Stroke segment(const Source &source, std::size_t from, std::size_t to, std::size_t nominal, const Floor &floor)
{
    const std::vector<float> &frames = source.frames;
    const double rate = source.rate;
    Stroke stroke;
    const auto block = static_cast<std::size_t>(0.001 * rate);
    const std::vector<double> level = StrokeCleaner::levels(frames, from, to, block);
    const std::size_t n = level.size();
    if (n < 20) {
        stroke.fault = QStringLiteral("too short");
        return stroke;
    }
    const auto at = [&](std::size_t b) { return from + std::min(b, n) * block; };
    const std::size_t nominalBlock = std::min(n - 1, (std::max(nominal, from) - from) / block);
    const std::size_t searchEnd = std::min(n, nominalBlock + 80);
    const std::size_t peak = static_cast<std::size_t>(std::max_element(level.begin(), level.begin() + searchEnd) - level.begin());
    const double loudest = level[peak];
    // The press starts at its main transient, within 12 dB of the loudest. A tactile bump some
    // 30 ms ahead of the bottom-out sits near 20 dB down: taking it in some keys and not in
    // others would shift their timing against each other, so it is left out of all of them.
    const auto firstAbove = [&](double threshold) {
        std::size_t b = 0;
        while (b < peak && level[b] < threshold)
            ++b;
        return b;
    };
    const std::size_t onset = firstAbove(loudest - 12);
    const std::size_t activity = firstAbove(loudest - 30);

    const auto mean = [&](std::size_t a, std::size_t b) {
        double sum = 0;
        for (std::size_t i = a; i < b; ++i)
            sum += level[i];
        return b > a ? sum / (b - a) : -HUGE_VAL;
    };
    // A sharp rise of at least 10 dB over the 8 ms before, reaching `below` dB under the press.
    const auto nextRise = [&](std::size_t start, double below) {
        const auto rise = [&](std::size_t i) {
            return i >= 10 && level[i] >= loudest - below && level[i] >= floor.peakDb + 20
                   && level[i] - mean(i - 10, i - 2) >= 10;
        };
        std::size_t i = start;
        while (i < n && !rise(i))
            ++i;
        return i;
    };
    // Where the ten blocks ahead average within 10 dB of the floor or 45 dB below the peak.
    const auto decayEnd = [&](std::size_t start, std::size_t limit) {
        const double quiet = std::max(floor.peakDb + 10, level[start] - 45);
        for (std::size_t i = start; i + 10 <= limit; ++i) {
            if (mean(i, i + 10) < quiet)
                return std::min(limit, i + 5);
        }
        return limit;
    };

    // The first fault found, most telling first.
    const auto flag = [&](bool fault, const char *why) {
        if (fault && stroke.fault.isEmpty())
            stroke.fault = QLatin1String(why);
    };
    const auto clippedWithin = [&](Span span) {
        return std::any_of(source.clipped.begin(), source.clipped.end(),
                           [&](std::size_t i) { return i >= span.begin && i < span.end; });
    };
    // Releases run down to 32 dB under the press. The 60 ms from a release's first rise belong
    // to it (a tactile switch's upstroke bump comes some 30 ms before its top-out), as do small
    // events after it (stabiliser rattle); a sound within 15 dB of the press is another key.
    const std::size_t release = nextRise(peak + 30, 32);
    stroke.press.begin = at(onset >= 2 ? onset - 2 : 0);
    stroke.press.end = at(release < n ? std::min(decayEnd(peak, release - 2), release - 2) : decayEnd(peak, n));
    std::size_t following = n, releaseEnd = n;
    if (release < n) {
        stroke.releaseFound = true;
        const std::size_t releasePeak = static_cast<std::size_t>(
            std::max_element(level.begin() + release, level.begin() + std::min(n, release + 15)) - level.begin());
        following = nextRise(std::max(releasePeak + 30, release + 60), 15);
        releaseEnd = decayEnd(releasePeak, following < n ? following - 2 : n);
        stroke.release = {at(release - 2), at(releaseEnd)};
    }
    flag(clippedWithin(stroke.press) || clippedWithin(stroke.release), "clipped");
    flag(activity >= 10 && mean(activity - 10, activity) > loudest - 25, "another sound runs into its start");
    flag(std::max(onset, nominalBlock) - std::min(onset, nominalBlock) > 60, "the press lies away from its slice");
    flag(following < n, "another key follows the release");
    flag(stroke.releaseFound && releaseEnd >= n, "the release does not die away before the next key");
    return stroke;
}

// A release for a key recorded without one: the stem topping out is a shorter, brighter tap than
// the bottom-out, so it is the press's attack, high-passed at 700 Hz, 8 dB down and decaying
// within about 20 ms.
std::vector<float> releaseFromPress(const std::vector<float> &press, double rate, const Floor &floor)
{
    std::vector<float> tap(press.begin(), press.begin() + std::min<std::ptrdiff_t>(press.size(), std::lround(0.04 * rate)));
    Biquad::highPass(700, rate).apply(tap);
    const double decay = std::exp(-1 / (0.006 * rate));
    double gain = 0.4;
    const auto hold = static_cast<std::size_t>(0.002 * rate);
    for (std::size_t i = 0; i < tap.size(); ++i) {
        tap[i] = static_cast<float>(tap[i] * gain);
        if (i > hold)
            gain *= decay;
    }
    return StrokeCleaner::cut(tap, {0, tap.size()}, rate, floor);
}

struct Sounds {
    std::vector<float> press, release;
    bool releaseFound = false;
    QString fault;
};

// Ordinary letter keys the standard sound is drawn from, home row first (Mechvibes numbers).
constexpr long long standardKeys[] = {30, 31, 32, 33, 36, 37, 38, 18, 19, 22, 23, 24, 34, 35, 46, 47, 48, 49, 50};
// Modifiers without a stabiliser first: Control, Option, Command; the shifts last.
constexpr long long modifierKeys[] = {29, 56, 3675, 3613, 3640, 3676, 42, 54};
constexpr std::pair<const char *, long long> singleKeys[] = {{"space", 57}, {"enter", 28}, {"backspace", 14}};

} // namespace

bool MechvibesRecordingImport::build(const QString &folder, PackWriter &writer, Report *report)
{
    const QDir dir(folder);
    QFile file(dir.filePath(QStringLiteral("config.json")));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const auto config = MechvibesConfig::decode(file.readAll());
    if (!config)
        return false;
    Report r;

    // Each distinct slice or file becomes one stroke; keys sharing one share its sounds.
    std::map<QString, Sounds> strokes;
    std::map<long long, QString> strokeOfKey;
    std::map<long long, QString> releaseOfKey; // files given for the release alone
    std::set<QString> releaseFiles;
    int rate = 0;
    Floor floor;
    const auto keyNumber = [](const QString &text) { return MechvibesConfig::codeFromText(text); };

    if (!config->versionTwoMulti && config->sound
        && std::any_of(config->defines.begin(), config->defines.end(), [](const auto &d) {
               return d && d->kind == MechvibesConfig::Define::Kind::Slice;
           })) {
        auto source = StrokeCleaner::read(dir.filePath(*config->sound));
        if (!source)
            return false;
        rate = source->rate;
        removeHum(source->frames, rate, r);
        floor = StrokeCleaner::noiseFloor({&source->frames}, rate);
        std::map<std::pair<double, double>, QString> slices; // start and duration -> id
        for (auto it = config->defines.begin(); it != config->defines.end(); ++it) {
            const auto number = keyNumber(it.key());
            if (!it.value() || it.value()->kind != MechvibesConfig::Define::Kind::Slice || !number)
                continue;
            const QString id = QStringLiteral("%1+%2").arg(it.value()->start).arg(it.value()->duration);
            slices[{it.value()->start, it.value()->duration}] = id;
            strokeOfKey[*number] = id;
        }
        const auto sample = [&](double ms) {
            return static_cast<std::size_t>(std::clamp(ms / 1000 * rate, 0.0, double(source->frames.size())));
        };
        for (auto it = slices.begin(); it != slices.end(); ++it) {
            const auto &[start, duration] = it->first;
            const auto next = std::next(it);
            // From 40 ms before the slice to 250 ms after it, stopping short of the next key.
            double end = start + duration + 250;
            if (next != slices.end())
                end = std::max(std::min(end, next->first.first - 40), start + 60);
            const Stroke stroke = segment(*source, sample(start - 40), sample(end), sample(start), floor);
            Sounds sounds{StrokeCleaner::cut(source->frames, stroke.press, rate, floor), {}, stroke.releaseFound, stroke.fault};
            if (stroke.releaseFound)
                sounds.release = StrokeCleaner::cut(source->frames, stroke.release, rate, floor);
            strokes[it->second] = std::move(sounds);
        }
    } else {
        // A file per key, or version 2 defaults: press files that may hold the release as well,
        // and release files.
        std::map<QString, Source> sources;
        const auto load = [&](const QString &name, bool releaseOnly) {
            if (!sources.count(name)) {
                auto source = StrokeCleaner::read(dir.filePath(name));
                if (!source)
                    return false;
                rate = source->rate;
                sources[name] = std::move(*source);
            }
            if (releaseOnly)
                releaseFiles.insert(name);
            return true;
        };
        for (auto it = config->defines.begin(); it != config->defines.end(); ++it) {
            const bool up = it.key().endsWith(QLatin1String("-up"));
            const auto number = keyNumber(up ? it.key().chopped(3) : it.key());
            if (!it.value() || it.value()->kind != MechvibesConfig::Define::Kind::File || !number
                || !load(it.value()->file, up))
                continue;
            (up ? releaseOfKey : strokeOfKey)[*number] = it.value()->file;
        }
        if (config->versionTwoMulti) {
            for (const QString &name : MechvibesConfig::expandRange(config->sound.value_or(QString())))
                load(name, false);
            for (const QString &name : MechvibesConfig::expandRange(config->soundUp.value_or(QString())))
                load(name, true);
        }
        std::vector<const std::vector<float> *> all;
        for (const auto &[name, source] : sources)
            all.push_back(&source.frames);
        floor = StrokeCleaner::noiseFloor(all, rate);
        for (const auto &[name, source] : sources) {
            if (releaseFiles.count(name)) {
                strokes[name] = Sounds{StrokeCleaner::cut(source.frames, {0, source.frames.size()}, rate, floor), {}, false, {}};
                continue;
            }
            const Stroke stroke = segment(source, 0, source.frames.size(), 0, floor);
            Sounds sounds{StrokeCleaner::cut(source.frames, stroke.press, rate, floor), {}, stroke.releaseFound, stroke.fault};
            if (sounds.releaseFound)
                sounds.release = StrokeCleaner::cut(source.frames, stroke.release, rate, floor);
            strokes[name] = std::move(sounds);
        }
    }
    if (rate <= 0)
        return false;
    r.noiseFloorDb = decibels(floor.rms);

    const auto clean = [&](const QString &id) {
        const auto it = strokes.find(id);
        return it != strokes.end() && it->second.fault.isEmpty() && !it->second.press.empty();
    };
    const auto releaseFor = [&](long long number) {
        const auto it = releaseOfKey.find(number);
        return it == releaseOfKey.end() ? QString() : it->second;
    };
    const auto hasRelease = [&](long long number) {
        return !releaseFor(number).isEmpty() || strokes.at(strokeOfKey.at(number)).releaseFound;
    };
    const auto category = [](long long number) {
        const auto keyCode = KeyTables::mechvibesKey(number);
        return keyCode ? std::optional(keyCategory(*keyCode)) : std::nullopt;
    };
    // A pack may lend one key's recording to others (nk-cream plays Tab for Control and Shift
    // for the keypad's 0); a recording speaks for a category only when no other category has as
    // many keys playing it.
    const auto standIn = [&](long long number) {
        std::map<std::optional<KeyCategory>, int> sharing;
        for (const auto &[other, id] : strokeOfKey) {
            if (id == strokeOfKey.at(number))
                ++sharing[category(other)];
        }
        const int own = sharing[category(number)];
        return std::any_of(sharing.begin(), sharing.end(),
                           [&](const auto &c) { return c.first != category(number) && c.second >= own; });
    };
    const auto pick = [&](const auto &candidates, std::size_t wanted) {
        std::vector<long long> picked;
        std::set<QString> seen;
        for (long long number : candidates) {
            const auto it = strokeOfKey.find(number);
            if (picked.size() < wanted && it != strokeOfKey.end() && clean(it->second) && hasRelease(number)
                && !standIn(number) && seen.insert(it->second).second)
                picked.push_back(number);
        }
        return picked;
    };

    std::vector<std::pair<QString, QString>> ordinary; // stroke and release file
    if (config->versionTwoMulti && config->sound) {
        const QStringList presses = MechvibesConfig::expandRange(*config->sound);
        const QStringList releases = MechvibesConfig::expandRange(config->soundUp.value_or(QString()));
        for (int i = 0; i < presses.size(); ++i) {
            if (strokes.count(presses[i]))
                ordinary.emplace_back(presses[i], releases.value(i % std::max<int>(1, releases.size())));
        }
    } else {
        for (long long number : pick(standardKeys, 5))
            ordinary.emplace_back(strokeOfKey.at(number), releaseFor(number));
    }
    if (ordinary.empty())
        return false;
    // Some keys were recorded much hotter than the letters (nk-cream's Backspace peaks 8 dB above
    // them); no sound may peak more than 1 dB above the loudest ordinary press, or matching the
    // typing loudness would push it into clipping.
    float ordinaryPeak = 0;
    for (const auto &[id, releaseId] : ordinary)
        ordinaryPeak = std::max(ordinaryPeak, SoundMeasure::peak(strokes.at(id).press));
    const float ceiling = ordinaryPeak * 1.122f;
    const auto tame = [&](std::vector<float> frames) {
        const float peak = SoundMeasure::peak(frames);
        if (peak > ceiling) {
            ++r.soundsTamed;
            for (float &x : frames)
                x *= ceiling / peak;
        }
        return frames;
    };

    PackWriter staged = writer;
    std::map<QString, std::pair<QString, QString>> written;
    // Writes a stroke's press and release once; a release comes from `releaseId` when the pack
    // has a file for it, from the recording when found there, else it is made from the press.
    const auto files = [&](const QString &id, const QString &releaseId) -> std::pair<QString, QString> {
        const QString key = id + QLatin1Char('|') + releaseId;
        if (written.count(key))
            return written[key];
        const Sounds &sounds = strokes.at(id);
        const int index = static_cast<int>(written.size()) + 1;
        const QString stem = QStringLiteral("%1").arg(index, 2, 10, QLatin1Char('0'));
        const QString press = staged.addSound(QStringLiteral("press-") + stem, tame(sounds.press), rate);
        const auto given = written.find(releaseId);
        if (!releaseId.isEmpty() && given != written.end())
            return written[key] = {press, given->second.second};
        std::vector<float> release;
        if (!releaseId.isEmpty() && strokes.count(releaseId))
            release = strokes.at(releaseId).press;
        else if (sounds.releaseFound)
            release = sounds.release;
        else {
            release = releaseFromPress(sounds.press, rate, floor);
            ++r.releasesMade;
        }
        const auto pair = std::make_pair(press, staged.addSound(QStringLiteral("release-") + stem, tame(std::move(release)), rate));
        if (!releaseId.isEmpty())
            written[releaseId] = pair;
        return written[key] = pair;
    };

    for (const auto &[number, id] : strokeOfKey) {
        const auto keyCode = KeyTables::mechvibesKey(number);
        if (!keyCode)
            continue;
        const Sounds &sounds = strokes.at(id);
        if (!clean(id)) {
            r.droppedKeys << QStringLiteral("%1: %2").arg(number).arg(sounds.fault);
        } else if (!hasRelease(number)) {
            r.droppedKeys << QStringLiteral("%1: no release in the recording").arg(number);
        } else {
            const auto [press, release] = files(id, releaseFor(number));
            staged.addKey(*keyCode, press);
            staged.addKeyUp(*keyCode, release);
            r.usedKeys << QString::number(number);
        }
    }

    std::set<std::pair<QString, QString>> listed; // category and file, so that a shared release is listed once
    const auto addCategory = [&](const QString &category, const QString &id, const QString &releaseId) {
        const auto [press, release] = files(id, releaseId);
        if (listed.insert({category, press}).second)
            staged.addDown(category, press);
        if (listed.insert({category, release}).second)
            staged.addUp(category, release);
    };
    for (const auto &[id, releaseId] : ordinary)
        addCategory(QStringLiteral("standard"), id, releaseId);
    const std::vector<long long> modifiers = pick(modifierKeys, 3);
    for (long long number : modifiers)
        addCategory(QStringLiteral("modifier"), strokeOfKey.at(number), releaseFor(number));
    // As Mechvibes plays it: modifiers take the ordinary key sound when none was recorded.
    if (modifiers.empty()) {
        for (const auto &[id, releaseId] : ordinary)
            addCategory(QStringLiteral("modifier"), id, releaseId);
    }
    for (const auto &[category, number] : singleKeys) {
        const auto it = strokeOfKey.find(number);
        if (it == strokeOfKey.end() || strokes.at(it->second).press.empty())
            return false;
        // The pack's only recording of this key serves even when not perfectly clean.
        addCategory(QLatin1String(category), it->second, releaseFor(number));
    }

    for (const auto &[id, sounds] : strokes) {
        if (releaseFiles.count(id)) {
            ++r.releasesGiven;
            continue;
        }
        ++r.strokes;
        if (sounds.releaseFound)
            ++r.releasesFound;
    }
    if (report)
        *report = r;
    writer = std::move(staged);
    return true;
}

} // namespace plinkum
