#pragma once

#include "packs/DocumentReader.h"

#include <QByteArray>
#include <QJsonObject>

#include <optional>

// YAML pack documents (keyboardsounds' profile.yaml) as the JSON objects every format reads.
namespace plinkum::PackLoader::YamlDocument {

// The document's top-level mapping. Scalars stay text, numbers included, so ids and key names
// compare as they are written; `~`, `null` and empty values are null. Aliases are expanded
// within a budget, so a document of a few kilobytes cannot expand into gigabytes. A document
// that does not parse, or whose top level is not a mapping, fails `reader` with the place.
std::optional<QJsonObject> parse(DocumentReader &reader, const QByteArray &data);

} // namespace plinkum::PackLoader::YamlDocument
