#pragma once

#include "tools/packgen/PackWriter.h"

#include <QString>

namespace plinkum {

// Turns bucklespring's key-by-key Model M recordings (files "<evdev code in hex>-1.wav" for the
// press and "-0.wav" for the release) into pack sounds under our key codes.
class BucklingSpringImport {
public:
    // False, with the writer untouched, when the recordings are missing or incomplete.
    static bool build(const QString &wavFolder, PackWriter &writer);
};

} // namespace plinkum
