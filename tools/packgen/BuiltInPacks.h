#pragma once

#include <QString>
#include <QStringList>

namespace plinkum {

// Writes the built-in switch and mouse packs and ACKNOWLEDGEMENTS.txt into a Packs folder.
class BuiltInPacks {
public:
    struct Options {
        QString outFolder;
        QString mechvibesFolder;        // the Mechvibes packs some recorded switches are cut from
        QString kbsimFolder;            // the kbsim recordings: more recorded switches, and the derived ones
        QString mouseFolder;            // the mouse-button recordings, a folder per mouse
        QString bucklespringWavFolder;  // empty or missing: the buckling spring comes from kbsim
        QStringList bucklespringLicences; // copied into that pack when its recordings are used
    };

    // Highest sample peak any pack may reach after scaling (-1 dBFS).
    static constexpr float peakLimit = 0.891f;

    static bool generate(const Options &options, QString *error);
};

} // namespace plinkum
