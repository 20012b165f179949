#pragma once

#include <QString>

namespace plinkum {

// The two pack failures a user is shown with a fixed message.
enum class PackLoadError { NoManifest, NoSounds };

QString description(PackLoadError error);

} // namespace plinkum
