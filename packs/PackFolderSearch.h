#pragma once

#include <QString>

#include <optional>

namespace plinkum {

// Finds the pack in a folder as users hand it over: the folder itself, or the one folder below it
// that holds a pack document (a download unpacked into a folder of its own, a zip holding a folder
// holding the pack). Looks a few levels down, never through links, and answers only when exactly
// one pack is there: of two, which one the user meant is not for Plinkum to guess.
class PackFolderSearch {
public:
    static constexpr int maxDepth = 4;
    static constexpr int maxFolders = 256; // visited at most, so a huge tree costs little

    explicit PackFolderSearch(const QString &folder);

    // The pack's folder; nothing when there is none, or more than one.
    const std::optional<QString> &packFolder() const { return m_packFolder; }
    // Where the pack sits below the folder ("pandas/pandas"), empty when in the folder itself.
    const QString &relativePath() const { return m_relativePath; }
    // Packs found (0 when none, 2 when at least two).
    int packsFound() const { return m_packsFound; }

    // Whether `folder` holds a document of any format (under any spelling a format accepts).
    static bool holdsDocument(const QString &folder);
    // The warning for a pack found below the folder, naming where it was.
    QString deeperWarning() const;

private:
    std::optional<QString> m_packFolder;
    QString m_relativePath;
    int m_packsFound = 0;
};

} // namespace plinkum
