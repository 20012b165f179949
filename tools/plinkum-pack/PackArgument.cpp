#include "tools/plinkum-pack/PackArgument.h"

#include "packs/PackLibrary.h"
#include "packs/PackLoader.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace plinkum::PackArgument {

Folder folder(const QString &argument, bool isBuiltIn)
{
    if (QFileInfo(argument).isDir())
        return {argument, isBuiltIn};
    // Only a name that cannot be a folder here costs a scan of the pack folders.
    const PackLibrary library;
    if (const std::optional<PackInfo> pack = find(library, argument))
        return {pack->url.toLocalFile(), pack->isBuiltIn};
    return {argument, isBuiltIn};
}

PackInfo describe(const Folder &folder)
{
    if (std::optional<PackInfo> info = PackLoader::readInfo(folder.path, folder.isBuiltIn))
        return *info;
    const QString path = QDir::cleanPath(QFileInfo(folder.path).absoluteFilePath());
    const QString name = QFileInfo(path).fileName();
    return PackInfo{PackInfo::idFor(name, folder.isBuiltIn), name, std::nullopt, 0, QUrl::fromLocalFile(path), folder.isBuiltIn};
}

std::optional<PackInfo> find(const PackLibrary &library, const QString &argument)
{
    const QList<PackInfo> packs = library.all();
    auto it = std::find_if(packs.begin(), packs.end(), [&](const PackInfo &pack) { return pack.id == argument; });
    if (it == packs.end() && QFileInfo(argument).isDir()) {
        const QString path = QFileInfo(argument).canonicalFilePath();
        it = std::find_if(packs.begin(), packs.end(),
                          [&](const PackInfo &pack) { return QFileInfo(pack.url.toLocalFile()).canonicalFilePath() == path; });
    }
    return it == packs.end() ? std::nullopt : std::optional<PackInfo>(*it);
}

QString notFoundMessage(const QString &argument)
{
    return QStringLiteral("“%1” is neither a pack folder nor the id of a pack (plinkum-pack list shows the ids).").arg(argument);
}

} // namespace plinkum::PackArgument
