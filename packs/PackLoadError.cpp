#include "packs/PackLoadError.h"

#include <QCoreApplication>

namespace plinkum {

QString description(PackLoadError error)
{
    switch (error) {
    case PackLoadError::NoManifest:
        return QCoreApplication::translate("PackLoadError",
                                           "The folder must contain a pack.json, a Mechvibes config.json or a keyboardsounds profile.yaml.");
    case PackLoadError::NoSounds:
        return QCoreApplication::translate("PackLoadError", "No playable sounds were found in this pack.");
    }
    return {};
}

} // namespace plinkum
