#pragma once

#include "tools/packgen/PackWriter.h"

#include <QString>
#include <QStringList>

namespace plinkum {

// Turns a Mechvibes pack recorded key by key (one long recording cut into slices, or a file per
// key, or press and release files) into pack sounds: each slice is re-cut where the press really
// starts, split into press and release, and cleaned of DC, rumble, mains hum and the noise floor
// in its tail.
class MechvibesRecordingImport {
public:
    // What the import found, for the acknowledgements and for checking the recordings.
    struct Report {
        double noiseFloorDb = 0;    // RMS of the recording's quiet stretches, dBFS
        int humFrequency = 0;       // 50 or 60 when mains hum stood out and was notched, else 0
        double humDb = 0;           // that hum's strongest harmonic above its neighbourhood, dB
        int strokes = 0;            // distinct key sounds examined
        int releasesFound = 0;      // press and release found in the recording
        int releasesGiven = 0;      // release files of their own in the pack
        int releasesMade = 0;       // release made from the press because the recording has none
        int soundsTamed = 0;        // sounds scaled down to 1 dB above the loudest ordinary press
        QStringList usedKeys;       // Mechvibes key numbers given their own sounds
        QStringList droppedKeys;    // "key: reason" for slices left out
    };

    // False, with the writer untouched, when the pack cannot be read or lacks a category.
    static bool build(const QString &folder, PackWriter &writer, Report *report = nullptr);
};

} // namespace plinkum
