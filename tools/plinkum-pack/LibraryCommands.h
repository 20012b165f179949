#pragma once

#include "packs/PackLibrary.h"

#include <QString>
#include <QStringList>

// list, import and remove: the pack library as the application sees it, with the same folders
// (XDG_DATA_HOME steers the user packs folder). list and import first sweep the staging folders
// killed imports left, as the application does at start. Each takes the arguments after its own
// name and returns the exit code.
namespace plinkum::LibraryCommands {

int list(const QStringList &arguments);
// import DIR|ZIP, or import --from-apps (PeerImportCommand).
int importPack(const QStringList &arguments);
int remove(const QStringList &arguments);

// An import's failure as the JSON names it: "noManifest", "refused", …
QString importErrorKind(PackLibrary::ImportError::Kind kind);

} // namespace plinkum::LibraryCommands
