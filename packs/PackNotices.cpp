#include "packs/PackNotices.h"

#include "packs/PackLoader.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

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

QStringList PackNotices::chosen(QStringList fileNames)
{
    fileNames.removeIf([](const QString &name) { return !isNotice(name); });
    std::sort(fileNames.begin(), fileNames.end(), [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    fileNames.resize(std::min<qsizetype>(fileNames.size(), maxNotices));
    return fileNames;
}

QMap<QString, QString> PackNotices::in(const QString &folder)
{
    QMap<QString, QString> small;
    for (const QString &name : QDir(folder).entryList(patterns(), QDir::Files | QDir::Hidden)) {
        const std::optional<QString> path = PackLoader::resolveInside(folder, name);
        if (path && QFileInfo(*path).isFile() && QFileInfo(*path).size() <= maxNoticeBytes)
            small.insert(name, *path);
    }
    QMap<QString, QString> found;
    for (const QString &name : chosen(small.keys()))
        found.insert(name, small.value(name));
    return found;
}

} // namespace plinkum
