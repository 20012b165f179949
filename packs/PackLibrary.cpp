#include "packs/PackLibrary.h"

#include "common/Log.h"
#include "packs/BeneathOpener.h"
#include "packs/DecodeError.h"
#include "packs/NameRules.h"
#include "packs/PackArchive.h"
#include "packs/PackFolderSearch.h"
#include "packs/PackFormat.h"
#include "packs/PackLoader.h"
#include "packs/PackNotices.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plinkum {

const QStringList PackLibrary::familyOrder = {QStringLiteral("Linear"), QStringLiteral("Tactile"),
                                              QStringLiteral("Clicky"), QStringLiteral("Vintage")};

namespace {

const QString otherTitle = QStringLiteral("Other");

// An import that stops before anything is staged: `error`, when asked for, says why.
std::optional<PackLibrary::StagedImport> failedStaging(PackLibrary::ImportError *error, PackLibrary::ImportError e)
{
    if (error)
        *error = std::move(e);
    return std::nullopt;
}

// Decodes the whole pack once; the import refuses what would not play. The report lists the
// files the sounds came from.
std::optional<PackLibrary::ImportError> validate(const PackInfo &info, PackLoader::LoadReport &report,
                                                 const std::atomic<bool> *cancelled)
{
    using Kind = PackLibrary::ImportError::Kind;
    std::optional<PackLoader::LoadResult> result;
    try {
        result = PackLoader::load(info, &report, cancelled);
    } catch (const DecodeError &) {
        return PackLibrary::ImportError{Kind::CopyFailed, QCoreApplication::translate("PackLibrary", "The import was cancelled.")};
    }
    if (result->ok())
        return std::nullopt;
    const PackLoadFailure &failure = result->failure();
    switch (failure.kind) {
    case PackLoadFailure::Kind::NoManifest:
        return PackLibrary::ImportError{Kind::NoManifest, failure.message};
    case PackLoadFailure::Kind::NoSounds:
        return PackLibrary::ImportError{Kind::NoSounds, failure.message};
    case PackLoadFailure::Kind::InvalidDocument:
        break;
    }
    return PackLibrary::ImportError{Kind::InvalidDocument, failure.message};
}

// `inner` is `outer` or lies inside it; both canonical.
bool within(const QString &inner, const QString &outer)
{
    return inner == outer || inner.startsWith(outer.endsWith(u'/') ? outer : outer + u'/');
}

// A pack folder must not be hidden, or the scan would never list it.
QString visibleName(const QString &name)
{
    qsizetype dots = 0;
    while (dots < name.size() && name[dots] == u'.')
        ++dots;
    const QString visible = name.mid(dots);
    return visible.isEmpty() ? QStringLiteral("Pack") : visible;
}

// Moves `path` into the user's trash as the freedesktop.org trash does, so a file manager can
// restore it: the entry is created exclusively (never through a link or over another entry) and
// its Path= is percent-encoded, so a folder name holding a newline and "Path=" cannot forge a
// second line. Failures are logged and the pack simply stays where it is.
void moveToTrash(const QString &path)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString trash = data + QStringLiteral("/Trash");
    if (data.isEmpty() || !QDir().mkpath(trash + QStringLiteral("/files")) || !QDir().mkpath(trash + QStringLiteral("/info"))) {
        log("no trash folder: the pack stays where it is");
        return;
    }
    ::chmod(QFile::encodeName(trash).constData(), 0700);
    const QByteArray entry = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(path, "/")
                             + "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toLatin1() + '\n';
    const QString name = QFileInfo(path).fileName();
    for (int n = 1; n < 1000; ++n) {
        // Appended, not formatted: a name holding "%1" must stay as it is.
        const QString trashName = n == 1 ? name : name + u'.' + QString::number(n);
        const QString info = trash + QStringLiteral("/info/") + trashName + QStringLiteral(".trashinfo");
        const int fd = ::open(QFile::encodeName(info).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            break;
        }
        const bool written = ::write(fd, entry.constData(), static_cast<std::size_t>(entry.size())) == entry.size();
        ::close(fd);
        const QString target = trash + QStringLiteral("/files/") + trashName;
        const bool taken = QFileInfo::exists(target) || QFileInfo(target).isSymLink();
        // rename would replace an empty folder left under that name, so a name in use is passed by.
        if (written && !taken && ::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) == 0)
            return;
        QFile::remove(info);
        if (!written || !taken)
            break;
    }
    log("could not move a pack to the trash: it stays where it is");
}

} // namespace

