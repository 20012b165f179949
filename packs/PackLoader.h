#pragma once

#include "packs/DocumentReader.h"
#include "packs/LoadReport.h"
#include "packs/LoadResult.h"
#include "packs/LoadedPack.h"
#include "packs/Manifest.h"
#include "packs/MechvibesConfig.h"
#include "packs/PackInfo.h"
#include "packs/SampleCache.h"
#include "packs/SampleDecoding.h"

#include <QString>
#include <QUrl>

#include <atomic>
#include <optional>

// Reading pack folders: describing them cheaply and decoding them into playable packs.
// Loads touch no shared state, so several may run at once on different threads. Every load is
// bounded (memory, files, bytes and frames decoded) whatever the documents ask for, and stops
// with DecodeError (kind Cancelled) soon after `cancelled` is set.
namespace plinkum::PackLoader {

// Describes a pack folder from the first of its documents that decodes (PackFormat: pack.json,
// else a Mechvibes config.json, else a keyboardsounds profile.yaml), and a user pack's level,
// reading no audio. Nothing when none does: the folder is not a pack.
std::optional<PackInfo> readInfo(const QString &folder, bool isBuiltIn);
std::optional<PackInfo> readInfo(const QUrl &folder, bool isBuiltIn);

// Decodes every sound of the pack `info` describes. Slow (file input and decoding): call it off
// the main thread. The pack keeps `info` as given, not what the document says now, and its
// sounds are scaled by the level `info` carries (PackLevel).
LoadResult load(const PackInfo &info, LoadReport *report = nullptr, const std::atomic<bool> *cancelled = nullptr);

// The file `fileName` names inside `folder`, with symbolic links resolved (FolderResolver);
// nothing when it leaves the folder (../, a link pointing outside, the folder itself) or cannot
// be resolved (a link loop, a path too long).
std::optional<QString> resolveInside(const QString &folder, const QString &fileName);

// The document `name` of `folder` as the loader reads it: under any spelling a lenient document
// may have (Config.json), and confined to the folder like the sounds it names, so a pack.json
// that is a link to a file elsewhere is not read.
DocumentReader::FileStatus readDocument(const QString &folder, const QString &name, QByteArray &data);

// Builds the pack of a decoded Mechvibes config; `load` then checks that it plays.
LoadedPackPtr loadMechvibes(const MechvibesConfig &config, const PackInfo &info, LoadReport *report = nullptr,
                            const std::atomic<bool> *cancelled = nullptr);

// Builds the pack of a decoded manifest; `load` then checks that it plays.
LoadedPackPtr loadManifest(const Manifest &manifest, const PackInfo &info, LoadReport *report = nullptr,
                           const std::atomic<bool> *cancelled = nullptr);

// The cache key of a Mechvibes slice: start and duration in shortest round-trip form, joined by
// "-", integral values with ".0" ("120.0-80.0").
QString sliceKey(double start, double duration);

} // namespace plinkum::PackLoader
