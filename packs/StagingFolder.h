#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

namespace plinkum {

// A pack being imported: a hidden folder `.import-XXXXXX` inside the packs folder that the scan
// skips, filled file by file under one set of rules, and removed unless kept. The rules hold
// whatever the files come from (a folder's files, an archive's entries): names stay inside
// the folder, nothing is linked, every file is new, private (folders 0700, files 0600: a pack is
// the user's own and nobody else on the machine needs to read it) and within the size caps.
class StagingFolder {
public:
    // Generous for key sounds: ten minutes of 48 kHz stereo WAV is 110 MiB.
    static constexpr std::int64_t maxFileBytes = std::int64_t{128} << 20;
    static constexpr std::int64_t maxTotalBytes = std::int64_t{512} << 20;
    static constexpr int maxFiles = 4096;
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
    // held to the caps. False, with error() set, when the name leaves the folder or is taken, a
    // cap would be passed, a read or write fails, or `cancelled` is set.
    bool addFile(const QString &relativePath, std::int64_t declaredSize, const Reader &read,
                 const std::atomic<bool> *cancelled = nullptr);
    // The same from the file open on `fd` (at its start), which must be a regular file.
    bool addFile(const QString &relativePath, int fd, const std::atomic<bool> *cancelled = nullptr);

    // Leaves the folder in place (after it has been renamed to its final name).
    void keep() { m_path.clear(); }

    // Removes staging folders a crashed import left in `packsFolder`.
    static void sweep(const QString &packsFolder);

private:
    bool fail(const QString &error);
    bool makeParents(const QString &relativePath);

    QString m_path;
    QString m_error;
    std::int64_t m_totalBytes = 0;
    int m_files = 0;
};

} // namespace plinkum
