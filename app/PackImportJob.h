#pragma once

#include "packs/PackLibrary.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>
#include <optional>
#include <thread>

namespace plinkum {

// Imports one pack folder or zip archive into the library's user packs: the files are copied on
// a thread of its own, reporting progress, and the finished copy is added to the library here on
// the main thread. One import at a time.
class PackImportJob : public QObject {
    Q_OBJECT

public:
    explicit PackImportJob(PackLibrary &library, QObject *parent = nullptr);
    // Cancels a running import; it stops within one file, so quitting never waits for it.
    ~PackImportJob() override;

    // False when an import runs already.
    bool start(const QString &source);
    [[nodiscard]] bool isRunning() const { return m_thread.joinable(); }
    // Share of the files copied, 0 to 1.
    [[nodiscard]] double progress() const { return m_progress; }

signals:
    // Also when an import starts and ends.
    void progressChanged();
    // The pack's id once it is in the library, with what its author should fix; otherwise
    // `error` says why not.
    void finished(const QString &packID, const QString &error, const QStringList &warnings);

private:
    void finish();

    PackLibrary &m_library;
    std::mutex m_mutex;
    std::thread m_thread;
    std::atomic<bool> m_cancelled{false};
    std::optional<PackLibrary::StagedImport> m_staged;
    PackLibrary::ImportError m_stagingError{};
    double m_progress = 0.0;
};

} // namespace plinkum
