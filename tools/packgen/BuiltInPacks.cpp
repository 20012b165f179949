#include "BuiltInPacks.h"

#include "BucklingSpringImport.h"
#include "PackWriter.h"
#include "StrokeSynth.h"
#include "SwitchProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

QByteArray acknowledgements(const QStringList &modelled, const QString &recorded)
{
    QByteArray text =
        "Sources of the built-in switch sounds\n"
        "=====================================\n\n";
    if (!recorded.isEmpty()) {
        text += recorded.toUtf8() + ":\n"
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
    text += "\nSwitch names say which switch a sound is modelled on; they are the trademarks of\n"
            "their owners, who have neither made nor endorsed these sounds.\n";
    return text;
}

} // namespace

bool BuiltInPacks::generate(const Options &options, QString *error)
{
    QStringList modelled;
    QString recorded;
    for (const SwitchProfile &profile : switchProfiles()) {
        PackWriter writer(profile.name, profile.type, profile.order);
        const bool real = profile.mechanism == SwitchProfile::Mechanism::BucklingSpring
            && !options.bucklespringWavFolder.isEmpty()
            && BucklingSpringImport::build(options.bucklespringWavFolder, writer);
        if (real) {
            recorded = profile.name;
            for (const QString &path : options.bucklespringLicences) {
                QFile licence(path);
                if (licence.open(QIODevice::ReadOnly))
                    writer.addText(QFileInfo(path).fileName() + QStringLiteral(".txt"), licence.readAll());
            }
        } else {
            model(profile, writer);
            modelled << profile.name;
        }
        writer.matchLoudness(targetLufs);
        if (writer.peak() > peakLimit) {
            *error = QStringLiteral("%1 peaks at %2 after loudness matching").arg(profile.folder).arg(writer.peak());
            return false;
        }
        if (!writer.write(QDir(options.outFolder).filePath(profile.folder), error))
            return false;
    }
    QFile file(QDir(options.outFolder).filePath(QStringLiteral("ACKNOWLEDGEMENTS.txt")));
    const QByteArray text = acknowledgements(modelled, recorded);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        *error = QStringLiteral("cannot write %1").arg(file.fileName());
        return false;
    }
    return true;
}

} // namespace plinkum
