#pragma once

#include <QString>

#include <vector>

namespace plinkum {

// A built-in mouse pack made from the recordings of that mouse in data/mouse-clicks/<source>.
struct RecordedMouse {
    QString folder;
    QString name;   // the mouse as its maker sells it
    int order = 0;
    QString source; // folder of the recordings
    QString credit;
};

const std::vector<RecordedMouse> &recordedMice();

} // namespace plinkum
