#include "packs/PackLoadFailure.h"

namespace plinkum {

PackLoadFailure PackLoadFailure::fromError(PackLoadError error)
{
    return {error == PackLoadError::NoManifest ? Kind::NoManifest : Kind::NoSounds, description(error)};
}

PackLoadFailure PackLoadFailure::invalidDocument(const QString &message)
{
    return {Kind::InvalidDocument, message};
}

std::optional<PackLoadError> PackLoadFailure::error() const
{
    switch (kind) {
    case Kind::NoManifest:
        return PackLoadError::NoManifest;
    case Kind::NoSounds:
        return PackLoadError::NoSounds;
    case Kind::InvalidDocument:
        break;
    }
    return std::nullopt;
}

QString PackLoadFailure::kindName() const
{
    switch (kind) {
    case Kind::NoManifest:
        return QStringLiteral("noManifest");
    case Kind::NoSounds:
        return QStringLiteral("noSounds");
    case Kind::InvalidDocument:
        break;
    }
    return QStringLiteral("invalidDocument");
}

} // namespace plinkum
