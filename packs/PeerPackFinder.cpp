#include "packs/PeerPackFinder.h"

#include "packs/DocumentReader.h"
#include "packs/NaturalOrder.h"
#include "packs/PackFolderSearch.h"
#include "packs/PackFormat.h"
#include "packs/PackLoader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace plinkum {

namespace {

using PackLoader::PackFormat;

QString environmentFolder(const char *variable, const QString &fallback)
{
    const QString value = qEnvironmentVariable(variable);
    // XDG directories must be absolute; a relative value is ignored, as other programs do.
    return QDir::isAbsolutePath(value) ? value : fallback;
}

// The digest of document `document` in `folder`, under any spelling its format accepts; empty when
// there is none or it cannot be read. The import copies documents byte for byte, so a pack
// imported before has a user pack with the same digest whatever it was renamed to, while two
// packs that merely share a name do not.
QByteArray documentDigest(const QString &folder, const QString &document)
{
    QByteArray data;
    if (PackLoader::readDocument(folder, document, data) != PackLoader::DocumentReader::FileStatus::Read)
        return {};
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256);
}

// Every document of every user pack.
QSet<QByteArray> userDigests(const QString &userPacksFolder)
{
    QSet<QByteArray> digests;
    if (userPacksFolder.isEmpty())
        return digests;
    const QStringList documents = PackFormat::documents();
    for (const QFileInfo &pack : QDir(userPacksFolder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QString &document : documents) {
            if (QByteArray digest = documentDigest(pack.absoluteFilePath(), document); !digest.isEmpty())
                digests.insert(digest);
        }
    }
    return digests;
}

// The document the format named `format` reads.
QString documentOf(const QString &format)
{
    const std::span<const PackFormat> formats = PackFormat::all();
    const auto row = std::find_if(formats.begin(), formats.end(), [&](const PackFormat &f) { return f.name == format; });
    return row == formats.end() ? QString() : row->document;
}

// Why the pack in `folder` is not described: the loader stops at the document's fault before
// any audio is read.
QString problemOf(const QString &folder)
{
    PackInfo info;
    info.name = QFileInfo(folder).fileName();
    info.url = QUrl::fromLocalFile(folder);
    const PackLoader::LoadResult result = PackLoader::load(info);
    return result.ok() ? QStringLiteral("its document cannot be read") : result.failure().message;
}

std::optional<PeerPackFinder::Found> examine(const QString &program, const QString &folder, const QSet<QByteArray> &imported)
{
    PeerPackFinder::Found found{program, folder, QFileInfo(folder).fileName(), {}, false, {}};
    const QFileInfo entry(folder);
    if (!entry.isReadable() || !entry.isExecutable()) {
        found.problem = QStringLiteral("the folder cannot be opened");
        return found;
    }
    const PackFolderSearch search(folder);
    if (!search.packFolder()) {
        if (search.packsFound() == 0)
            return std::nullopt;
        found.problem = QStringLiteral("the folder holds several packs");
        return found;
    }
    const std::optional<PackInfo> info = PackLoader::readInfo(*search.packFolder(), false);
    if (!info) {
        found.problem = problemOf(*search.packFolder());
        return found;
    }
    found.name = info->name;
    found.format = info->format;
    const QByteArray digest = documentDigest(*search.packFolder(), documentOf(info->format));
    found.imported = !digest.isEmpty() && imported.contains(digest);
    return found;
}

} // namespace

QList<PeerPackFinder::Place> PeerPackFinder::defaultPlaces()
{
    const QString home = QDir::homePath();
    const QString config = environmentFolder("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
    const QString data = environmentFolder("XDG_DATA_HOME", home + QStringLiteral("/.local/share"));
    const QString mechvibes = QStringLiteral("Mechvibes");
    const QString dx = QStringLiteral("MechvibesDX");
    const QString keyboardsounds = QStringLiteral("keyboardsounds");
    QList<Place> places{
        {mechvibes, config + QStringLiteral("/Mechvibes/custom")},
        {mechvibes, home + QStringLiteral("/mechvibes_custom")},
        {dx, data + QStringLiteral("/mechvibes/soundpacks/keyboard")},
        {dx, data + QStringLiteral("/mechvibes/soundpacks/mouse")},
        {keyboardsounds, home + QStringLiteral("/keyboardsounds-pro/profiles")},
    };
    // The older keyboardsounds kept its profiles inside its Python package, installed per user.
    const QDir lib(home + QStringLiteral("/.local/lib"));
    for (const QString &python : lib.entryList({QStringLiteral("python3*")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        places.append({keyboardsounds, lib.filePath(python) + QStringLiteral("/site-packages/keyboardsounds/profiles")});
    return places;
}

PeerPackFinder::PeerPackFinder(QList<Place> places) : m_places(std::move(places)) {}

QList<PeerPackFinder::Found> PeerPackFinder::find(const QString &userPacksFolder) const
{
    const QSet<QByteArray> imported = userDigests(userPacksFolder);
    const NaturalOrder order;
    QList<Found> all;
    QSet<QString> seen; // a folder reached through two places, or a link, is listed once
    for (const Place &place : m_places) {
        QList<Found> here;
        const QFileInfoList folders = QDir(place.folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &folder : folders.mid(0, maxPerPlace)) {
            const QString real = folder.canonicalFilePath();
            if (real.isEmpty() || seen.contains(real))
                continue;
            seen.insert(real);
            if (std::optional<Found> found = examine(place.program, folder.absoluteFilePath(), imported))
                here.append(std::move(*found));
        }
        std::stable_sort(here.begin(), here.end(), [&](const Found &a, const Found &b) { return order(a.name, b.name); });
        all += here;
    }
    return all;
}

} // namespace plinkum
