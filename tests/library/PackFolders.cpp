#include "PackFolders.h"

#include "TestPacks.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace PackFolders {

bool writeFolder(const QString &folder, const Files &files)
{
    bool ok = QDir().mkpath(folder);
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QString path = folder + u'/' + it.key();
        ok = (it.value() == wav ? TestPacks::writeTone(path, 2400) : TestPacks::writeText(path, it.value())) && ok;
    }
    return ok;
}

QByteArray manifest(const QByteArray &name, const QByteArray &type, int order)
{
    QByteArray json = "{\"name\":\"" + name + "\",\"order\":" + QByteArray::number(order);
    if (!type.isEmpty())
        json += ",\"type\":\"" + type + "\"";
    return json + ",\"down\":{\"standard\":[\"click.wav\"]}}";
}

Files validPack(const QByteArray &name)
{
    return {{QStringLiteral("pack.json"), manifest(name)}, {QStringLiteral("click.wav"), wav}};
}

QStringList contents(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next().mid(folder.size() + 1);
    found.sort();
    return found;
}

} // namespace PackFolders
