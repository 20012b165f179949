#include "packs/PackFolderSearch.h"

#include "packs/PackFormat.h"

#include <QDir>
#include <QFileInfo>

#include <utility>
#include <vector>

namespace plinkum {

PackFolderSearch::PackFolderSearch(const QString &folder)
{
    const QString root = QDir::cleanPath(folder);
    if (holdsDocument(root)) {
        m_packFolder = root;
        m_packsFound = 1;
        return;
    }
    // Breadth first, so a pack near the top is found before the folder budget runs out.
    std::vector<std::pair<QString, int>> queue{{root, 0}};
    QString found;
    int visited = 0;
    for (std::size_t next = 0; next < queue.size() && m_packsFound < 2; ++next) {
        const auto [current, depth] = queue[next];
        if (depth >= maxDepth)
            continue;
        const QStringList subfolders = QDir(current).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
        for (const QString &name : subfolders) {
            // Archivers on macOS add resource forks that mirror the pack.
            if (name.startsWith(u'.') || name == QLatin1String("__MACOSX") || ++visited > maxFolders)
                continue;
            const QString path = current + u'/' + name;
            if (holdsDocument(path)) {
                found = path;
                if (++m_packsFound > 1)
                    break;
            } else {
                queue.emplace_back(path, depth + 1);
            }
        }
    }
    if (m_packsFound == 1) {
        m_packFolder = found;
        m_relativePath = QDir(root).relativeFilePath(found);
    }
}

bool PackFolderSearch::holdsDocument(const QString &folder)
{
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    return std::any_of(entries.begin(), entries.end(), PackLoader::PackFormat::isDocument);
}

QString PackFolderSearch::deeperWarning() const
{
    return QStringLiteral("the pack was found in “%1”, below where its documents belong").arg(m_relativePath);
}

} // namespace plinkum
