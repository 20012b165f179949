#pragma once

#include <QString>
#include <QStringList>

namespace plinkum {

// What `plinkum --diagnose` prints: keyboard access and the key source it picks, the sound
// server and its outputs, the pack folders, the settings and whether Plinkum runs. Never a key code.
class Diagnostics {
public:
    struct Report {
        QString text;
        QStringList problems; // why typed keys cannot be heard, one line each; empty when they can
    };

    static Report report();
};

} // namespace plinkum
