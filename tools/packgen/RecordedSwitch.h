#pragma once

#include <QString>

#include <vector>

namespace plinkum {

// A built-in pack made from recordings of that very switch: a Mechvibes pack recorded key by key
// (data/mechvibes/<source>) or a kbsim switch (data/kbsim/<source>).
struct RecordedSwitch {
    enum class From { Mechvibes, Kbsim };

    QString folder;
    QString name;    // says what was recorded: switch and keycap material
    QString type;
    int order = 0;
    From from = From::Mechvibes;
    QString source;  // folder of the recordings
    QString credit;  // who recorded it, as far as the recordings tell
};

const std::vector<RecordedSwitch> &recordedSwitches();

} // namespace plinkum
