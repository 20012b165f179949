#pragma once

#include "packs/PackLoadError.h"

#include <QString>

#include <optional>

namespace plinkum {

// Why a pack did not load: one of the two pack errors, or a document that did not decode, with
// the message the user is shown. The kind lets callers (the library, plinkum-pack) tell them apart.
struct PackLoadFailure {
    enum class Kind { NoManifest, NoSounds, InvalidDocument };

    Kind kind = Kind::NoManifest;
    QString message;

    static PackLoadFailure fromError(PackLoadError error);
    // `message` names the document and the member, e.g. pack.json: member "down" must be an object.
    static PackLoadFailure invalidDocument(const QString &message);

    // The pack error, when the failure is one.
    std::optional<PackLoadError> error() const;
    // "noManifest", "noSounds" or "invalidDocument".
    QString kindName() const;
};

} // namespace plinkum
