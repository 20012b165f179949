#pragma once

#include <QString>

#include <vector>

namespace plinkum {

// A built-in pack made from a Mechvibes pack recorded key by key (data/mechvibes/<source>).
struct RecordedSwitch {
    QString folder;
    QString name;    // says what was recorded: switch and keycap material
    QString type;
    int order = 0;
    QString source;  // folder of the Mechvibes pack
    QString credit;  // who recorded it, as far as the pack tells
    QString ownLicence; // a licence file of its own in the source folder, copied beside Mechvibes'
};

const std::vector<RecordedSwitch> &recordedSwitches();

} // namespace plinkum
