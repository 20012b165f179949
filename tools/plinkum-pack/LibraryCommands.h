#pragma once

#include "packs/PackLibrary.h"

#include <QString>
#include <QStringList>

#include <optional>

// list, import and remove: the pack library as the application sees it, with the same folders
// (XDG_DATA_HOME steers the user packs folder). list and import first sweep the staging folders
// killed imports left, as the application does at start. Each takes the arguments after its own
// name and returns the exit code.
namespace plinkum::LibraryCommands {

int list(const QStringList &arguments);
// import DIR|ZIP, or import --from-apps (PeerImportCommand).
int importPack(const QStringList &arguments);
int remove(const QStringList &arguments);

// Imports `source` as the application does, measured so that it plays as loud as the built-in
// packs from the start: the pack as listed afterwards.
std::optional<PackInfo> importMeasured(PackLibrary &library, const QString &source, PackLibrary::ImportError *error,
                                       QStringList *warnings);

// An import's failure as the JSON names it: "noManifest", "refused", …
QString importErrorKind(PackLibrary::ImportError::Kind kind);

} // namespace plinkum::LibraryCommands