PackLibrary::PackLibrary(QObject *parent) : PackLibrary(defaultBuiltInFolder(), defaultUserFolder(), parent) {}

PackLibrary::PackLibrary(const QString &builtInFolder, const QString &userFolder, QObject *parent)
    : QObject(parent), m_builtInFolder(builtInFolder), m_folder(userFolder)
{
    if (!m_folder.isEmpty())
        QDir().mkpath(m_folder);
    m_builtIn = scanFolder(m_builtInFolder, true);
    std::stable_sort(m_builtIn.begin(), m_builtIn.end(),
                     [](const PackInfo &a, const PackInfo &b) { return a.order < b.order; });
    reloadCustom();
}

QString PackLibrary::defaultBuiltInFolder()
{
    if (!QCoreApplication::instance())
        return {};
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/plinkum/Packs"));
}

QString PackLibrary::defaultUserFolder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/Plinkum/Packs");
}

QList<PackInfo> PackLibrary::all() const
{
    return m_builtIn + m_custom;
}

QList<PackLibrary::Group> PackLibrary::grouped() const
{
    QList<Group> groups;
    for (const PackInfo &pack : m_builtIn) {
        const QString title = pack.type.value_or(otherTitle);
        auto group = std::find_if(groups.begin(), groups.end(), [&](const Group &g) { return g.title == title; });
        if (group == groups.end())
            groups.append({title, {pack}});
        else
            group->packs.append(pack);
    }
    auto rank = [](const Group &g) {
        const qsizetype index = familyOrder.indexOf(g.title);
        return index < 0 ? familyOrder.size() : index;
    };
    std::stable_sort(groups.begin(), groups.end(),
                     [&](const Group &a, const Group &b) { return rank(a) < rank(b); });
    return groups;
}

std::optional<PackInfo> PackLibrary::importPack(const QString &source, ImportError *error, QStringList *warnings)
{
    std::optional<StagedImport> staged = stageImport(source, m_folder, error);
    if (!staged)
        return std::nullopt;
    if (warnings)
        *warnings = staged->warnings;
    return finishImport(std::move(*staged), error);
}

std::optional<PackLibrary::StagedImport> PackLibrary::stageImport(const QString &sourcePath, const QString &packsFolder,
                                                                  ImportError *error, const std::atomic<bool> *cancelled,
                                                                  const ImportProgress &progress)
{
    auto fail = [error](ImportError e) { return failedStaging(error, std::move(e)); };
    auto copyFailed = [error](const QString &message) {
        return failedStaging(error, {ImportError::Kind::CopyFailed, message});
    };
    const QString source = QDir::cleanPath(QFileInfo(sourcePath).absoluteFilePath());
    if (packsFolder.isEmpty() || !QDir().mkpath(packsFolder))
        return copyFailed(tr("The user packs folder “%1” cannot be created.").arg(NameRules::quoted(packsFolder)));
    if (QFileInfo(source).isFile()) {
        // A zip archive: unpacked into a staging folder of its own, which goes away once the
        // pack in it has been staged like any folder, its files linked so no byte is stored twice.
        StagingFolder unpacked(packsFolder);
        if (!unpacked.isValid())
            return copyFailed(unpacked.error());
        QString message;
        QString warning;
        const std::optional<QString> packFolder = PackArchive::unpack(source, unpacked, &message, cancelled, &warning);
        if (!packFolder)
            return fail({ImportError::Kind::InvalidArchive, message});
        return stageFolder(*packFolder, QFileInfo(*packFolder).fileName(), packsFolder, error, cancelled, progress,
                           warning.isEmpty() ? QStringList{} : QStringList{warning}, true);
    }
    // A folder holding the packs folder would be copied into itself; one inside it is a pack already.
    const QString sourceReal = QFileInfo(source).canonicalFilePath();
    const QString packsReal = QFileInfo(packsFolder).canonicalFilePath();
    if (!sourceReal.isEmpty() && (within(packsReal, sourceReal) || within(sourceReal, packsReal))) {
        return fail({ImportError::Kind::Refused,
                     tr("“%1” holds the sound packs folder or lies inside it.").arg(NameRules::quoted(QFileInfo(source).fileName()))});
    }
    // Without a pack below it the folder itself is staged, so the refusal says what is wrong there.
    const PackFolderSearch search(source);
    if (search.packsFound() > 1) {
        return fail({ImportError::Kind::NoManifest,
                     tr("“%1” holds several packs; import them one at a time.").arg(NameRules::quoted(QFileInfo(source).fileName()))});
    }
    const QString packFolder = search.packFolder().value_or(source);
    QStringList warnings;
    if (!search.relativePath().isEmpty())
        warnings.append(search.deeperWarning());
    return stageFolder(packFolder, QFileInfo(packFolder).fileName(), packsFolder, error, cancelled, progress, warnings, false);
}

