#include "PackLibrary.h"

#include "Log.h"
#include "PackLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

#include <unistd.h>

namespace plinkum {

const QStringList PackLibrary::familyOrder = {QStringLiteral("Linear"), QStringLiteral("Tactile"),
                                              QStringLiteral("Clicky"), QStringLiteral("Vintage")};

namespace {

const QString otherTitle = QStringLiteral("Other");

// Decodes the whole pack once; the import refuses what would not play.
std::optional<PackLibrary::ImportError> validate(const PackInfo &info)
{
    using Kind = PackLibrary::ImportError::Kind;
    const PackLoader::LoadResult result = PackLoader::load(info);
    if (result.ok())
        return std::nullopt;
    const PackLoadFailure &failure = result.failure();
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

QString readLink(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    QByteArray target(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink(encoded.constData(), target.data(), target.size());
    if (length < 0 || length >= target.size())
        return {};
    target.truncate(length);
    return QFile::decodeName(target);
}

// Copies everything inside `from` into the existing folder `to`. Symbolic links are copied as
// links, never followed, so a link to a parent folder cannot make the copy endless. FIFOs,
// sockets and devices are refused: opening one can block forever and none is a sound file.
bool copyTree(const QString &from, const QString &to, const QString &relative, QString *error)
{
    const QDir source(from);
    if (!source.isReadable()) {
        *error = QCoreApplication::translate("PackLibrary", "Could not read the folder “%1”.").arg(relative);
        return false;
    }
    const QFileInfoList entries = source.entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString name = relative.isEmpty() ? entry.fileName() : relative + u'/' + entry.fileName();
        const QString target = to + u'/' + entry.fileName();
        if (entry.isSymLink()) {
            const QString link = readLink(entry.filePath());
            if (link.isEmpty()
                || ::symlink(QFile::encodeName(link).constData(), QFile::encodeName(target).constData()) != 0) {
                *error = QCoreApplication::translate("PackLibrary", "Could not copy the link “%1”.").arg(name);
                return false;
            }
        } else if (entry.isDir()) {
            if (!QDir(to).mkdir(entry.fileName())) {
                *error = QCoreApplication::translate("PackLibrary", "Could not create the folder “%1”.").arg(name);
                return false;
            }
            if (!copyTree(entry.filePath(), target, name, error))
                return false;
        } else if (entry.isFile()) {
            QFile file(entry.filePath());
            if (!file.copy(target)) {
                *error = QCoreApplication::translate("PackLibrary", "Could not copy “%1”: %2")
                             .arg(name, file.errorString());
                return false;
            }
        } else {
            *error = QCoreApplication::translate("PackLibrary", "“%1” is not a regular file or folder.").arg(name);
            return false;
        }
    }
    return true;
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

// Failures are ignored: the pack then simply stays where it is.
void moveToTrash(const QString &path)
{
    // Without the data folder Qt cannot set up the home trash; it then moves the item into
    // files/ under the working directory and still reports success.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QString inTrash;
    if (QFile::moveToTrash(path, &inTrash) && QDir::isRelativePath(inTrash)) {
        // Put it back and remove what Qt created; rmdir leaves folders that hold anything else.
        const QFileInfo moved(inTrash);
        const QString info = QDir::cleanPath(moved.absolutePath() + QStringLiteral("/../info"));
        QFile::remove(info + u'/' + moved.fileName() + QStringLiteral(".trashinfo"));
        if (QDir().rename(inTrash, path)) {
            QDir().rmdir(moved.absolutePath());
            QDir().rmdir(info);
        } else {
            log(("pack left in " + moved.absoluteFilePath() + " by a failed move to the trash").toStdString());
        }
    }
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

std::optional<PackInfo> PackLibrary::importPack(const QString &sourceFolder, ImportError *error)
{
    auto fail = [&](ImportError e) {
        if (error)
            *error = std::move(e);
        return std::nullopt;
    };
    const QString source = QDir::cleanPath(QFileInfo(sourceFolder).absoluteFilePath());
    const std::optional<PackInfo> sourceInfo = PackLoader::readInfo(source, false);
    if (!sourceInfo)
        return fail({ImportError::Kind::NoManifest, description(PackLoadError::NoManifest)});
    if (auto invalid = validate(*sourceInfo))
        return fail(*invalid);

    auto copyFailed = [&](const QString &message) { return fail({ImportError::Kind::CopyFailed, message}); };
    if (m_folder.isEmpty() || !QDir().mkpath(m_folder))
        return copyFailed(tr("The user packs folder “%1” cannot be created.").arg(m_folder));
    // The copy grows in a hidden folder that the scan skips and that goes away on any failure;
    // only a complete copy is renamed into place.
    QTemporaryDir staging(m_folder + QStringLiteral("/.import-XXXXXX"));
    if (!staging.isValid())
        return copyFailed(staging.errorString());
    QString copyError;
    if (!copyTree(source, staging.path(), {}, &copyError))
        return copyFailed(copyError);
    QFile::setPermissions(staging.path(), QFileInfo(source).permissions() | QFile::ReadOwner | QFile::WriteOwner
                                              | QFile::ExeOwner);

    const QString name = visibleName(QFileInfo(source).fileName());
    QString destination;
    for (;;) {
        // Another process may take the free name first; then the next one is tried.
        destination = freeDestination(name);
        if (QDir().rename(staging.path(), destination)) {
            staging.setAutoRemove(false);
            break;
        }
        if (!QFileInfo::exists(destination))
            return copyFailed(tr("Could not move the copy into “%1”.").arg(m_folder));
    }

    reloadCustom();
    if (std::optional<PackInfo> copied = PackLoader::readInfo(destination, false))
        return copied;
    PackInfo fallback = *sourceInfo;
    fallback.id = PackInfo::idFor(QFileInfo(destination).fileName(), false);
    fallback.url = QUrl::fromLocalFile(destination);
    return fallback;
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
