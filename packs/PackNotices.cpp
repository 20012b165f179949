#include "packs/PackNotices.h"

#include "packs/PackLoader.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace plinkum {

namespace {

const QStringList &patterns()
{
    static const QStringList names = {QStringLiteral("LICENSE*"), QStringLiteral("LICENCE*"), QStringLiteral("COPYING*"),
                                      QStringLiteral("README*"),  QStringLiteral("*.txt"),    QStringLiteral("*.md")};
    return names;
}

} // namespace

bool PackNotices::isNotice(const QString &fileName)
{
    return QDir::match(patterns(), fileName);
}

QMap<QString, QString> PackNotices::in(const QString &folder)
{
    QMap<QString, QString> found;
    QDir dir(folder);
    dir.setNameFilters(patterns());
    dir.setFilter(QDir::Files | QDir::Hidden);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    // Name filters ignore case unless asked otherwise: License.md and readme.TXT are found too.
    for (const QFileInfo &entry : dir.entryInfoList()) {
        if (found.size() >= maxNotices)
            break;
        const std::optional<QString> path = PackLoader::resolveInside(folder, entry.fileName());
        if (path && QFileInfo(*path).isFile() && QFileInfo(*path).size() <= maxNoticeBytes)
            found.insert(entry.fileName(), *path);
    }
    return found;
}

} // namespace plinkum
