#pragma once

#include <QString>

namespace plinkum {

// What `plinkum --diagnose` prints: keyboard access and the key source it picks, the sound
// server and its outputs, the pack folders and the settings file. Never a key code.
class Diagnostics {
public:
    static QString report();
};

} // namespace plinkum
