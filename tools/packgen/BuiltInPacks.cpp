#include "tools/packgen/BuiltInPacks.h"

#include "audio/PackLoudness.h"
#include "tools/packgen/BucklingSpringImport.h"
#include "tools/packgen/DerivedSwitch.h"
#include "tools/packgen/KbsimRecordingImport.h"
#include "tools/packgen/MechvibesRecordingImport.h"
#include "tools/packgen/MouseRecordingImport.h"
#include "tools/packgen/PackWriter.h"
#include "tools/packgen/RecordedMouse.h"
#include "tools/packgen/RecordedSwitch.h"
#include "tools/packgen/StrokeEdit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <vector>

namespace plinkum {

namespace {

QByteArray acknowledgements(const QString &bucklingSpring, int releasesMade, const QStringList &clicksLeftOut)
{
    using From = RecordedSwitch::From;
    QByteArray text =
        "Sources of the built-in switch sounds\n"
        "=====================================\n\n"
        "Recorded, from the sound packs shipped with Mechvibes\n"
        "(https://github.com/hainguyents13/mechvibes, folder src/audio), MIT licence,\n"
        "copyright 2021 Hai Nguyen; the licence is in each of these packs' folders:\n";
    for (const RecordedSwitch &recording : recordedSwitches()) {
        if (recording.from == From::Mechvibes)
            text += "  " + recording.name.toUtf8() + " (from Mechvibes' " + recording.source.toUtf8() + ")\n";
    }
    text += "  Mechvibes does not say who recorded its Cherry MX and Topre packs, which were\n"
            "  recorded key by key in one take each. Its NovelKeys Cream pack, a file per key,\n"
            "  calls itself \"original by Ryan\".\n"
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
    text += "Recorded, from the kbsim keyboard simulator (https://github.com/tplai/kbsim,\n"
            "folder src/assets/audio), MIT licence, copyright Thomas Lai, who recorded them;\n"
            "the licence is in each of these packs' folders:\n";
    for (const RecordedSwitch &recording : recordedSwitches()) {
        if (recording.from == From::Kbsim)
            text += "  " + recording.name.toUtf8() + " (from kbsim's " + recording.source.toUtf8() + ")\n";
    }
    if (bucklingSpring.isEmpty())
        text += "  Buckling Spring · IBM Model M (from kbsim's buckling)\n";
    text += "  kbsim recorded one press per keyboard row, Space, Enter and Backspace, and\n"
            "  their releases; each key plays its own row's press. Plinkum cut each sound at\n"
            "  its transient, removed DC offset and rumble below 30 Hz, faded the noise floor\n"
            "  out of each tail, scaled the loudness and stored the sounds as FLAC.\n\n";
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
    text += "Derived, not recorded: nobody has published an openly licensed recording of these\n"
            "switches, so Plinkum's pack generator (tools/packgen) made each from the kbsim\n"
            "recordings of its nearest relatives (MIT licence, copyright Thomas Lai) by\n"
            "filtering, changes of speed and layering real events of other strokes; the\n"
            "licence is in each of these packs' folders:\n";
    for (const DerivedSwitch &derived : derivedSwitches())
        text += "  " + derived.name.toUtf8() + " (from kbsim's " + derived.from.toUtf8() + ")\n";
    text += "\nRecorded mouse clicks, from the profiles bundled with keyboardsounds-pro\n"
            "(https://github.com/keyboard-sounds/keyboardsounds-pro, folder\n"
            "desktop/bundled-profiles), MIT licence, copyright 2025 Nathan Fiscaletti; the\n"
            "profiles name MechVibesPlusPlus (the G502 X: Keyboard Sounds) as their recorder;\n"
            "the licence is in each of these packs' folders:\n";
    for (const RecordedMouse &mouse : recordedMice())
        text += "  " + mouse.name.toUtf8() + " (from " + mouse.source.toUtf8() + ")\n";
    text += "  Plinkum cut each press and release at its transient, removed DC offset and\n"
            "  rumble below 30 Hz, faded the noise floor out of each tail, brought a button\n"
            "  recorded louder than the left one down to 1 dB above it, scaled the loudness\n"
            "  and stored the sounds as FLAC. Left out as empty, silent or clipped:\n";
    for (const QString &file : clicksLeftOut)
        text += "    " + file.toUtf8() + "\n";
    if (clicksLeftOut.isEmpty())
        text += "    none\n";
    text += "\nSwitch and mouse names say which switch or mouse a sound was recorded from or\n"
            "derived for; they are the trademarks of their owners, who have neither made nor\n"
            "endorsed these sounds.\n";
    return text;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Matches the pack's loudness on its phrase as the engine plays it, alternatives, pitches and
// all: the pack is written at the peak limit, played, scaled by what it missed and written again.
bool finish(PackWriter &writer, const QString &folder, const QString &outFolder, QString *error, bool mouse = false)
{
    const QString path = QDir(outFolder).filePath(folder);
    if (writer.peak() <= 0) {
        *error = QStringLiteral("%1 is silent").arg(folder);
        return false;
    }
    writer.scale(20 * std::log10(BuiltInPacks::peakLimit / writer.peak()));
    if (!writer.write(path, error))
        return false;
    const auto played = PackLoudness::phraseLoudness(path, true);
    if (!played || !std::isfinite(*played)) {
        *error = QStringLiteral("%1 does not load or play after writing").arg(folder);
        return false;
    }
    writer.scale((mouse ? PackLoudness::mouseTargetLufs : PackLoudness::targetLufs) - *played);
    if (writer.peak() > BuiltInPacks::peakLimit) {
        *error = QStringLiteral("%1 peaks at %2 after loudness matching").arg(folder).arg(writer.peak());
        return false;
    }
    return writer.write(path, error);
}

} // namespace

bool BuiltInPacks::generate(const Options &options, QString *error)
{
    const QDir mechvibes(options.mechvibesFolder), kbsim(options.kbsimFolder), mice(options.mouseFolder);
    const QByteArray mechvibesLicence = readFile(mechvibes.filePath(QStringLiteral("LICENSE-mechvibes.txt")));
    const QByteArray kbsimLicence = readFile(kbsim.filePath(QStringLiteral("LICENSE.md")));
    const QByteArray miceLicence = readFile(mice.filePath(QStringLiteral("LICENSE")));
    if (options.mechvibesFolder.isEmpty() || mechvibesLicence.isEmpty()) {
        *error = QStringLiteral("no Mechvibes recordings with their licence in %1").arg(options.mechvibesFolder);
        return false;
    }
    if (options.kbsimFolder.isEmpty() || kbsimLicence.isEmpty()) {
        *error = QStringLiteral("no kbsim recordings with their licence in %1").arg(options.kbsimFolder);
        return false;
    }
    if (options.mouseFolder.isEmpty() || miceLicence.isEmpty()) {
        *error = QStringLiteral("no mouse recordings with their licence in %1").arg(options.mouseFolder);
        return false;
    }
    const auto kbsimPack = [&](const QString &source, PackWriter &writer) {
        const auto strokes = KbsimRecordingImport::read(kbsim.filePath(source));
        if (!strokes || !strokes->complete())
            return false;
        KbsimRecordingImport::write(*strokes, writer);
        writer.addText(QStringLiteral("LICENSE-kbsim.txt"), kbsimLicence);
        return true;
    };
    int releasesMade = 0;
    for (const RecordedSwitch &recording : recordedSwitches()) {
        PackWriter writer(recording.name, recording.type, recording.order);
        const QDir source(mechvibes.filePath(recording.source));
        if (recording.from == RecordedSwitch::From::Kbsim) {
            if (!kbsimPack(recording.source, writer)) {
                *error = QStringLiteral("cannot cut the recordings in %1").arg(kbsim.filePath(recording.source));
                return false;
            }
        } else {
            MechvibesRecordingImport::Report report;
            if (!MechvibesRecordingImport::build(source.path(), writer, &report)) {
                *error = QStringLiteral("cannot cut the recordings in %1").arg(source.path());
                return false;
            }
            releasesMade += report.releasesMade;
            writer.addText(QStringLiteral("LICENSE-mechvibes.txt"), mechvibesLicence);
        }
        writer.describe(QStringLiteral("source"), QStringLiteral("recorded"));
        writer.describe(QStringLiteral("credit"), recording.credit);
        if (!finish(writer, recording.folder, options.outFolder, error))
            return false;
    }

    for (const DerivedSwitch &derived : derivedSwitches()) {
        PackWriter writer(derived.name, derived.type, derived.order);
        const auto strokes = derived.make(kbsim);
        if (!strokes || !strokes->complete()) {
            *error = QStringLiteral("cannot derive %1 from the recordings in %2").arg(derived.folder, kbsim.path());
            return false;
        }
        const auto recut = [rate = strokes->rate](const std::vector<float> &s) { return StrokeEdit::fromOnset(s, rate); };
        KbsimRecordingImport::write(strokes->mapped(recut, recut), writer);
        writer.addText(QStringLiteral("LICENSE-kbsim.txt"), kbsimLicence);
        writer.describe(QStringLiteral("source"), QStringLiteral("derived"));
        writer.describe(QStringLiteral("credit"), derived.credit);
        if (!finish(writer, derived.folder, options.outFolder, error))
            return false;
    }

    // The Model M: Debian's key-by-key recordings when installed, else kbsim's.
    PackWriter writer(QStringLiteral("Buckling Spring · IBM Model M"), QStringLiteral("Vintage"), 210);
    QString bucklingSpring;
    if (!options.bucklespringWavFolder.isEmpty() && BucklingSpringImport::build(options.bucklespringWavFolder, writer)) {
        bucklingSpring = QStringLiteral("Buckling Spring · IBM Model M");
        writer.describe(QStringLiteral("credit"),
                        QStringLiteral("Recorded key by key from an IBM Model M for bucklespring by Ico "
                                       "Doornekampt (https://github.com/zevv/bucklespring), GPL 2 or later"));
        for (const QString &path : options.bucklespringLicences)
            writer.addText(QFileInfo(path).fileName() + QStringLiteral(".txt"), readFile(path));
    } else if (kbsimPack(QStringLiteral("buckling"), writer)) {
        writer.describe(QStringLiteral("credit"), QStringLiteral("Recorded from an IBM Model M for the kbsim keyboard "
                                                                 "simulator by Thomas Lai "
                                                                 "(https://github.com/tplai/kbsim), MIT licence"));
    } else {
        *error = QStringLiteral("cannot cut the recordings in %1").arg(kbsim.filePath(QStringLiteral("buckling")));
        return false;
    }
    writer.describe(QStringLiteral("source"), QStringLiteral("recorded"));
    if (!finish(writer, QStringLiteral("buckling-spring"), options.outFolder, error))
        return false;

    MouseRecordingImport::Report clicks;
    for (const RecordedMouse &mouse : recordedMice()) {
        PackWriter mouseWriter(mouse.name, QStringLiteral("Mouse"), mouse.order);
        if (!MouseRecordingImport::build(mice.filePath(mouse.source), mouseWriter, &clicks)) {
            *error = QStringLiteral("no left and right clicks in %1").arg(mice.filePath(mouse.source));
            return false;
        }
        mouseWriter.addText(QStringLiteral("LICENSE-keyboardsounds.txt"), miceLicence);
        mouseWriter.describe(QStringLiteral("source"), QStringLiteral("recorded"));
        mouseWriter.describe(QStringLiteral("credit"), mouse.credit);
        if (!finish(mouseWriter, mouse.folder, options.outFolder, error, true))
            return false;
    }

    QFile file(QDir(options.outFolder).filePath(QStringLiteral("ACKNOWLEDGEMENTS.txt")));
    const QByteArray text = acknowledgements(bucklingSpring, releasesMade, clicks.leftOut);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        *error = QStringLiteral("cannot write %1").arg(file.fileName());
        return false;
    }
    return true;
}

} // namespace plinkum
