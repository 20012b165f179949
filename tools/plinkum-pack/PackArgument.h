#pragma once

#include "packs/PackInfo.h"

#include <QString>

#include <optional>

namespace plinkum {

class PackLibrary;

// A pack as the user names it on the command line: an id that `list` prints ("bundle:…",
// "folder:…") or a folder.
namespace PackArgument {

// The folder to read: the argument itself when it is a folder, else the folder of the pack with
// that id; the argument unchanged when neither, so that loading it says what is wrong.
struct Folder {
    QString path;
    bool isBuiltIn = false;
};
Folder folder(const QString &argument, bool isBuiltIn);

// The descriptor to load the folder with. A folder the loader's reader does not describe is
// still loaded, so the failure says why (no document, or which member of which document is wrong).
PackInfo describe(const Folder &folder);

// The library's pack that the argument names by id or by its folder.
std::optional<PackInfo> find(const PackLibrary &library, const QString &argument);

// For errors: the argument does not exist as a file and is not a pack id.
QString notFoundMessage(const QString &argument);

} // namespace PackArgument

} // namespace plinkum
