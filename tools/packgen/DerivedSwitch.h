#pragma once

#include "tools/packgen/KbsimRecordingImport.h"

#include <QDir>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace plinkum {

// A built-in pack for a switch nobody has recorded under an open licence, made from real
// strokes of its nearest recorded relatives (data/kbsim) by filtering, changes of speed and
// layering real events of other strokes. Each recipe says why it does what it does.
struct DerivedSwitch {
    using Strokes = KbsimRecordingImport::Strokes;

    QString folder;
    QString name;
    QString type;
    int order = 0;
    QString credit; // names the recordings it is made from and says it is derived
    QString from;   // the kbsim folders it is made from, for the acknowledgements
    // Builds the strokes from the kbsim folder; nothing when a recording is missing.
    std::function<std::optional<Strokes>(const QDir &kbsim)> make;
};

const std::vector<DerivedSwitch> &derivedSwitches();

} // namespace plinkum
