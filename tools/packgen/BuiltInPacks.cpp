#include "BuiltInPacks.h"

#include "BucklingSpringImport.h"
#include "MechvibesRecordingImport.h"
#include "PackWriter.h"
#include "PhraseRenderer.h"
#include "RecordedSwitch.h"
#include "StrokeSynth.h"
#include "SwitchProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <vector>

namespace plinkum {

namespace {

using Shape = StrokeSynth::KeyShape;

struct Role {
    const char *stem;
    Shape shape;
    int presses;
    int releases;
};

// Alternatives per role: a random one plays per key event, so the common keys get more.
constexpr Role roles[] = {
    {"standard", Shape::Standard, 4, 3}, {"space", Shape::Space, 2, 2},       {"enter", Shape::Return, 2, 2},
    {"backspace", Shape::Backspace, 2, 2}, {"modifier", Shape::Modifier, 2, 2}, {"shift", Shape::Shift, 2, 2},
    {"capslock", Shape::Wide, 2, 2},
};

// Keys with their own sounds: both shifts carry a stabiliser, Caps Lock is a long unstabilised
// cap, and Forward Delete is a plain 1u key that would otherwise borrow the Backspace bar.
constexpr std::pair<std::uint16_t, const char *> keyRoles[] = {
    {56, "shift"}, {60, "shift"}, {57, "capslock"}, {117, "standard"}};

// Gives the alternatives of one role the same energy: the engine picks one at random per key
// event, and a pack whose alternatives differ in level would sound as loud as the luck of the
// draw. The engine's own volume jitter still varies the strokes.
std::vector<std::vector<float>> evened(std::vector<std::vector<float>> sounds)
{
    std::vector<double> energies;
    double logMean = 0;
    for (const auto &sound : sounds) {
        double energy = 1e-20;
        for (float x : sound)
            energy += double(x) * x;
        energies.push_back(energy);
        logMean += std::log(energy) / static_cast<double>(sounds.size());
    }
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        const auto gain = static_cast<float>(std::sqrt(std::exp(logMean) / energies[i]));
        for (float &x : sounds[i])
            x *= gain;
    }
    return sounds;
}

void model(const SwitchProfile &profile, PackWriter &writer)
{
    const StrokeSynth synth(profile);
    for (const Role &role : roles) {
        const QString stem = QLatin1String(role.stem);
        const bool category = stem != QLatin1String("shift") && stem != QLatin1String("capslock");
        std::vector<std::vector<float>> pressSounds, releaseSounds;
        for (int i = 0; i < role.presses; ++i)
            pressSounds.push_back(synth.press(role.shape, i));
        for (int i = 0; i < role.releases; ++i)
            releaseSounds.push_back(synth.release(role.shape, i));
        QStringList presses, releases;
        pressSounds = evened(std::move(pressSounds));
        releaseSounds = evened(std::move(releaseSounds));
        for (int i = 0; i < role.presses; ++i)
            presses << writer.addSound(QStringLiteral("press-%1-%2").arg(stem).arg(i + 1), std::move(pressSounds[i]),
                                       StrokeSynth::sampleRate);
        for (int i = 0; i < role.releases; ++i)
            releases << writer.addSound(QStringLiteral("release-%1-%2").arg(stem).arg(i + 1),
                                        std::move(releaseSounds[i]), StrokeSynth::sampleRate);
        for (const auto &[keyCode, keyRole] : keyRoles) {
            if (stem != QLatin1String(keyRole))
                continue;
            for (const QString &file : presses)
                writer.addKey(keyCode, file);
            for (const QString &file : releases)
                writer.addKeyUp(keyCode, file);
        }
        if (!category)
            continue;
        for (const QString &file : presses)
            writer.addDown(stem, file);
        for (const QString &file : releases)
            writer.addUp(stem, file);
    }
}

QByteArray acknowledgements(const QStringList &modelled, const QString &bucklingSpring, int releasesMade)
{
    QByteArray text =
        "Sources of the built-in switch sounds\n"
        "=====================================\n\n"
        "Recorded, from the sound packs shipped with Mechvibes\n"
        "(https://github.com/hainguyents13/mechvibes, folder src/audio), MIT licence,\n"
        "copyright 2021 Hai Nguyen; the licence is in each of these packs' folders:\n";
    for (const RecordedSwitch &recording : recordedSwitches())
        text += "  " + recording.name.toUtf8() + " (from Mechvibes' " + recording.source.toUtf8() + ")\n";
    text += "  Mechvibes does not say who recorded its Cherry MX and Topre packs, which were\n"
            "  recorded key by key in one take each. Its NovelKeys Cream pack, a file per key,\n"
            "  calls itself \"original by Ryan\". The Holy Panda sounds (press and release files\n"
            "  for ordinary keys, space, return and backspace) come from kbsim\n"
            "  (https://github.com/tplai/kbsim, MIT licence, copyright Thomas Lai), whose\n"
            "  licence is in that pack's folder as well.\n"
            "  Plinkum re-cut each key so that its press starts at its main transient (a\n"
            "  tactile bump ahead of it is not kept), split the press from the release that\n"
            "  follows it in the same slice or file and ended each where it dies away; it\n"
            "  removed DC offset, rumble below 30 Hz and, where it stood out, mains hum,\n"
            "  redrew peaks the recording had clipped flat, faded the noise floor out of each\n"
            "  tail, brought keys recorded louder than the letters down to 1 dB above them,\n"
            "  scaled the loudness and stored the sounds as FLAC.\n"
            "  Keys whose slice was clipped, ran into another key or held no release play\n"
            "  their category's sounds instead; a category without a recorded release gets\n"
            "  one made from its press (its first milliseconds, brighter, quieter and\n"
            "  shorter): ";
    text += releasesMade ? QByteArray::number(releasesMade) + " release(s) were made so.\n\n"
                         : QByteArray("none was needed.\n\n");
    if (!bucklingSpring.isEmpty()) {
        text += bucklingSpring.toUtf8() + ":\n"
                "  Key-by-key recordings of an IBM Model M keyboard from bucklespring\n"
                "  (https://github.com/zevv/bucklespring), copyright 2016 Ico Doornekampt as stated\n"
                "  in Debian's bucklespring-data package (packaged for Debian by Dominik George).\n"
                "  Licence: GNU General Public License, version 2 or later; the licence texts are\n"
                "  in the pack's folder. Plinkum mapped the recordings to its key codes, removed\n"
                "  their DC offset, cut the silence before and the hiss after each stroke, scaled\n"
                "  their loudness and stored them as FLAC; it changed nothing else.\n\n";
    }
    text += "Synthesised, not recorded, by Plinkum's pack generator (tools/packgen), which\n"
            "models the parts of a keystroke (keycap, housing, bump or click, spring, plate,\n"
            "case, stabilisers) for each switch:\n";
    for (const QString &name : modelled)
        text += "  " + name.toUtf8() + "\n";
    text += "\nSwitch names say which switch a sound was recorded from or modelled on; they are\n"
            "the trademarks of their owners, who have neither made nor endorsed these sounds.\n";
    return text;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Matches the pack's loudness on the typing phrase as the engine plays it, alternatives, pitches
// and all: the pack is written at the peak limit, played, scaled by what it missed and written again.
bool finish(PackWriter &writer, const QString &folder, const QString &outFolder, QString *error)
{
    const QString path = QDir(outFolder).filePath(folder);
    if (writer.peak() <= 0) {
        *error = QStringLiteral("%1 is silent").arg(folder);
        return false;
    }
    writer.scale(20 * std::log10(BuiltInPacks::peakLimit / writer.peak()));
    if (!writer.write(path, error))
        return false;
    const auto played = PhraseRenderer::loudness(path, true);
    if (!played || !std::isfinite(*played)) {
        *error = QStringLiteral("%1 does not load or play after writing").arg(folder);
        return false;
    }
    writer.scale(BuiltInPacks::targetLufs - *played);
    if (writer.peak() > BuiltInPacks::peakLimit) {
        *error = QStringLiteral("%1 peaks at %2 after loudness matching").arg(folder).arg(writer.peak());
        return false;
    }
    return writer.write(path, error);
}

} // namespace

bool BuiltInPacks::generate(const Options &options, QString *error)
{
    const QDir mechvibes(options.mechvibesFolder);
    const QByteArray mechvibesLicence = readFile(mechvibes.filePath(QStringLiteral("LICENSE-mechvibes.txt")));
    if (options.mechvibesFolder.isEmpty() || mechvibesLicence.isEmpty()) {
        *error = QStringLiteral("no Mechvibes recordings with their licence in %1").arg(options.mechvibesFolder);
        return false;
    }
    int releasesMade = 0;
    for (const RecordedSwitch &recording : recordedSwitches()) {
        PackWriter writer(recording.name, recording.type, recording.order);
        const QDir source(mechvibes.filePath(recording.source));
        MechvibesRecordingImport::Report report;
        if (!MechvibesRecordingImport::build(source.path(), writer, &report)) {
            *error = QStringLiteral("cannot cut the recordings in %1").arg(source.path());
            return false;
        }
        releasesMade += report.releasesMade;
        writer.describe(QStringLiteral("source"), QStringLiteral("recorded"));
        writer.describe(QStringLiteral("credit"), recording.credit);
        writer.addText(QStringLiteral("LICENSE-mechvibes.txt"), mechvibesLicence);
        if (!recording.ownLicence.isEmpty()) {
            writer.addText(QStringLiteral("LICENSE-%1.txt").arg(recording.source),
                           readFile(source.filePath(recording.ownLicence)));
        }
        if (!finish(writer, recording.folder, options.outFolder, error))
            return false;
    }

    QStringList modelled;
    QString recorded;
    for (const SwitchProfile &profile : switchProfiles()) {
        PackWriter writer(profile.name, profile.type, profile.order);
        const bool real = profile.mechanism == SwitchProfile::Mechanism::BucklingSpring
            && !options.bucklespringWavFolder.isEmpty()
            && BucklingSpringImport::build(options.bucklespringWavFolder, writer);
        if (real) {
            recorded = profile.name;
            writer.describe(QStringLiteral("source"), QStringLiteral("recorded"));
            writer.describe(QStringLiteral("credit"),
                            QStringLiteral("Recorded key by key from an IBM Model M for bucklespring by Ico "
                                           "Doornekampt (https://github.com/zevv/bucklespring), GPL 2 or later"));
            for (const QString &path : options.bucklespringLicences)
                writer.addText(QFileInfo(path).fileName() + QStringLiteral(".txt"), readFile(path));
        } else {
            model(profile, writer);
            writer.describe(QStringLiteral("source"), QStringLiteral("modelled"));
            modelled << profile.name;
        }
        if (!finish(writer, profile.folder, options.outFolder, error))
            return false;
    }
    QFile file(QDir(options.outFolder).filePath(QStringLiteral("ACKNOWLEDGEMENTS.txt")));
    const QByteArray text = acknowledgements(modelled, recorded, releasesMade);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        *error = QStringLiteral("cannot write %1").arg(file.fileName());
        return false;
    }
    return true;
}

} // namespace plinkum
