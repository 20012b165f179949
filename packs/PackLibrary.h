#pragma once

#include "packs/NaturalOrder.h"
#include "packs/PackInfo.h"
#include "packs/StagingFolder.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace plinkum {

// The catalogue of available packs: the read-only built-in packs shipped with the application and
// the user's imported packs. Lists packs without decoding audio, imports a pack folder after
// checking that it loads, and moves user packs to the trash. Used on the main thread.
class PackLibrary : public QObject {
    Q_OBJECT

public:
    // Switch families shown first when grouping, in this order; untyped packs go under "Other".
    static const QStringList familyOrder;

    struct Group {
        QString title;
        QList<PackInfo> packs;

        friend bool operator==(const Group &, const Group &) = default;
    };

    struct ImportError {
        // Refused: the source holds the user packs folder or lies inside it, or the pack's name
        // holds what NameRules refuses. InvalidArchive: a zip
        // that cannot be read, holds no pack, or holds what a pack never needs (links, paths out).
        enum class Kind { NoManifest, NoSounds, InvalidDocument, CopyFailed, Refused, InvalidArchive };
        Kind kind;
        QString message; // shown to the user as it is
    };

    // A checked and copied pack waiting in its staging folder for its final name.
    struct StagedImport {
        std::unique_ptr<StagingFolder> staging;
        QString name;
        PackInfo sourceInfo;
        // What the pack does that its program accepts but its author should fix (LoadReport).
        QStringList warnings;
    };
    // Files copied so far and in all.
    using ImportProgress = std::function<void(int copied, int total)>;

    // The application's folders: built-in packs beside the executable, user packs in
    // $XDG_DATA_HOME/Plinkum/Packs.
    explicit PackLibrary(QObject *parent = nullptr);
    // Other folders, for tools and tests.
    PackLibrary(const QString &builtInFolder, const QString &userFolder, QObject *parent = nullptr);

    static QString defaultBuiltInFolder();
    static QString defaultUserFolder();

    // Built-in packs by ascending order; set once.
    const QList<PackInfo> &builtIn() const { return m_builtIn; }
    // User packs by name, numbers inside names by value.
    const QList<PackInfo> &custom() const { return m_custom; }
    // Built-in packs, then user packs.
    QList<PackInfo> all() const;
    // Built-in packs by switch family: the four families first, then other titles and "Other" in
    // the order they first appear.
    QList<Group> grouped() const;

    // The user packs folder.
    QString folder() const { return m_folder; }
    QString builtInFolder() const { return m_builtInFolder; }

    // Copies a pack folder, or the pack in a zip archive, into the user packs folder under a free
    // name, after checking that it describes itself and loads. On failure nothing is left behind
    // and `error` says why; on success `warnings` lists what the pack's author should fix.
    std::optional<PackInfo> importPack(const QString &source, ImportError *error = nullptr, QStringList *warnings = nullptr);

    // The slow part of an import, for any thread: checks that the pack in `source` (a folder, or
    // a zip archive unpacked first; the pack may sit a few folders down) loads and copies its
    // documents, the files they name and its licence and readme files (nothing else) into a
    // staging folder inside `packsFolder`, each opened below the pack's folder without following
    // any link (BeneathOpener) and checked after opening, then flushed to disk.
    static std::optional<StagedImport> stageImport(const QString &source, const QString &packsFolder,
                                                   ImportError *error, const std::atomic<bool> *cancelled = nullptr,
                                                   const ImportProgress &progress = {});
    // The rest, on the main thread: moves the staged copy to a free name and lists it.
    std::optional<PackInfo> finishImport(StagedImport staged, ImportError *error = nullptr);
    // Removes what imports that ended without cleaning up left behind (StagingFolder::sweep).
    void sweepStaleImports();
    // Moves a user pack to the trash; built-in packs are left alone. Rescans either way.
    void deletePack(const PackInfo &pack);
    // Lists the user packs folder again, for changes made outside the library.
    void reloadCustom();

signals:
    void customChanged();

private:
    QList<PackInfo> scanFolder(const QString &folder, bool isBuiltIn) const;
    QString freeDestination(const QString &name) const;
    // `fromStaging`: `source` lies in a staging folder of this import (an unpacked archive), whose
    // files are linked rather than copied.
    static std::optional<StagedImport> stageFolder(const QString &source, const QString &name,
                                                   const QString &packsFolder, ImportError *error,
                                                   const std::atomic<bool> *cancelled, const ImportProgress &progress,
                                                   QStringList warnings, bool fromStaging);

    QString m_builtInFolder;
    QString m_folder;
    NaturalOrder m_nameOrder;
    QList<PackInfo> m_builtIn;
    QList<PackInfo> m_custom;
};

} // namespace plinkum
