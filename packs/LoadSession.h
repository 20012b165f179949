#pragma once

#include "packs/FolderResolver.h"
#include "packs/LoadReport.h"
#include "packs/Sample.h"
#include "packs/SampleCache.h"

#include <QHash>
#include <QString>

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace plinkum::PackLoader {

// One load's shared state: the folder, the cache every map draws from, the report, and what the
// load may still spend. The limits hold for any document: a pack naming one file through
// thousands of spellings, or thousands of files, loads or fails in a few seconds.
class LoadSession {
public:
    // Files opened, bytes read and frames decoded per load, beyond the cache's memory budget:
    // work that leaves nothing in the pack (a silent file, a window of silence) costs time too.
    static constexpr int maxFiles = 4096;
    static constexpr std::uint64_t maxBytes = std::uint64_t{1} << 30;
    // Logged skips per load; the report, for a pack author, keeps them all.
    static constexpr int maxLoggedSkips = 8;

    // How the document names its files. Mechvibes finds them as Windows and macOS do: a
    // backslash separates folders and case does not matter.
    enum class Names { Exact, AsMechvibes };

    LoadSession(QString folder, Names names, LoadReport *report, const std::atomic<bool> *cancelled);
    ~LoadSession();
    LoadSession(const LoadSession &) = delete;
    LoadSession &operator=(const LoadSession &) = delete;

    // The sample of a file, decoded once however it is spelt; null when it gives none.
    SamplePtr fileSample(const QString &fileName);
    // A window of the one recording `soundName` names, decoded on first use.
    SamplePtr sliceSample(const std::optional<QString> &soundName, double start, double duration);
    // Lists a file the pack names for a key it cannot play yet, so that an import keeps it.
    void keepFile(const QString &fileName);

    void skip(const QString &what, const QString &reason);
    void ignore(const QString &what, const QString &reason);
    // Adds what the load found by tolerance (sound names differing in case) to the report's warnings.
    void finish();

private:
    struct Resolved {
        QString cleaned;  // the name as the pack writes it, cleaned; empty for a name with NUL
        QString path;     // the file, inside the folder; empty when refused
        QString relative; // the file, below the real folder
        QString refusal;  // why there is no path
    };
    Resolved resolve(const QString &fileName);
    void used(const QString &cleaned, const QString &path);
    void checkCancelled() const;
    static QString workMessage();
    void logSkip(const QString &what, const QString &reason);
    std::optional<std::vector<float>> decode(const Resolved &file, std::size_t maxFrames, QString &why);
    const std::vector<float> *recording(const std::optional<QString> &soundName);

    QString m_folder;
    Names m_names;
    LoadReport *m_report;
    const std::atomic<bool> *m_cancelled;
    SampleCache m_cache;
    FolderResolver m_resolver;
    QHash<QString, Resolved> m_resolved;
    int m_caseMismatches = 0;
    QString m_caseExample;
    int m_filesOpened = 0;
    std::uint64_t m_bytesLeft = maxBytes;
    std::uint64_t m_framesLeft;
    int m_loggedSkips = 0;
    int m_unloggedSkips = 0;
    bool m_soundTried = false;
    std::optional<std::vector<float>> m_sound;
};

} // namespace plinkum::PackLoader
