#include "app/PeerPackImport.h"

#include "app/PackImportJob.h"

#include <QVariantMap>

#include <algorithm>

namespace plinkum {

PeerPackImport::PeerPackImport(PackImportJob &job, QString userPacksFolder, QObject *parent)
    : QObject(parent), m_job(job), m_userPacksFolder(std::move(userPacksFolder))
{
    connect(&m_job, &PackImportJob::progressChanged, this, [this] {
        if (isImporting())
            emit progressChanged();
    });
}

PeerPackImport::~PeerPackImport()
{
    if (m_finder.joinable())
        m_finder.join();
}

void PeerPackImport::find()
{
    if (m_finder.joinable())
        return;
    m_finder = std::thread([this, finder = PeerPackFinder()] {
        QList<PeerPackFinder::Found> found = finder.find(m_userPacksFolder);
        {
            std::lock_guard lock(m_mutex);
            m_searched = std::move(found);
        }
        QMetaObject::invokeMethod(this, [this] {
            m_finder.join();
            {
                std::lock_guard lock(m_mutex);
                m_found = std::move(m_searched);
            }
            emit foundChanged();
        }, Qt::QueuedConnection);
    });
    emit foundChanged();
}

QVariantList PeerPackImport::foundAsMaps() const
{
    QVariantList packs;
    for (const PeerPackFinder::Found &found : m_found) {
        packs.append(QVariantMap{{QStringLiteral("name"), found.name},
                                 {QStringLiteral("format"), found.format},
                                 {QStringLiteral("program"), found.program},
                                 {QStringLiteral("path"), found.path},
                                 {QStringLiteral("imported"), found.imported},
                                 {QStringLiteral("problem"), found.problem}});
    }
    return packs;
}

bool PeerPackImport::importPaths(const QStringList &paths)
{
    if (isImporting())
        return false;
    QList<PeerPackFinder::Found> chosen;
    for (const PeerPackFinder::Found &found : m_found) {
        if (found.importable() && paths.contains(found.path))
            chosen.append(found);
    }
    if (chosen.isEmpty())
        return false;
    m_queue = chosen;
    m_total = static_cast<int>(chosen.size());
    m_current = -1;
    m_errors.clear();
    m_warnings.clear();
    startNext();
    return true;
}

double PeerPackImport::progress() const
{
    if (m_total == 0)
        return 0.0;
    const double done = std::max(0, m_current) + (m_current >= 0 ? m_job.progress() : 0.0);
    return std::min(1.0, done / m_total);
}

void PeerPackImport::importFinished(const QString &packID, const QString &error, const QStringList &warnings)
{
    if (packID.isEmpty())
        m_errors.append(QStringLiteral("%1: %2").arg(m_running.name, error));
    for (const QString &warning : warnings)
        m_warnings.append(QStringLiteral("%1: %2").arg(m_running.name, warning));
    startNext();
}

void PeerPackImport::startNext()
{
    while (!m_queue.isEmpty()) {
        m_running = m_queue.takeFirst();
        ++m_current;
        if (m_job.start(m_running.path)) {
            emit progressChanged();
            return;
        }
        m_errors.append(QStringLiteral("%1: %2").arg(m_running.name, tr("another import was running.")));
    }
    m_current = -1;
    m_total = 0;
    emit progressChanged();
    emit finished(m_errors, m_warnings);
    // The packs just imported are now the library's own.
    find();
}

} // namespace plinkum
