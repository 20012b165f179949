#include "app/PackImportJob.h"

#include "audio/PackLoudness.h"

namespace plinkum {

PackImportJob::PackImportJob(PackLibrary &library, QObject *parent)
    : QObject(parent)
    , m_library(library)
{
}

PackImportJob::~PackImportJob()
{
    m_cancelled = true;
    if (m_thread.joinable())
        m_thread.join();
}

bool PackImportJob::start(const QString &source)
{
    if (m_thread.joinable())
        return false;
    m_cancelled = false;
    m_progress = 0.0;
    m_thread = std::thread([this, source, packsFolder = m_library.folder()] {
        const auto progress = [this](int copied, int total) {
            const double share = total > 0 ? double(copied) / total : 0.0;
            QMetaObject::invokeMethod(this, [this, share] {
                m_progress = share;
                emit progressChanged();
            }, Qt::QueuedConnection);
        };
        PackLibrary::ImportError error{};
        std::optional<PackLibrary::StagedImport> staged =
            PackLibrary::stageImport(source, packsFolder, &error, &m_cancelled, progress);
        if (staged) {
            // The staged copy is measured here, off the main thread, so the pack is listed with its level.
            try {
                PackLoudness::measure(staged->staging->path(), &m_cancelled);
            } catch (...) {
                // Cancelled: the job is going away.
            }
        }
        std::lock_guard lock(m_mutex);
        m_staged = std::move(staged);
        m_stagingError = error;
        QMetaObject::invokeMethod(this, &PackImportJob::finish, Qt::QueuedConnection);
    });
    emit progressChanged();
    return true;
}

void PackImportJob::finish()
{
    std::optional<PackLibrary::StagedImport> staged;
    PackLibrary::ImportError error{};
    {
        std::lock_guard lock(m_mutex);
        staged.swap(m_staged);
        error = m_stagingError;
    }
    m_thread.join();
    std::optional<PackInfo> imported;
    QStringList warnings;
    if (staged) {
        warnings = staged->warnings;
        imported = m_library.finishImport(std::move(*staged), &error);
    }
    emit progressChanged();
    emit finished(imported ? imported->id : QString(), imported ? QString() : error.message,
                  imported ? warnings : QStringList());
}

} // namespace plinkum
