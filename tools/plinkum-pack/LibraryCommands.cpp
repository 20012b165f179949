#include "LibraryCommands.h"

#include "JsonOutput.h"
#include "PackLibrary.h"

#include <QJsonArray>

#include <algorithm>
#include <cstdio>

namespace plinkum::LibraryCommands {

namespace {

// The arguments when there are exactly `count` of them and none is an option.
bool fits(const QStringList &arguments, qsizetype count, const char *usage)
{
    const bool ok = arguments.size() == count
        && std::none_of(arguments.begin(), arguments.end(), [](const QString &a) { return a.startsWith(u'-'); });
    if (!ok)
        std::fprintf(stderr, "usage: %s\n", usage);
    return ok;
}

QJsonArray infos(const QList<PackInfo> &packs)
{
    QJsonArray array;
    for (const PackInfo &pack : packs)
        array.append(JsonOutput::info(pack));
    return array;
}

QString kindName(PackLibrary::ImportError::Kind kind)
{
    switch (kind) {
    case PackLibrary::ImportError::Kind::NoManifest:
        return QStringLiteral("noManifest");
    case PackLibrary::ImportError::Kind::NoSounds:
        return QStringLiteral("noSounds");
    case PackLibrary::ImportError::Kind::InvalidDocument:
        return QStringLiteral("invalidDocument");
    case PackLibrary::ImportError::Kind::Refused:
        return QStringLiteral("refused");
    case PackLibrary::ImportError::Kind::InvalidArchive:
        return QStringLiteral("invalidArchive");
    case PackLibrary::ImportError::Kind::CopyFailed:
        break;
    }
    return QStringLiteral("copyFailed");
}

int printError(const QString &kind, const QString &message)
{
    JsonOutput::print({{QStringLiteral("error"), kind}, {QStringLiteral("message"), message}});
    return JsonOutput::PackError;
}

} // namespace

int list(const QStringList &arguments)
{
    if (!fits(arguments, 0, "plinkum-pack list"))
        return JsonOutput::UsageError;
    const PackLibrary library;
    QJsonArray grouped;
    for (const PackLibrary::Group &group : library.grouped()) {
        QJsonArray ids;
        for (const PackInfo &pack : group.packs)
            ids.append(pack.id);
        grouped.append(QJsonArray{group.title, ids});
    }
    JsonOutput::print({{QStringLiteral("builtIn"), infos(library.builtIn())},
                       {QStringLiteral("custom"), infos(library.custom())},
                       {QStringLiteral("grouped"), grouped}});
    return JsonOutput::Success;
}

int importPack(const QStringList &arguments)
{
    if (!fits(arguments, 1, "plinkum-pack import DIR|ZIP"))
        return JsonOutput::UsageError;
    PackLibrary library;
    PackLibrary::ImportError error;
    QStringList warnings;
    const std::optional<PackInfo> imported = library.importPack(arguments.first(), &error, &warnings);
    if (!imported)
        return printError(kindName(error.kind), error.message);
    QJsonObject result = JsonOutput::info(*imported);
    result.insert(QStringLiteral("warnings"), QJsonArray::fromStringList(warnings));
    JsonOutput::print(result);
    return JsonOutput::Success;
}

int remove(const QStringList &arguments)
{
    if (!fits(arguments, 1, "plinkum-pack remove ID"))
        return JsonOutput::UsageError;
    const QString id = arguments.first();
    PackLibrary library;
    auto find = [&] {
        const QList<PackInfo> packs = library.all();
        const auto it = std::find_if(packs.begin(), packs.end(), [&](const PackInfo &p) { return p.id == id; });
        return it == packs.end() ? std::nullopt : std::optional<PackInfo>(*it);
    };
    const std::optional<PackInfo> pack = find();
    if (!pack)
        return printError(QStringLiteral("unknownPack"), QStringLiteral("No pack has the id “%1”.").arg(id));
    library.deletePack(*pack);
    // The library ignores a failed move to the trash; a tool must not report it as done.
    if (!pack->isBuiltIn && find())
        return printError(QStringLiteral("removeFailed"),
                          QStringLiteral("Could not move “%1” to the trash.").arg(pack->url.toLocalFile()));
    JsonOutput::print({{QStringLiteral("id"), id}, {QStringLiteral("removed"), !pack->isBuiltIn}});
    return JsonOutput::Success;
}

} // namespace plinkum::LibraryCommands
