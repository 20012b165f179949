#pragma once

#include "packs/PeerPackFinder.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <mutex>
#include <thread>

namespace plinkum {

class PackImportJob;

// Import from other apps: finds the packs other keyboard-sound programs keep, on a thread of its
// own, and imports the chosen ones one after another through the ordinary import job, so each is
// checked and copied like any other and the sources are only ever read. Main thread.
class PeerPackImport : public QObject {
    Q_OBJECT

public:
    PeerPackImport(PackImportJob &job, QString userPacksFolder, QObject *parent = nullptr);
    // Waits for a search under way: it reads a bounded number of small documents.
    ~PeerPackImport() override;

    // Looks again, in the places of the environment as it is now; ignored while a search runs.
    void find();
    [[nodiscard]] bool isFinding() const { return m_finder.joinable(); }
    // What the last search found; empty before the first.
    [[nodiscard]] const QList<PeerPackFinder::Found> &found() const { return m_found; }
    // The same for the views: one map per pack with the members of Found.
    [[nodiscard]] QVariantList foundAsMaps() const;

    // Imports the found packs at `paths` that can be imported, one at a time; false when an
    // import runs already or none of them can be.
    bool importPaths(const QStringList &paths);
    [[nodiscard]] bool isImporting() const { return !m_queue.isEmpty() || m_current >= 0; }
    // Share of the batch done, 0 to 1, counting the running pack's copied files.
    [[nodiscard]] double progress() const;
    // The owner hands over each import the job finishes while isImporting.
    void importFinished(const QString &packID, const QString &error, const QStringList &warnings);

signals:
    void foundChanged();
    // Also when the batch starts and ends.
    void progressChanged();
    // The batch is done: one line per pack that failed, and per warning of those imported.
    void finished(const QStringList &errors, const QStringList &warnings);

private:
    void startNext();

    PackImportJob &m_job;
    QString m_userPacksFolder;
    std::thread m_finder;
    std::mutex m_mutex;
    QList<PeerPackFinder::Found> m_searched; // handed from the search's thread, under the mutex
    QList<PeerPackFinder::Found> m_found;

    QList<PeerPackFinder::Found> m_queue;
    PeerPackFinder::Found m_running;
    int m_current = -1; // index of the running import in the batch; -1 when none runs
    int m_total = 0;
    QStringList m_errors;
    QStringList m_warnings;
};

} // namespace plinkum
