#include "packs/UserPackWatcher.h"

#include "packs/PackLibrary.h"

#include <QDir>
#include <QFileSystemWatcher>

namespace plinkum {

UserPackWatcher::UserPackWatcher(PackLibrary &library, QObject *parent)
    : QObject(parent)
    , m_library(library)
    , m_watcher(new QFileSystemWatcher(this))
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        m_library.reloadCustom();
        watchPackFolders();
    });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    // The folder is made here so that the first pack put there is seen.
    if (!library.folder().isEmpty() && QDir().mkpath(library.folder()))
        watchPackFolders();
}

void UserPackWatcher::watchPackFolders()
{
    const QString folder = m_library.folder();
    QStringList wanted{folder};
    const QDir dir(folder);
    // Hidden folders are imports being staged; they are renamed into place when done.
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks))
        wanted.append(dir.filePath(name));
    const QStringList watched = m_watcher->directories();
    for (const QString &path : watched) {
        if (!wanted.contains(path))
            m_watcher->removePath(path);
    }
    for (const QString &path : wanted) {
        if (!watched.contains(path))
            m_watcher->addPath(path);
    }
}

} // namespace plinkum
