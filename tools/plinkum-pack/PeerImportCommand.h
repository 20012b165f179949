#pragma once

#include <QStringList>

// import --from-apps: the packs other keyboard-sound programs keep in this user's home, listed
// and imported through the library like any other import. Never changes those programs' folders.
namespace plinkum::PeerImportCommand {

// Takes the arguments after --from-apps; returns the exit code.
int run(const QStringList &arguments);

} // namespace plinkum::PeerImportCommand
