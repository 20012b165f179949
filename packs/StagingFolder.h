#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

namespace plinkum {

// A pack being imported: a hidden folder `.import-XXXXXX` inside the packs folder that the scan
// skips, filled file by file under one set of rules, and removed unless kept. The rules hold
// whatever the files come from (a folder's files, an archive's entries): names stay inside
// the folder and are acceptable to NameRules, nothing is linked, every file is new, private
// (folders 0700, files 0600: a pack is the user's own and nobody else on the machine needs to
// read it), within the size caps, and a sound far larger than its audio is
// stored as its audio alone (SoundCompactor). The folder is locked (flock) while the import runs,
// so a sweep by another process passes it by.
class StagingFolder {
public:
    // Generous for key sounds: ten minutes of 48 kHz stereo WAV is 110 MiB.
    static constexpr std::int64_t maxFileBytes = std::int64_t{128} << 20;
    static constexpr std::int64_t maxTotalBytes = std::int64_t{512} << 20;
    // As many sounds as a pack loads, and its documents, licence and readme files beside them.
    static constexpr int maxFiles = 4096 + 32;
    // All user packs together, this one included.
    static constexpr std::int64_t maxLibraryBytes = std::int64_t{2} << 30;
    // What an import leaves free on the disk it writes to.
    static constexpr std::int64_t minFreeBytes = std::int64_t{1} << 30;
    // Staging folders this old and unlocked were left by an import that ended without cleaning up.
    static constexpr int staleSeconds = 3600;
    static const QString prefix; // ".import-"

    // Creates the folder inside `packsFolder`; check isValid().
    explicit StagingFolder(const QString &packsFolder);
    ~StagingFolder();
    StagingFolder(const StagingFolder &) = delete;
    StagingFolder &operator=(const StagingFolder &) = delete;

    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    // Why the last call failed, for the user.
    QString error() const { return m_error; }

    // Reads up to `size` bytes into `buffer`: the count, 0 at the end, -1 on an error (errno set).
    using Reader = std::function<std::int64_t(char *buffer, std::size_t size)>;

    // Writes what `read` yields to `relativePath`, a cleaned relative path; `declaredSize` (what
    // the source says, checked before anything is written) and the bytes actually read are both
    // held to the caps. False, with error() set, when the name leaves the folder, is refused or
    // taken, a cap or the free space would be passed, a read or write fails, a sound is padded
    // beyond a lossless rewrite, or `cancelled` is set.
    bool addFile(const QString &relativePath, std::int64_t declaredSize, const Reader &read,
                 const std::atomic<bool> *cancelled = nullptr);
    // The same from the file open on `fd` (at its start), which must be a regular file.
    bool addFile(const QString &relativePath, int fd, const std::atomic<bool> *cancelled = nullptr);
    // The same for a file already staged by this process (an unpacked archive's), linked rather
    // than copied so the import does not need the space twice; held to the library's cap when it
    // was staged, so only to the pack's here.
    bool linkFile(const QString &relativePath, const QString &stagedPath);

    // Flushes every file and folder written here to disk, so the pack survives a crash once renamed.
    bool sync();
    // Leaves the folder in place (after it has been renamed to its final name).
    void keep();

    // Removes staging folders that imports which ended without cleaning up left in `packsFolder`:
    // those older than staleSeconds whose lock nobody holds.
    static void sweep(const QString &packsFolder);

private:
    bool fail(const QString &error);
    bool admit(const QString &relativePath, std::int64_t declaredSize);
    bool libraryHolds(std::int64_t declaredSize);
    bool roomFor(std::int64_t bytes);
    bool makeParents(const QString &relativePath);
    bool compact(const QString &relativePath, const QString &target, int fd, std::int64_t &bytes);

    QString m_path;
    QString m_error;
    int m_lock = -1;
    QString m_packsFolder;
    std::optional<std::int64_t> m_libraryBytes;
    std::int64_t m_totalBytes = 0;
    int m_files = 0;
};

} // namespace plinkum