std::optional<PackLibrary::StagedImport> PackLibrary::stageFolder(const QString &source, const QString &name,
                                                                  const QString &packsFolder, ImportError *error,
                                                                  const std::atomic<bool> *cancelled,
                                                                  const ImportProgress &progress, QStringList warnings,
                                                                  bool fromStaging)
{
    auto fail = [error](ImportError e) { return failedStaging(error, std::move(e)); };
    auto copyFailed = [error](const QString &message) {
        return failedStaging(error, {ImportError::Kind::CopyFailed, message});
    };
    if (!NameRules::acceptable(name)) {
        return fail({ImportError::Kind::Refused,
                     tr("The pack's name “%1” holds control characters or characters that reorder text.").arg(NameRules::quoted(name))});
    }
    // A folder no format describes is loaded all the same, so the refusal names the document's
    // fault (a config.json that does not parse) rather than its absence.
    const std::optional<PackInfo> described = PackLoader::readInfo(source, false);
    PackInfo sourceInfo = described.value_or(PackInfo{});
    if (!described) {
        sourceInfo.id = PackInfo::idFor(name, false);
        sourceInfo.name = name;
        sourceInfo.url = QUrl::fromLocalFile(source);
    }
    PackLoader::LoadReport report;
    if (auto invalid = validate(sourceInfo, report, cancelled))
        return fail(*invalid);
    if (!described)
        return fail({ImportError::Kind::NoManifest, description(PackLoadError::NoManifest)});
    warnings += report.warnings;

    // The documents under their own names, the pack's licence and readme files, then every file
    // a sound came from, as the pack names it.
    QMap<QString, QString> files;
    for (const QString &document : PackLoader::PackFormat::documents()) {
        // Config.json is read as Mechvibes reads it, and copied under its usual name.
        QString actual = document;
        if (!QFileInfo::exists(source + u'/' + document) && PackLoader::PackFormat::lenientDocument(document))
            actual = QDir(source).entryList({document}, QDir::Files | QDir::Hidden | QDir::System).value(0, document);
        if (const std::optional<QString> path = PackLoader::resolveInside(source, actual); path && QFileInfo(*path).isFile())
            files.insert(document, *path);
    }
    files.insert(PackNotices::in(source));
    files.insert(report.files);

    // Every file is opened below the folder checked, never by its path again: a folder swapped
    // for a link since then must not hand over a file from elsewhere.
    const QString sourceReal = QFileInfo(source).canonicalFilePath();
    const int sourceFd = ::open(QFile::encodeName(sourceReal).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (sourceReal.isEmpty() || sourceFd < 0)
        return copyFailed(tr("Could not read “%1”.").arg(NameRules::quoted(name)));
    const auto closeSource = qScopeGuard([sourceFd] { ::close(sourceFd); });
    auto staging = std::make_unique<StagingFolder>(packsFolder);
    if (!staging->isValid())
        return copyFailed(staging->error());
    int copied = 0;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        if (progress)
            progress(copied, static_cast<int>(files.size()));
        const QString couldNotRead = tr("Could not read “%1”.").arg(NameRules::quoted(it.key()));
        if (!it.value().startsWith(sourceReal + u'/'))
            return copyFailed(couldNotRead);
        if (fromStaging) {
            if (!staging->linkFile(it.key(), it.value()))
                return copyFailed(staging->error());
        } else {
            const int fd = BeneathOpener::open(sourceFd, it.value().mid(sourceReal.size() + 1));
            if (fd < 0)
                return copyFailed(couldNotRead);
            const bool added = staging->addFile(it.key(), fd, cancelled);
            ::close(fd);
            if (!added)
                return copyFailed(staging->error());
        }
        ++copied;
    }
    if (progress)
        progress(copied, static_cast<int>(files.size()));
    // Flushed here, on the staging thread: the flush waits for the whole file system.
    if (!staging->sync())
        return copyFailed(staging->error());
    return StagedImport{std::move(staging), visibleName(name), *described, warnings};
}

