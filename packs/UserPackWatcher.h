#pragma once

#include <QObject>
#include <QTimer>

class QFileSystemWatcher;

namespace plinkum {

class PackLibrary;

// Lists the user packs again when something outside Plinkum adds, renames or removes a pack in
// their folder (a copy from a file manager, `plinkum-pack import` from a shell). The folder and
// each pack folder in it are watched: a pack copied in arrives as an empty folder first and its
// files afterwards. Changes are gathered for a moment so a large copy rescans once. Main thread.
class UserPackWatcher : public QObject {
    Q_OBJECT

public:
    static constexpr int settleMs = 400;

    explicit UserPackWatcher(PackLibrary &library, QObject *parent = nullptr);

private:
    void watchPackFolders();

    PackLibrary &m_library;
    QFileSystemWatcher *m_watcher;
    QTimer m_settle;
};

} // namespace plinkum
