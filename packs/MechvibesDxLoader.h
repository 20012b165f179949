#pragma once

#include "packs/LoadReport.h"
#include "packs/LoadedPack.h"
#include "packs/MechvibesDxConfig.h"
#include "packs/PackInfo.h"

#include <atomic>

namespace plinkum::PackLoader {

// Builds the pack of a decoded MechvibesDX config; `load` then checks that it plays. Of a
// definition's windows, two are its press and release sounds, one its press sound, and more its
// press sounds to draw from. Mouse buttons fill the pack's button lists.
LoadedPackPtr loadMechvibesDx(const MechvibesDxConfig &config, const PackInfo &info, LoadReport *report = nullptr,
                              const std::atomic<bool> *cancelled = nullptr);

// The pointer button a MechvibesDX definition name stands for; nothing for keys and for the
// buttons Plinkum does not play (Mouse6 to Mouse8, the wheel).
std::optional<PointerButton> mechvibesDxButton(const QString &name);

} // namespace plinkum::PackLoader