std::optional<PackInfo> PackLibrary::finishImport(StagedImport staged, ImportError *error)
{
    QString destination;
    for (;;) {
        // Another process may take the free name first; then the next one is tried.
        destination = freeDestination(staged.name);
        if (QDir().rename(staged.staging->path(), destination)) {
            staged.staging->keep();
            break;
        }
        if (!QFileInfo::exists(destination)) {
            if (error)
                *error = {ImportError::Kind::CopyFailed, tr("Could not move the copy into “%1”.").arg(NameRules::quoted(m_folder))};
            return std::nullopt;
        }
    }

    // The rename itself is made durable too.
    if (const int folder = ::open(QFile::encodeName(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    reloadCustom();
    if (std::optional<PackInfo> copied = PackLoader::readInfo(destination, false))
        return copied;
    PackInfo fallback = staged.sourceInfo;
    fallback.id = PackInfo::idFor(QFileInfo(destination).fileName(), false);
    fallback.url = QUrl::fromLocalFile(destination);
    return fallback;
}

void PackLibrary::sweepStaleImports()
{
    if (!m_folder.isEmpty())
        StagingFolder::sweep(m_folder);
}

void PackLibrary::deletePack(const PackInfo &pack)
{
    if (pack.isBuiltIn)
        return;
    // Only a folder directly inside the user packs folder is ever trashed.
    const QFileInfo packFolder(pack.url.toLocalFile());
    const QString parent = QFileInfo(packFolder.absolutePath()).canonicalFilePath();
    if (!parent.isEmpty() && parent == QFileInfo(m_folder).canonicalFilePath())
        moveToTrash(packFolder.filePath());
    reloadCustom();
}

void PackLibrary::reloadCustom()
{
    QList<PackInfo> packs = scanFolder(m_folder, false);
    std::stable_sort(packs.begin(), packs.end(),
                     [this](const PackInfo &a, const PackInfo &b) { return m_nameOrder(a.name, b.name); });
    if (packs == m_custom)
        return;
    m_custom = std::move(packs);
    emit customChanged();
}

QList<PackInfo> PackLibrary::scanFolder(const QString &folder, bool isBuiltIn) const
{
    QList<PackInfo> packs;
    if (folder.isEmpty())
        return packs;
    const QDir dir(folder);
    // Sorted by folder name so that equal names keep one order from scan to scan.
    for (const QFileInfo &entry : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (std::optional<PackInfo> info = PackLoader::readInfo(entry.absoluteFilePath(), isBuiltIn))
            packs.append(*info);
    }
    return packs;
}

QString PackLibrary::freeDestination(const QString &name) const
{
    const QDir dir(m_folder);
    QString candidate = dir.filePath(name);
    for (int n = 2; QFileInfo(candidate).exists() || QFileInfo(candidate).isSymLink(); ++n)
        candidate = dir.filePath(name + u' ' + QString::number(n));
    return candidate;
}

} // namespace plinkum
