#pragma once

#include <QString>

#include <atomic>
#include <optional>

namespace plinkum {

class StagingFolder;

// Unpacks a pack shared as a zip archive into a staging folder, so that the folder import's
// checks and copy rules apply to it unchanged. Only the documents come out first (each at most a
// document's size), then only the files the pack's document names and its licence and readme
// files: the archive's other files never reach the disk. Only plain files are written, through
// the staging folder's rules and caps; an archive holding a link, a special file, an absolute
// path or ".." is refused whole. Sizes are checked twice: on the archive's own listing before
// anything is written (a zip bomb costs a read of its directory) and on the bytes actually
// inflated (a listing may lie).
class PackArchive {
public:
    // Unpacks `archivePath` into `staging` and returns the pack's folder there: a folder named
    // after the archive when the pack documents sit at its root, else the one folder below that
    // holds them (PackFolderSearch). A pack deeper than the archive's one top-level folder gets a
    // `warning`. On failure `error` says why in the user's terms.
    static std::optional<QString> unpack(const QString &archivePath, StagingFolder &staging, QString *error,
                                         const std::atomic<bool> *cancelled = nullptr, QString *warning = nullptr);
};

} // namespace plinkum
